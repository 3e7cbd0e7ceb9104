#pragma once

#include "platform/port/TPortIo.h"

#include <cstdint>
#include <functional>
#include <vector>

// One register access as a port saw it.
struct TPortAccess
{
    enum TKind : std::uint8_t
    {
        akRead,
        akWrite,
    };
    TKind Kind;
    std::uint16_t Address;
    std::uint8_t Value; // the value written, or the value the read returned

    bool operator==(const TPortAccess&) const = default;
};

inline TPortAccess ReadOf(std::uint16_t address, std::uint8_t value)
{
    return { TPortAccess::akRead, address, value };
}

inline TPortAccess WriteOf(std::uint16_t address, std::uint8_t value)
{
    return { TPortAccess::akWrite, address, value };
}

// Records every access and hands it on to another port (a simulator, a scripted device),
// or, without one, answers reads through Answer.
class TRecordingPort : public TPortIo
{
public:
    explicit TRecordingPort(TPortIo* inner = nullptr)
        : FInner(inner)
    {
    }

    std::uint8_t Read(std::uint16_t address) override
    {
        const std::uint8_t value = FInner ? FInner->Read(address) : Answer(address);
        ++ReadCount;
        if (Recording)
            Trace.push_back(ReadOf(address, value));
        return value;
    }

    void Write(std::uint16_t address, std::uint8_t value) override
    {
        if (Recording)
            Trace.push_back(WriteOf(address, value));
        if (FInner)
            FInner->Write(address, value);
    }

    std::function<std::uint8_t(std::uint16_t)> Answer = [](std::uint16_t) { return 0; };
    std::vector<TPortAccess> Trace;
    // Off for long waits, where only the count matters.
    bool Recording = true;
    std::size_t ReadCount = 0;

private:
    TPortIo* FInner;
};
