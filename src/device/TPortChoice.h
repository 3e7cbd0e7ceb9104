#pragma once

#include "platform/port/TPortAddress.h"

#include <QString>

#include <cstdint>
#include <optional>

enum TParallelPort : std::uint8_t
{
    ppLPT1 = 0,
    ppLPT2 = 1,
};

// The parallel port the user chose for deliveries: LPT1 or LPT2 by name, or any port the
// kernel lists by its base address (a PCI Express card's 0xD010). The settings, the
// preferences and conveyor-cli's --port all say it this way, and the transfer component
// takes it in one place (TGameDoctor::SetPortChoice).
struct TPortChoice
{
    static constexpr std::uint16_t LPT1Address = TPortAddress::LPT1;
    static constexpr std::uint16_t LPT2Address = TPortAddress::LPT2;

    // LPT1 or LPT2, when no address is chosen.
    TParallelPort Port = ppLPT1;
    // A port chosen by its base address; it takes the place of Port.
    std::optional<std::uint16_t> Address;

    // A base as conveyor-cli names it: 0x378 and 0x278 are LPT1 and LPT2 themselves, any
    // other base is a port by address.
    static TPortChoice ForBase(std::uint16_t base);

    // The base address of the registers.
    std::uint16_t Base() const;
    // What the device's time-out says for this port: "Warning, could not locate any doctor
    // on LPT1." and its LPT2 twin, or "... at port 0xD010." for any other port.
    QString TimeoutText() const;

    friend bool operator==(const TPortChoice&, const TPortChoice&) = default;
};
