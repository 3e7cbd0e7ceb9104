#include "TByteOrder.h"

#include <cstring>

namespace {

constexpr unsigned char Magics[3][ByteOrderMagicLength] = {
    { 0x37, 0x80, 0x40, 0x12 },
    { 0x80, 0x37, 0x12, 0x40 },
    { 0x40, 0x12, 0x37, 0x80 },
};

// Which of the two swaps, within 16-bit words and between the 16-bit halves of 32-bit
// words, lead from one order to the other: the xor of their offset masks.
int Swaps(TByteOrder from, TByteOrder to)
{
    return static_cast<int>(FileOffset(from, 0) ^ FileOffset(to, 0));
}

// Each swap works on eight bytes at a time through a 64-bit integer; the masks select the
// same byte positions on either host byte order, so no host order is assumed. The loop is
// plain enough for the compiler to vectorise; it runs on every block of a delivery.
template <typename TSwap>
void SwapWords(std::uint8_t* bytes, qsizetype count, int wordSize, TSwap swap)
{
    qsizetype i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t chunk;
        std::memcpy(&chunk, bytes + i, sizeof chunk);
        chunk = swap(chunk);
        std::memcpy(bytes + i, &chunk, sizeof chunk);
    }
    // The last few whole words, through a zero-padded chunk.
    const qsizetype rest = (count - i) / wordSize * wordSize;
    if (rest > 0) {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, bytes + i, static_cast<std::size_t>(rest));
        chunk = swap(chunk);
        std::memcpy(bytes + i, &chunk, static_cast<std::size_t>(rest));
    }
}

constexpr std::uint64_t SwapBytes(std::uint64_t x)
{
    return ((x & 0x00FF00FF00FF00FFull) << 8) | ((x >> 8) & 0x00FF00FF00FF00FFull);
}

constexpr std::uint64_t SwapHalves(std::uint64_t x)
{
    return ((x & 0x0000FFFF0000FFFFull) << 16) | ((x >> 16) & 0x0000FFFF0000FFFFull);
}

} // namespace

std::optional<TByteOrder> DetectByteOrder(const char* bytes, qsizetype count)
{
    if (count < ByteOrderMagicLength)
        return std::nullopt;
    for (int order = boDevice; order <= boLittleEndian; ++order) {
        if (std::memcmp(bytes, Magics[order], ByteOrderMagicLength) == 0)
            return static_cast<TByteOrder>(order);
    }
    return std::nullopt;
}

QString ByteOrderText(TByteOrder order)
{
    switch (order) {
    case boDevice:
        return QStringLiteral("device order (v64)");
    case boBigEndian:
        return QStringLiteral("big-endian (z64)");
    case boLittleEndian:
        return QStringLiteral("little-endian (n64)");
    }
    return QString();
}

QString ByteOrderExtension(TByteOrder order)
{
    switch (order) {
    case boDevice:
        return QStringLiteral(".v64");
    case boBigEndian:
        return QStringLiteral(".z64");
    case boLittleEndian:
        return QStringLiteral(".n64");
    }
    return QString();
}

int ConversionWordSize(TByteOrder from, TByteOrder to)
{
    const int swaps = Swaps(from, to);
    return swaps == 0 ? 1 : swaps == 1 ? 2 : 4;
}

void ConvertByteOrder(TByteOrder from, TByteOrder to, std::uint8_t* bytes, qsizetype count)
{
    switch (Swaps(from, to)) {
    case 1:
        SwapWords(bytes, count, 2, SwapBytes);
        break;
    case 2:
        SwapWords(bytes, count, 4, SwapHalves);
        break;
    case 3:
        SwapWords(bytes, count, 4, [](std::uint64_t x) { return SwapHalves(SwapBytes(x)); });
        break;
    default:
        break;
    }
}
