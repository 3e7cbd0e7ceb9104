#include "image/TImageSource.h"

#include "TTestFolder.h"
#include "TestArchives.h"
#include "TestBytes.h"
#include "platform/EReadError.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(TImageSource& source, qint64 block = 32768)
{
    QByteArray all;
    QByteArray buffer(block, '\0');
    for (;;) {
        const qint64 got = source.Read(buffer.data(), block);
        if (got == 0)
            return all;
        all.append(buffer.constData(), got);
    }
}

class TImageSourceTest : public ::testing::Test
{
protected:
    TTestFolder Folder;
    // Several blocks, and bytes that compress poorly, so that damage lands in the data.
    const QByteArray Image = RandomBytes(300000, 11);

    QString ImagePath() { return Folder.Write(QStringLiteral("racer.z64"), Image); }
};

TEST_F(TImageSourceTest, EveryArchiveKindGivesTheImagesOwnBytesAndName)
{
    ImagePath();
    PackArchive(
        Folder, QStringLiteral("zip"), { QStringLiteral("-0q"), "stored.zip", "racer.z64" });
    PackArchive(
        Folder, QStringLiteral("zip"), { QStringLiteral("-9q"), "deflate.zip", "racer.z64" });
    PackArchive(Folder, QStringLiteral("7z"), { "a", "-bd", "-ms=on", "solid.7z", "racer.z64" });
    PackArchive(Folder, QStringLiteral("7z"),
        { "a", "-bd", "-ms=off", "-m0=lzma", "lzma.7z", "racer.z64" });
    PackArchive(Folder, QStringLiteral("gzip"), { "-k", "racer.z64" });
    for (const char* name :
        { "stored.zip", "deflate.zip", "solid.7z", "lzma.7z", "racer.z64.gz", "racer.z64" }) {
        SCOPED_TRACE(name);
        TImageSource source(Folder.Path(QString::fromLatin1(name)));
        EXPECT_EQ(source.ImageName(), QStringLiteral("racer.z64"));
        EXPECT_EQ(source.InArchive(), QByteArray(name) != "racer.z64");
        if (source.StatedSize()) {
            EXPECT_EQ(*source.StatedSize(), Image.size());
        }
        // Odd block sizes cross the archive's own blocks.
        EXPECT_EQ(ReadAll(source, 4100), Image);
        // The second pass reads the same descriptor again.
        source.Rewind();
        EXPECT_EQ(ReadAll(source), Image);
    }
}

TEST_F(TImageSourceTest, AMemberIsChosenByItsPathAndSeveralMembersAreNamedWhenNoneIs)
{
    ImagePath();
    const QByteArray other = RandomBytes(5000, 12);
    Folder.Write(QStringLiteral("racer (e).z64"), other);
    PackArchive(Folder, QStringLiteral("7z"),
        { "a", "-bd", "-ms=on", "merged.7z", "racer.z64", "racer (e).z64" });
    const QString archive = Folder.Path(QStringLiteral("merged.7z"));
    // In the archive's own order, which 7z chooses.
    QStringList members = TImageSource::Members(archive);
    members.sort();
    EXPECT_EQ(
        members, QStringList({ QStringLiteral("racer (e).z64"), QStringLiteral("racer.z64") }));
    TImageSource chosen(archive, QStringLiteral("racer (e).z64"));
    EXPECT_EQ(chosen.Member(), QStringLiteral("racer (e).z64"));
    EXPECT_EQ(ReadAll(chosen), other);
    try {
        TImageSource none(archive);
        FAIL() << "an archive of several files gave one";
    } catch (const EReadError& error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("racer.z64")))
            << error.Message().toStdString();
        EXPECT_TRUE(error.Message().contains(QStringLiteral("racer (e).z64")));
    }
    EXPECT_THROW(TImageSource(archive, QStringLiteral("missing.z64")), EReadError);
    EXPECT_TRUE(TImageSource::Members(ImagePath()).isEmpty());
}

TEST_F(TImageSourceTest, DamagedAndEncryptedArchivesAreReadErrorsThatNameTheArchive)
{
    ImagePath();
    PackArchive(
        Folder, QStringLiteral("zip"), { QStringLiteral("-0q"), "stored.zip", "racer.z64" });
    PackArchive(Folder, QStringLiteral("gzip"), { "-k", "racer.z64" });
    PackArchive(Folder, QStringLiteral("zip"), { "-q", "-P", "secret", "locked.zip", "racer.z64" });
    // One byte changed in the middle of the data: only the member's checksum can tell.
    for (const char* name : { "stored.zip", "racer.z64.gz" }) {
        SCOPED_TRACE(name);
        QByteArray bytes = Folder.Read(QString::fromLatin1(name));
        bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x55);
        const QString path = Folder.Write(QString::fromLatin1(name), bytes);
        try {
            TImageSource source(path);
            ReadAll(source);
            FAIL() << "damage went unnoticed";
        } catch (const EReadError& error) {
            EXPECT_TRUE(error.Message().startsWith(QStringLiteral("Read error on ") + path))
                << error.Message().toStdString();
        }
    }
    try {
        TImageSource source(Folder.Path(QStringLiteral("locked.zip")));
        ReadAll(source);
        FAIL() << "an encrypted member was read";
    } catch (const EReadError& error) {
        EXPECT_TRUE(error.Message().endsWith(QStringLiteral("encrypted archive")))
            << error.Message().toStdString();
    }
}

} // namespace
