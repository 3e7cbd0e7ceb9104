#pragma once

#include "TPortIo.h"

#include <bitset>
#include <memory>

class TDevPortIo;

// The real parallel port. On x86 the program asks the kernel for each register it uses
// (ioperm) and then uses the processor's port instructions; elsewhere, or where the
// kernel was built without ioperm, it goes through /dev/port. Linux's ppdev driver is deliberately
// not used: it answers reads of the control register from its own copy instead of the lines, so it
// never sees the device.
//
// Rights are requested at the first access of each register, never earlier, so that a
// program that only lists images never needs them; a refusal is an EPortAccess naming the
// address and the remedy.
class THardwarePortIo : public TPortIo
{
public:
    THardwarePortIo();
    ~THardwarePortIo() override;
    THardwarePortIo(const THardwarePortIo&) = delete;
    THardwarePortIo& operator=(const THardwarePortIo&) = delete;

    std::uint8_t Read(std::uint16_t address) override;
    void Write(std::uint16_t address, std::uint8_t value) override;

private:
    // True when the processor's instructions may be used for address from now on.
    bool Grant(std::uint16_t address);

    std::bitset<65536> FGranted;
    std::unique_ptr<TDevPortIo> FDevPort;
};
