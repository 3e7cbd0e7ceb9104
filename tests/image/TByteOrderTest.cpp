#include "image/TByteOrder.h"
#include "ImageTestFiles.h"
#include "image/TCartridgeHeader.h"

#include <gtest/gtest.h>

namespace {

constexpr TByteOrder Orders[] = { boDevice, boBigEndian, boLittleEndian };

QByteArray Converted(QByteArray bytes, TByteOrder from, TByteOrder to)
{
    ConvertByteOrder(from, to, reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
    return bytes;
}

TCartridgeHeader HeaderOf(const QByteArray& file)
{
    TCartridgeHeader header;
    header.Present = qMin<qsizetype>(file.size(), TCartridgeHeader::Length);
    std::copy_n(file.constData(), header.Present, header.Bytes.begin());
    return header;
}

} // namespace

TEST(TByteOrder, TheFirstFourBytesTellTheOrder)
{
    EXPECT_EQ(DetectByteOrder("\x37\x80\x40\x12", 4), boDevice);
    EXPECT_EQ(DetectByteOrder("\x80\x37\x12\x40", 4), boBigEndian);
    EXPECT_EQ(DetectByteOrder("\x40\x12\x37\x80", 4), boLittleEndian);
    EXPECT_EQ(DetectByteOrder("\x37\x80\x40\x12 and more", 12), boDevice);
    // Three bytes cannot carry a magic, and the other arrangements of its bytes are none.
    EXPECT_EQ(DetectByteOrder("\x37\x80\x40", 3), std::nullopt);
    EXPECT_EQ(DetectByteOrder("\x12\x40\x80\x37", 4), std::nullopt);
    EXPECT_EQ(DetectByteOrder("\x80\x37\x40\x12", 4), std::nullopt);
    EXPECT_EQ(DetectByteOrder("", 0), std::nullopt);
}

TEST(TByteOrder, TextsExtensionsAndWordSizes)
{
    EXPECT_EQ(ByteOrderText(boDevice), QStringLiteral("device order (v64)"));
    EXPECT_EQ(ByteOrderText(boBigEndian), QStringLiteral("big-endian (z64)"));
    EXPECT_EQ(ByteOrderText(boLittleEndian), QStringLiteral("little-endian (n64)"));
    EXPECT_EQ(ByteOrderExtension(boDevice), QStringLiteral(".v64"));
    EXPECT_EQ(ByteOrderExtension(boBigEndian), QStringLiteral(".z64"));
    EXPECT_EQ(ByteOrderExtension(boLittleEndian), QStringLiteral(".n64"));
    EXPECT_EQ(WordSize(boDevice), 1);
    EXPECT_EQ(WordSize(boBigEndian), 2);
    EXPECT_EQ(WordSize(boLittleEndian), 4);
    EXPECT_EQ(ConversionWordSize(boBigEndian, boLittleEndian), 4);
}

TEST(TByteOrder, EveryOrderConvertsToEveryOtherAtAnyLength)
{
    // Lengths around the eight bytes converted at a time, and a block of a delivery.
    for (const qsizetype length : { 0, 4, 8, 12, 16, 20, 60, 1004, 32768 }) {
        const QByteArray cartridge = RandomBytes(length, static_cast<quint32>(length));
        for (const TByteOrder from : Orders) {
            for (const TByteOrder to : Orders) {
                EXPECT_EQ(Converted(InOrder(cartridge, from), from, to), InOrder(cartridge, to))
                    << int(from) << " to " << int(to) << ", " << length << " bytes";
            }
        }
    }
}

TEST(TByteOrder, BigEndianConvertsInHalfWordsAndLeavesAnOddLastByte)
{
    const QByteArray cartridge = RandomBytes(1003, 9);
    const QByteArray device = Converted(cartridge, boBigEndian, boDevice);
    EXPECT_EQ(device.left(1002), InOrder(cartridge.left(1002), boDevice));
    EXPECT_EQ(device.back(), cartridge.back());
    // Little-endian leaves the last two bytes of a file that ends in the middle of a word.
    const QByteArray little = RandomBytes(1002, 10);
    EXPECT_EQ(Converted(little, boLittleEndian, boDevice).right(2), little.right(2));
}

TEST(TCartridgeHeader, TheSameGameGivesTheSameFieldsInEveryOrder)
{
    QByteArray cartridge = CartridgeImage(0x40, 11, "Speed Racer Deluxe", 'J');
    cartridge.replace(0x10, 8, QByteArray("\x12\x34\x56\x78\x9A\xBC\xDE\xF0", 8));
    for (const TByteOrder order : Orders) {
        const TCartridgeHeader header = HeaderOf(InOrder(cartridge, order));
        EXPECT_EQ(header.Order(), order);
        EXPECT_EQ(header.Name(), QByteArray("Speed Racer Deluxe  ")) << int(order);
        EXPECT_EQ(header.Country(), quint8('J')) << int(order);
        EXPECT_EQ(header.StoredChecksum1(), 0x12345678u) << int(order);
        EXPECT_EQ(header.StoredChecksum2(), 0x9ABCDEF0u) << int(order);
    }
    // The device's order holds the country code at 0x3F, the other two at 0x3E and 0x3D.
    EXPECT_EQ(InOrder(cartridge, boDevice)[0x3F], 'J');
    EXPECT_EQ(InOrder(cartridge, boLittleEndian)[0x3D], 'J');
}

TEST(TCartridgeHeader, AShortFileHasOnlyTheFieldsItHolds)
{
    const QByteArray cartridge = CartridgeImage(0x40, 12, "ABCDEFGHIJKLMNOPQRST", 'E');
    // Little-endian, cut after 0x26 bytes: the word at 0x24 is incomplete, so of the name only
    // the four characters of the word at 0x20 and those of 0x24 the file holds are there.
    const TCartridgeHeader header = HeaderOf(InOrder(cartridge, boLittleEndian).left(0x26));
    EXPECT_EQ(header.Name(), QByteArray("ABCD  GH            "));
    EXPECT_EQ(header.Country(), std::nullopt);
    EXPECT_TRUE(header.StoredChecksum2().has_value());
    const TCartridgeHeader tiny = HeaderOf(QByteArray("\x37\x80\x40\x12", 4));
    EXPECT_TRUE(tiny.IsImage());
    EXPECT_EQ(tiny.Name(), QByteArray(20, ' '));
    EXPECT_EQ(tiny.StoredChecksum1(), std::nullopt);
    const TCartridgeHeader other = HeaderOf(QByteArray(64, 'x'));
    EXPECT_FALSE(other.IsImage());
    EXPECT_EQ(other.Country(), std::nullopt);
}
