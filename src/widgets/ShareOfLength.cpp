#include "ShareOfLength.h"

#include <bit>
#include <limits>

namespace {

__extension__ typedef unsigned __int128 TUInt128;

// A non-negative extended-precision number: Mantissa × 2^Exponent, the mantissa either
// zero or with its top bit set, as in the 80-bit format.
struct TExtended
{
    std::uint64_t Mantissa = 0;
    int Exponent = 0;
};

TExtended FromInteger(std::uint64_t value)
{
    if (value == 0)
        return {};
    const int shift = std::countl_zero(value);
    return { value << shift, -shift };
}

// The product rounded to 64 significant bits, to nearest with ties to even.
TExtended Multiply(TExtended a, TExtended b)
{
    if (a.Mantissa == 0 || b.Mantissa == 0)
        return {};
    const TUInt128 product = static_cast<TUInt128>(a.Mantissa) * b.Mantissa;
    // Both factors have their top bit set, so the product has 127 or 128 significant bits.
    const int shift = (product >> 127) != 0 ? 64 : 63;
    std::uint64_t mantissa = static_cast<std::uint64_t>(product >> shift);
    const TUInt128 rest = product & ((static_cast<TUInt128>(1) << shift) - 1);
    const TUInt128 half = static_cast<TUInt128>(1) << (shift - 1);
    int exponent = a.Exponent + b.Exponent + shift;
    if (rest > half || (rest == half && (mantissa & 1) != 0)) {
        ++mantissa;
        if (mantissa == 0) {
            mantissa = std::uint64_t(1) << 63;
            ++exponent;
        }
    }
    return { mantissa, exponent };
}

std::uint64_t TruncateSaturated(TExtended value)
{
    if (value.Mantissa == 0 || value.Exponent <= -64)
        return 0;
    if (value.Exponent < 0)
        return value.Mantissa >> -value.Exponent;
    if (value.Exponent > 0)
        return std::numeric_limits<std::uint64_t>::max();
    return value.Mantissa;
}

// The extended value nearest to 0.01: 0.01 lies in [2^-7, 2^-6), so its 64-bit
// significand counts units of 2^-70.
constexpr TExtended OneHundredth()
{
    const TUInt128 scaled = static_cast<TUInt128>(1) << 70;
    std::uint64_t mantissa = static_cast<std::uint64_t>(scaled / 100);
    if ((scaled % 100) * 2 >= 100)
        ++mantissa;
    return { mantissa, -70 };
}

static_assert(OneHundredth().Mantissa == 11805916207174113034u);

std::uint64_t Magnitude(std::int64_t value)
{
    return value < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(value)
                     : static_cast<std::uint64_t>(value);
}

} // namespace

std::int64_t ShareOfLength(std::int64_t percent, std::int64_t size)
{
    const bool negative = (percent < 0) != (size < 0);
    const TExtended fraction = Multiply(FromInteger(Magnitude(percent)), OneHundredth());
    const std::uint64_t magnitude
        = TruncateSaturated(Multiply(fraction, FromInteger(Magnitude(size))));
    constexpr std::uint64_t largest = std::numeric_limits<std::int64_t>::max();
    if (magnitude > largest)
        return negative ? std::numeric_limits<std::int64_t>::min()
                        : std::numeric_limits<std::int64_t>::max();
    const auto result = static_cast<std::int64_t>(magnitude);
    return negative ? -result : result;
}
