#include "TPortChoice.h"

TPortChoice TPortChoice::ForBase(std::uint16_t base)
{
    if (base == LPT1Address)
        return { ppLPT1, std::nullopt };
    if (base == LPT2Address)
        return { ppLPT2, std::nullopt };
    return { ppLPT1, base };
}

std::uint16_t TPortChoice::Base() const
{
    if (Address)
        return *Address;
    return Port == ppLPT2 ? LPT2Address : LPT1Address;
}

QString TPortChoice::TimeoutText() const
{
    const std::uint16_t base = Base();
    if (base == LPT2Address)
        return QStringLiteral("Warning, could not locate any doctor on LPT2.");
    if (base == LPT1Address)
        return QStringLiteral("Warning, could not locate any doctor on LPT1.");
    return QStringLiteral("Warning, could not locate any doctor at port %1.")
        .arg(TPortAddress::Text(base));
}
