#include "image/TImageReader.h"
#include "ImageTestFiles.h"
#include "TTestFolder.h"
#include "TestArchives.h"
#include "platform/EFOpenError.h"
#include "platform/Exception.h"

#include <QFile>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr qint64 Block = 0x8000;

// Everything the reader gives, in blocks of the delivery's size.
QByteArray ReadAll(TImageReader& reader)
{
    QByteArray all;
    std::vector<std::uint8_t> block(Block);
    for (;;) {
        const qint64 got = reader.Read(block.data(), Block);
        if (got == 0)
            break;
        all.append(reinterpret_cast<const char*>(block.data()), got);
    }
    return all;
}

} // namespace

TEST(TImageReader, EveryOrderReadsAsTheDeviceOrderImageAndStaysUntouchedOnDisk)
{
    TTestFolder folder;
    // Three blocks and a bit, so the last block is partial.
    const QByteArray cartridge = CartridgeImage(3 * Block + 1000, 30);
    const QByteArray device = InOrder(cartridge, boDevice);
    for (const TByteOrder order : { boDevice, boBigEndian, boLittleEndian }) {
        const QByteArray file = InOrder(cartridge, order);
        const QString path
            = folder.Write(QStringLiteral("racer") + ByteOrderExtension(order), file);
        TImageReader reader(path);
        EXPECT_EQ(reader.Order(), order);
        EXPECT_EQ(reader.Size(), file.size());
        EXPECT_EQ(reader.Converts(), order != boDevice);
        EXPECT_TRUE(reader.WholeWords());
        EXPECT_EQ(ReadAll(reader), device) << int(order);
        EXPECT_EQ(reader.Position(), file.size());
        EXPECT_EQ(folder.Read(QStringLiteral("racer") + ByteOrderExtension(order)), file);
    }
}

TEST(TImageReader, ReadsInAnyTargetOrder)
{
    TTestFolder folder;
    const QByteArray cartridge = CartridgeImage(Block + 12, 31);
    const QString path
        = folder.Write(QStringLiteral("racer.n64"), InOrder(cartridge, boLittleEndian));
    TImageReader reader(path, boBigEndian);
    EXPECT_EQ(reader.Target(), boBigEndian);
    EXPECT_EQ(ReadAll(reader), cartridge);
}

TEST(TImageReader, AFileThatIsNoImageIsReadAsItIs)
{
    TTestFolder folder;
    for (const QByteArray& content : { RandomBytes(Block + 3, 32), QByteArray(),
             QByteArray("\x80\x37\x12"), QByteArray("odd") }) {
        const QString path = folder.Write(QStringLiteral("notes.txt"), content);
        TImageReader reader(path);
        EXPECT_EQ(reader.Order(), std::nullopt);
        EXPECT_FALSE(reader.Converts());
        EXPECT_TRUE(reader.WholeWords());
        EXPECT_EQ(ReadAll(reader), content);
    }
}

TEST(TImageReader, SizesThatAreNoWholeNumberOfWordsAreTold)
{
    TTestFolder folder;
    const QByteArray cartridge = CartridgeImage(1001, 33);
    // The device's order is sent as it is, whatever its size.
    TImageReader device(folder.Write(QStringLiteral("a.v64"), InOrder(cartridge, boDevice)));
    EXPECT_TRUE(device.WholeWords());
    EXPECT_EQ(ReadAll(device), InOrder(cartridge, boDevice));

    const QString big = folder.Write(QStringLiteral("a.z64"), cartridge);
    TImageReader bigEndian(big);
    EXPECT_FALSE(bigEndian.WholeWords());
    EXPECT_EQ(bigEndian.PartialWordMessage(),
        big
            + QStringLiteral(" is a big-endian (z64) image, but its 1001 bytes are not a whole "
                             "number of 2-byte words, so it cannot be converted"));
    EXPECT_THROW(ReadAll(bigEndian), Exception);

    // 1002 bytes are whole 16-bit words but not whole 32-bit ones.
    const QByteArray even = cartridge + QByteArray("x");
    TImageReader little(folder.Write(QStringLiteral("a.n64"), InOrder(even, boLittleEndian)));
    EXPECT_FALSE(little.WholeWords());
    EXPECT_TRUE(little.PartialWordMessage().contains(QStringLiteral("little-endian (n64)")));
    EXPECT_TRUE(TImageReader(folder.Write(QStringLiteral("b.z64"), even)).WholeWords());
}

TEST(TImageReader, AMissingFileIsAnOpenError)
{
    TTestFolder folder;
    const QString path = folder.Path(QStringLiteral("missing.z64"));
    try {
        TImageReader reader(path);
        FAIL() << "a missing file was opened";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.Message(),
            QStringLiteral("Cannot open file ") + path
                + QStringLiteral(": No such file or directory"));
    }
}

// The second pass over an archive's member runs ahead of the transfer on a thread of its
// own; the transfer must see exactly what a pass of its own would have given.
TEST(TImageReaderArchives, AMemberReadAheadGivesTheImageWholeAndItsErrorsWhereTheyFall)
{
    TTestFolder folder;
    const QByteArray cartridge = CartridgeImage(9 * 65536 + 4000, 31);
    const QByteArray device = InOrder(cartridge, boDevice);
    folder.Write(QStringLiteral("racer.z64"), InOrder(cartridge, boBigEndian));
    PackArchive(folder, QStringLiteral("zip"), { "-q", "racer.zip", "racer.z64" });
    PackArchive(folder, QStringLiteral("7z"), { "a", "-bd", "racer.7z", "racer.z64" });
    for (const char* name : { "racer.zip", "racer.7z" }) {
        SCOPED_TRACE(name);
        const QString path = folder.Path(QString::fromLatin1(name));
        TImageReader reader(path);
        EXPECT_EQ(reader.Size(), cartridge.size());
        // Reads that end inside the read-ahead's blocks and across them.
        QByteArray all;
        std::vector<std::uint8_t> block(4 * 1000);
        for (qint64 got; (got = reader.Read(block.data(), qint64(block.size()))) > 0;)
            all.append(reinterpret_cast<const char*>(block.data()), got);
        EXPECT_EQ(all, device);
        EXPECT_TRUE(reader.AtEnd());

        // A transfer that stops halfway leaves nothing running behind it.
        auto half = std::make_unique<TImageReader>(path);
        EXPECT_EQ(half->Read(block.data(), qint64(block.size())), qint64(block.size()));
        half.reset();
    }

    // Wrecked between the integrity pass and the transfer: the transfer ends in the error,
    // never in a short image taken for a whole one.
    const QString zip = folder.Path(QStringLiteral("racer.zip"));
    TImageReader reader(zip);
    QFile file(zip);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(file.size() / 2));
    ASSERT_EQ(file.write(QByteArray(4096, '\x55')), 4096);
    file.close();
    std::vector<std::uint8_t> block(Block);
    EXPECT_THROW(
        {
            while (reader.Read(block.data(), Block) > 0) { }
            reader.AtEnd();
        },
        Exception);
}
