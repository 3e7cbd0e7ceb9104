#pragma once

#include <QString>

#include <cstdint>
#include <optional>

class TKernelPortList;

// Parallel ports named by the user or shown to the user: the two classic ports, the
// ports the kernel lists (parportN) and bare hexadecimal addresses.
class TPortAddress
{
public:
    static constexpr std::uint16_t LPT1 = 0x378;
    static constexpr std::uint16_t LPT2 = 0x278;
    // Data, status and control follow the base; the transfer uses nothing beyond.
    static constexpr std::uint16_t RegisterCount = 3;
    // The highest base whose registers all lie below 0x10000; a higher one would wrap the
    // control register round to the bottom of the I/O space (0xFFFF + 2 is 0x1).
    static constexpr std::uint16_t LastBase = 0x10000 - RegisterCount;

    // "0x" and upper-case hexadecimal without leading zeros: 0xD010, 0x3BC.
    static QString Text(std::uint16_t address);

    // lpt1 | lpt2 | parportN (a port the kernel lists) | 0xADDRESS, in any case. On failure
    // returns nothing and sets error to a sentence saying what is wrong.
    static std::optional<std::uint16_t> Parse(
        const QString& text, const TKernelPortList& ports, QString* error = nullptr);

    // The name the user knows the port by: LPT1 and LPT2 at their classic addresses, else
    // the kernel's name, else the address.
    static QString Name(std::uint16_t base, const TKernelPortList& ports);

    // True for a register of LPT1, LPT2 or a port the kernel lists: the only addresses the
    // real hardware is ever asked for.
    static bool IsParallelPortRegister(std::uint16_t address, const TKernelPortList& ports);
};
