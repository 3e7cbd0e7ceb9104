#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <optional>

// The orders in which image files hold a cartridge, told apart by their first four bytes.
enum TByteOrder : std::uint8_t
{
    boDevice = 0, // 37 80 40 12: two bytes of every 16-bit word swapped; what the device takes
    boBigEndian = 1, // 80 37 12 40: the cartridge's own order
    boLittleEndian = 2, // 40 12 37 80: every 32-bit word reversed
};

constexpr qsizetype ByteOrderMagicLength = 4;

// The order of an image from its first bytes; nothing for a file that is not an image (fewer
// than four bytes, or none of the three magics).
std::optional<TByteOrder> DetectByteOrder(const char* bytes, qsizetype count);

// "device order (v64)", "big-endian (z64)", "little-endian (n64)".
QString ByteOrderText(TByteOrder order);
// ".v64", ".z64", ".n64": the usual extension of a file in that order.
QString ByteOrderExtension(TByteOrder order);

// The offset in a file of this order of the byte the cartridge holds at cartridgeOffset.
constexpr qint64 FileOffset(TByteOrder order, qint64 cartridgeOffset)
{
    // Within each 32-bit word: big-endian keeps the bytes, the device's order swaps the
    // two bytes of each half, little-endian reverses all four.
    constexpr qint64 Masks[] = { 1, 0, 3 };
    return cartridgeOffset ^ Masks[order];
}

// The size of the words that converting from one order to the other rearranges: 1 when the
// orders are the same (nothing moves), 2 between the device's order and big-endian, 4 when
// little-endian is involved. A file converts whole only when its size is a multiple of this.
int ConversionWordSize(TByteOrder from, TByteOrder to);

// The words a file of this order swaps on its way to the device: 1 for the device's own
// order (sent as it is), 2 for big-endian, 4 for little-endian.
inline int WordSize(TByteOrder order)
{
    return ConversionWordSize(order, boDevice);
}

// Rearranges count bytes in place from one order to the other. The bytes must start at a
// word boundary of the file; a trailing part of a word is left as it is.
void ConvertByteOrder(TByteOrder from, TByteOrder to, std::uint8_t* bytes, qsizetype count);

inline void ConvertToDeviceOrder(TByteOrder from, std::uint8_t* bytes, qsizetype count)
{
    ConvertByteOrder(from, boDevice, bytes, count);
}
