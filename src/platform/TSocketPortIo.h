#pragma once

#include "TPortIo.h"

#include <QString>

#include <cstddef>
#include <vector>

// A virtual parallel port: every register access goes as a short message over a Unix
// stream socket to a device model in another process (docs/virtual-port.md). Writes are
// collected and sent together with the next read, which is what keeps a transfer fast:
// the model answers each read only after it has applied every earlier write anyway.
// The connection is made at the first access.
class TSocketPortIo : public TPortIo
{
public:
    explicit TSocketPortIo(const QString& socketPath);
    ~TSocketPortIo() override;
    TSocketPortIo(const TSocketPortIo&) = delete;
    TSocketPortIo& operator=(const TSocketPortIo&) = delete;

    // A Unix stream socket, closed on exec; the device peer listens on one of these. Raises
    // EPortAccess when the system gives none.
    static int NewSocket();

    std::uint8_t Read(std::uint16_t address) override;
    void Write(std::uint16_t address, std::uint8_t value) override;
    void Flush() override;

private:
    void Connect();
    void Put(std::uint8_t byte) { FPending.push_back(byte); }

    QString FSocketPath;
    int FHandle = -1;
    std::vector<std::uint8_t> FPending;
};
