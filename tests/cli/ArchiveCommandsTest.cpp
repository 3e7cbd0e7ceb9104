#include "BuiltCliRun.h"
#include "TTestFolder.h"
#include "TestArchives.h"
#include "TestImages.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// Writes a little-endian 32-bit field.
void PutZipWord(QByteArray& bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

// Archives of two images as collections keep them; what conveyor-cli makes of them.
class ArchiveCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteSized(Folder, QStringLiteral("Speed Racer (U) [!].z64"),
            BigEndianHeaderBytes("SPEED RACER", 'E'), 1048576);
        WriteSized(Folder, QStringLiteral("Speed Racer (J).z64"),
            BigEndianHeaderBytes("MACH GO GO GO", 'J'), 1048576);
        Folder.Write(QStringLiteral("readme.txt"), "not an image");
        PackArchive(Folder, QStringLiteral("7z"),
            { "a", "-bd", "-ms=on", "Speed Racer.7z", "Speed Racer (U) [!].z64",
                "Speed Racer (J).z64", "readme.txt" });
        PackArchive(Folder, QStringLiteral("zip"),
            { "-q", "Speed Racer Deluxe (USA).zip", "Speed Racer (U) [!].z64", "readme.txt" });
        PackArchive(Folder, QStringLiteral("zip"),
            { "-q", "-P", "secret", "locked.zip", "Speed Racer (J).z64" });
        QFile whole(Folder.Path("Speed Racer Deluxe (USA).zip"));
        ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
        Folder.Write(QStringLiteral("cut.zip"), whole.read(200));
    }

    TTestFolder Folder;
};

TEST_F(ArchiveCommands, ListShowsTheArchiveRowsOfTheWindowAndCountsRowsAndFiles)
{
    const TBuiltCliRun table = RunBuiltCli({ QStringLiteral("list"), QStringLiteral("--mask"),
        QStringLiteral("*.zip;*.7z"), Folder.Path() });
    ASSERT_EQ(table.ExitCode, 0) << table.Err.toStdString();
    EXPECT_EQ(table.Out,
        QByteArray("Filename                  Ext  Image Name            Mbit\n"
                   "CUT                       ZIP  damaged archive       -- MBIT\n"
                   "LOCKED                    ZIP  encrypted archive     -- MBIT\n"
                   "SPEED RACER (J)           Z64  MACH GO GO GO         008 MBit\n"
                   "SPEED RACER (U) [!]       Z64  SPEED RACER           008 MBit\n"
                   "SPEED RACER DELUXE (USA)  ZIP  SPEED RACER           008 MBit\n"
                   "5 rows from 4 files\n"));

    // The hidden columns tell the member rows from plain files.
    const TBuiltCliRun tsv = RunBuiltCli({ QStringLiteral("list"), QStringLiteral("--tsv"),
        QStringLiteral("--mask"), QStringLiteral("*.7z"), Folder.Path() });
    ASSERT_EQ(tsv.ExitCode, 0);
    EXPECT_EQ(tsv.Out,
        QByteArray("SPEED RACER (J)\tZ64\tMACH GO GO GO       \t008 MBit\t\t"
                   "SPEED RACER (J).Z64 in SPEED RACER.7Z\n"
                   "SPEED RACER (U) [!]\tZ64\tSPEED RACER         \t008 MBit\t\t"
                   "SPEED RACER (U) [!].Z64 in SPEED RACER.7Z\n"));
}

TEST_F(ArchiveCommands, InfoDescribesTheImageOrEachImageOfAnArchive)
{
    TBuiltCliRun run
        = RunBuiltCli({ QStringLiteral("info"), Folder.Path("Speed Racer Deluxe (USA).zip") });
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(
        run.Out.startsWith("File:       Speed Racer Deluxe (USA).zip/Speed Racer (U) [!].z64\n"
                           "Size:       1048576 bytes, 008 MBit\n"
                           "Image:      yes\n"
                           "Image Name: SPEED RACER         \n"
                           "System:     USA\n"
                           "Byte Order: big-endian (z64)\n"))
        << run.Out.toStdString();

    run = RunBuiltCli({ QStringLiteral("info"), Folder.Path("Speed Racer.7z") });
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    QList<QByteArray> blocks;
    for (const QByteArray& line : run.Out.split('\n')) {
        if (line.startsWith("File:"))
            blocks << line;
    }
    EXPECT_EQ(blocks,
        (QList<QByteArray> { "File:       Speed Racer.7z/Speed Racer (J).z64",
            "File:       Speed Racer.7z/Speed Racer (U) [!].z64" }));
    // A blank line between the blocks, each of ten lines; the text file is not described.
    EXPECT_EQ(run.Out.count('\n'), 21);
    EXPECT_TRUE(run.Out.contains("\n\nFile:"));
    EXPECT_TRUE(run.Out.contains("Image Name: MACH GO GO GO       \nSystem:     JAP\n"));

    run = RunBuiltCli(
        { QStringLiteral("info"), Folder.Path("Speed Racer.7z/Speed Racer (J).z64") });
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.startsWith("File:       Speed Racer.7z/Speed Racer (J).z64\n"));
    EXPECT_EQ(run.Out.count('\n'), 10);

    for (const char* name : { "cut.zip", "locked.zip" }) {
        SCOPED_TRACE(name);
        run = RunBuiltCli({ QStringLiteral("info"), Folder.Path(QString::fromLatin1(name)) });
        EXPECT_EQ(run.ExitCode, 1);
        EXPECT_TRUE(run.Out.isEmpty());
        EXPECT_TRUE(run.Err.contains(Folder.Path(QString::fromLatin1(name)).toUtf8()))
            << run.Err.toStdString();
    }
    EXPECT_TRUE(run.Err.contains("encrypted archive"));

    const TBuiltCliRun members
        = RunBuiltCli({ QStringLiteral("members"), Folder.Path("Speed Racer.7z") });
    EXPECT_EQ(members.ExitCode, 0);
    EXPECT_EQ(members.Out, QByteArray("Speed Racer (J).z64\nSpeed Racer (U) [!].z64\n"));
}

