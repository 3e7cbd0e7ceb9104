#pragma once

#include <cstdint>

// Byte-wide access to I/O port registers. The transfer component reads and writes the
// parallel port only through this, so real hardware, a device model in another process
// and the in-process simulator are interchangeable.
class TPortIo
{
public:
    virtual ~TPortIo();

    virtual std::uint8_t Read(std::uint16_t address) = 0;
    virtual void Write(std::uint16_t address, std::uint8_t value) = 0;
    // Hands on writes that an implementation may still hold back. A transfer ends with a
    // write, so its last bytes would otherwise wait for a read that never comes.
    virtual void Flush();
    // Bracket one transfer with the port at base: Begin before its first access, End after
    // its last, on every path. Only the real hardware has anything to do there (refuse an
    // address that is no parallel port, claim the port from the kernel); End never throws.
    virtual void Begin(std::uint16_t base);
    virtual void End() noexcept;
};
