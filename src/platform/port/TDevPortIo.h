#pragma once

#include "platform/port/TPortIo.h"

#include <QString>

// Port access through the kernel's /dev/port, where each file offset is a port address.
// Used on Linux machines without x86 port instructions. Nothing is opened until the first
// access, so creating one touches no port.
class TDevPortIo : public TPortIo
{
public:
    explicit TDevPortIo(const QString& devicePath = QStringLiteral("/dev/port"));
    // Uses a /dev/port opened earlier (while the right to open it was held) and leaves it
    // open: it belongs to the process.
    explicit TDevPortIo(int handle);
    ~TDevPortIo() override;
    TDevPortIo(const TDevPortIo&) = delete;
    TDevPortIo& operator=(const TDevPortIo&) = delete;

    std::uint8_t Read(std::uint16_t address) override;
    void Write(std::uint16_t address, std::uint8_t value) override;

private:
    void Open(std::uint16_t address);

    QString FDevicePath;
    int FHandle = -1;
    bool FOwnsHandle = true;
};