TEST_F(ArchiveCommands, SendTakesTheOneImageAndRefusesToChooseAmongSeveral)
{
    const QString out = Folder.Path(QStringLiteral("received"));
    TBuiltCliRun run = RunBuiltCli({ QStringLiteral("send"), QStringLiteral("--simulate"), out,
        Folder.Path("Speed Racer Deluxe (USA).zip") });
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    // Its one image, beside a text file, as its one row in the catalogue says.
    EXPECT_TRUE(run.Out.contains("Delivered 1 file (1048576 bytes)")) << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains("Simulator stored SPEED RA.Z64")) << run.Out.toStdString();

    const QString several = QStringLiteral("several");
    run = RunBuiltCli({ QStringLiteral("send"), QStringLiteral("--simulate"), Folder.Path(several),
        Folder.Path("Speed Racer.7z") });
    EXPECT_EQ(run.ExitCode, 1);
    // The images are named, and only they: the notes beside them are no choice.
    EXPECT_TRUE(run.Err.contains("name one of: Speed Racer (J).z64, Speed Racer (U) [!].z64\n"))
        << run.Err.toStdString();
    // Refused before the port: the simulated device never saw a transfer.
    EXPECT_FALSE(run.Err.contains("Connected")) << run.Err.toStdString();
    EXPECT_TRUE(QDir(Folder.Path(several)).isEmpty());

    run = RunBuiltCli({ QStringLiteral("send"), QStringLiteral("--simulate"), Folder.Path(several),
        Folder.Path("Speed Racer.7z/Speed Racer (J).z64") });
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
}

// A zip whose member says it inflates to 4 GiB: a bomb, or a damaged size field.
TEST_F(ArchiveCommands, AMemberClaimingFourGibibytesIsListedAndNeverSent)
{
    PackArchive(Folder, QStringLiteral("zip"), { "-q0", "stored.zip", "Speed Racer (J).z64" });
    QByteArray zip = Folder.Read(QStringLiteral("stored.zip"));
    // The uncompressed size of the local header (offset 22) and of the central directory's
    // entry (offset 24 after its signature).
    ASSERT_TRUE(zip.startsWith("PK\x03\x04"));
    PutZipWord(zip, 22, 0xFFFFFFFE);
    const qsizetype central = zip.indexOf("PK\x01\x02");
    ASSERT_GT(central, 0);
    PutZipWord(zip, central + 24, 0xFFFFFFFE);
    Folder.Write(QStringLiteral("bomb.zip"), zip);
    ASSERT_TRUE(QFile::remove(Folder.Path("stored.zip")));

    const TBuiltCliRun list = RunBuiltCli({ QStringLiteral("list"), QStringLiteral("--mask"),
        QStringLiteral("bomb.zip"), Folder.Path() });
    ASSERT_EQ(list.ExitCode, 0);
    EXPECT_TRUE(list.Out.contains("BOMB      ZIP  MACH GO GO GO         32767 MBit\n"))
        << list.Out.toStdString();

    const QString out = Folder.Path(QStringLiteral("received"));
    const TBuiltCliRun send = RunBuiltCli(
        { QStringLiteral("send"), QStringLiteral("--simulate"), out, Folder.Path("bomb.zip") });
    EXPECT_EQ(send.ExitCode, 1);
    EXPECT_TRUE(send.Err.contains(Folder.Path("bomb.zip").toUtf8())) << send.Err.toStdString();
    EXPECT_TRUE(send.Err.contains("Speed Racer (J).z64 states 4294967294 bytes"))
        << send.Err.toStdString();
    EXPECT_FALSE(send.Err.contains("Connected")) << send.Err.toStdString();
    EXPECT_TRUE(QDir(out).isEmpty());
}

} // namespace
