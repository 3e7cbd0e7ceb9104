#include "BuiltCliRun.h"
#include "CheckedImages.h"
#include "TTestFolder.h"
#include "TestImages.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

namespace {

class CatalogueCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Folder.Write(QStringLiteral("A.V64"), "x");
        WriteSized(Folder, QStringLiteral("A.JAP"), ImageBytes("a jap game", 'J'), 1048576);
        Folder.Write(QStringLiteral("kart.pal"), ImageBytes("mario\tkart", 'P'));
        WriteSized(Folder, QStringLiteral("Racer.v64"), ImageBytes("test image", 'E'), 12582912);
        WriteSized(Folder, QStringLiteral("zelda.jap"), ImageBytes("zelda \xe9", 'D'), 33554432);
        Folder.Write(QStringLiteral(".hidden.v64"), ImageBytes("HIDDEN", 'E'));
        Folder.Write(QStringLiteral("notes.txt"), "x");
        ASSERT_EQ(
            ::mkfifo(QFile::encodeName(Folder.Path(QStringLiteral("x.v64"))).constData(), 0600), 0);
        ASSERT_TRUE(QDir(Folder.Path()).mkdir(QStringLiteral("y.usa")));
    }

    TTestFolder Folder;
};

} // namespace

TEST_F(CatalogueCommands, ListTsvIsTheSortedTableOneRowPerLine)
{
    const TBuiltCliRun run
        = RunBuiltCli({ QStringLiteral("list"), QStringLiteral("--tsv"), Folder.Path() });
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.isEmpty());
    const QList<QByteArray> lines = run.Out.split('\n');
    ASSERT_EQ(lines.size(), 6) << run.Out.toStdString();
    // The two A rows swap places: the sort's first pass exchanges them.
    EXPECT_EQ(lines[0], QByteArray("A\tV64\t--> WARNING: NOT AN IMAGE\t000 MBit\t\tA.V64"));
    EXPECT_EQ(lines[1], QByteArray("A\tJAP\tA JAP GAME          \t008 MBit\t\tA.JAP"));
    // A tab inside an image name must not split the line's columns.
    EXPECT_EQ(lines[2], QByteArray("KART\tPAL\tMARIO KART          \t000 MBit\t\tKART.PAL"));
    EXPECT_EQ(lines[3], QByteArray("RACER\tV64\tTEST IMAGE          \t096 MBit\t\tRACER.V64"));
    EXPECT_EQ(lines[4],
        QString::fromUtf8("ZELDA\tJAP\tZELDA É             \t256 MBit\t\tZELDA.JAP").toUtf8());
    EXPECT_EQ(lines[5], QByteArray());
}

TEST_F(CatalogueCommands, ListTakesAMask)
{
    const TBuiltCliRun run = RunBuiltCli({ QStringLiteral("list"), QStringLiteral("--mask"),
        QStringLiteral("*.txt;*.PAL"), QStringLiteral("--tsv"), Folder.Path() });
    ASSERT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out,
        QByteArray("KART\tPAL\tMARIO KART          \t000 MBit\t\tKART.PAL\n"
                   "NOTES\tTXT\t--> WARNING: NOT AN IMAGE\t000 MBit\t\tNOTES.TXT\n"));
}

TEST_F(CatalogueCommands, ListForPeopleHasAHeaderAndACount)
{
    const TBuiltCliRun run = RunBuiltCli({ QStringLiteral("list"), Folder.Path() });
    ASSERT_EQ(run.ExitCode, 0);
    const QList<QByteArray> lines = run.Out.split('\n');
    ASSERT_EQ(lines.size(), 8);
    EXPECT_TRUE(lines[0].startsWith("Filename  Ext  Image Name"));
    EXPECT_TRUE(lines[0].endsWith("Mbit"));
    EXPECT_TRUE(lines[4].startsWith("RACER     V64  TEST IMAGE"));
    EXPECT_TRUE(lines[4].endsWith("096 MBit"));
    EXPECT_EQ(lines[6], QByteArray("5 files"));
}

TEST(CatalogueCommandsStatus, EmptyUnreadableAndWrongUsage)
{
    TTestFolder folder;
    TBuiltCliRun run
        = RunBuiltCli({ QStringLiteral("list"), QStringLiteral("--tsv"), folder.Path() });
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Out.isEmpty());

    run = RunBuiltCli({ QStringLiteral("list"), folder.Path(QStringLiteral("missing")) });
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_TRUE(run.Out.isEmpty());
    EXPECT_TRUE(run.Err.contains("No such file or directory")) << run.Err.toStdString();

    EXPECT_EQ(RunBuiltCli({ QStringLiteral("list") }).ExitCode, 2);
    EXPECT_EQ(
        RunBuiltCli({ QStringLiteral("list"), QStringLiteral("--bogus"), folder.Path() }).ExitCode,
        2);
    EXPECT_EQ(RunBuiltCli({ QStringLiteral("list"), folder.Path(), folder.Path() }).ExitCode, 2);
    EXPECT_EQ(RunBuiltCli({ QStringLiteral("info") }).ExitCode, 2);
    EXPECT_EQ(
        RunBuiltCli({ QStringLiteral("info"), QStringLiteral("a"), QStringLiteral("b") }).ExitCode,
        2);
}

TEST_F(CatalogueCommands, InfoTellsWhatTheCatalogueReads)
{
    TBuiltCliRun run
        = RunBuiltCli({ QStringLiteral("info"), Folder.Path(QStringLiteral("Racer.v64")) });
    ASSERT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out,
        QByteArray("File:       Racer.v64\n"
                   "Size:       12582912 bytes, 096 MBit\n"
                   "Image:      yes\n"
                   "Image Name: TEST IMAGE          \n"
                   "System:     USA\n"
                   "Byte Order: device order (v64)\n"
                   "Stored:     0x00000000 0x00000000\n"
                   "Computed:   (none)\n"
                   "Boot Code:  (none)\n"
                   "Verdict:    cannot be checked (unknown boot code)\n"));

    run = RunBuiltCli({ QStringLiteral("info"), Folder.Path(QStringLiteral("notes.txt")) });
    ASSERT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out,
        QByteArray("File:       notes.txt\n"
                   "Size:       1 bytes, 000 MBit\n"
                   "Image:      no\n"
                   "Image Name: (none)\n"
                   "System:     (none)\n"
                   "Byte Order: (none)\n"
                   "Stored:     (none)\n"
                   "Computed:   (none)\n"
                   "Boot Code:  (none)\n"
                   "Verdict:    (none)\n"));

    // A FIFO is no reason to hang.
    run = RunBuiltCli({ QStringLiteral("info"), Folder.Path(QStringLiteral("x.v64")) });
    EXPECT_EQ(run.ExitCode, 1);

    run = RunBuiltCli({ QStringLiteral("info"), Folder.Path(QStringLiteral("gone.v64")) });
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_TRUE(run.Out.isEmpty());
    EXPECT_TRUE(run.Err.contains("No such file or directory"));
}

// The lines of info from "Byte Order:" on.
QByteArray CheckLines(const QByteArray& out)
{
    return out.mid(out.indexOf("Byte Order:"));
}

TEST(CatalogueCommandsChecksums, InfoTellsOrderChecksumsBootCodeAndVerdict)
{
    TTestFolder folder;
    const QByteArray image = CheckedCartridgeImage(bc6102, 0x101000 + 64, 1);
    const QByteArray stored = QByteArray("0x") + image.mid(0x10, 4).toHex().toUpper() + " 0x"
        + image.mid(0x14, 4).toHex().toUpper();
    const std::pair<TByteOrder, QByteArray> orders[] = {
        { boDevice, "device order (v64)" },
        { boBigEndian, "big-endian (z64)" },
        { boLittleEndian, "little-endian (n64)" },
    };
    for (const auto& [order, text] : orders) {
        const QString path = folder.Write(
            QStringLiteral("game") + ByteOrderExtension(order), InByteOrder(image, order));
        const TBuiltCliRun run = RunBuiltCli({ QStringLiteral("info"), path });
        ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
        EXPECT_EQ(CheckLines(run.Out),
            "Byte Order: " + text + "\nStored:     " + stored + "\nComputed:   " + stored
                + "\nBoot Code:  6102\nVerdict:    checksums match\n");
    }

    const QString bad = folder.Write(
        QStringLiteral("bad.z64"), CheckedCartridgeImage(bc6105, 0x101000, 2, false));
    TBuiltCliRun run = RunBuiltCli({ QStringLiteral("info"), bad });
    EXPECT_TRUE(run.Out.contains("Boot Code:  6105\nVerdict:    checksums do not match\n"))
        << run.Out.toStdString();

    // The boot code is whole and known, but the checked megabyte is not.
    const QString shortFile = folder.Write(
        QStringLiteral("short.n64"), InByteOrder(image.left(0x2000), boLittleEndian));
    run = RunBuiltCli({ QStringLiteral("info"), shortFile });
    EXPECT_EQ(CheckLines(run.Out),
        "Byte Order: little-endian (n64)\nStored:     " + stored
            + "\nComputed:   (none)\nBoot Code:  6102\nVerdict:    cannot be checked (file too "
              "short)\n");
}

TEST(CatalogueCommandsOrders, ListShowsTheSameGameInEveryOrderAlike)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("Game.v64"), ImageBytes("same game", 'J'));
    folder.Write(QStringLiteral("Game.z64"), BigEndianHeaderBytes("same game", 'J'));
    folder.Write(QStringLiteral("Game.n64"), LittleEndianHeaderBytes("same game", 'J'));
    const TBuiltCliRun run = RunBuiltCli({ QStringLiteral("list"), QStringLiteral("--tsv"),
        QStringLiteral("--mask"), QStringLiteral("*.v64;*.z64;*.n64"), folder.Path() });
    ASSERT_EQ(run.ExitCode, 0);
    // Rows of one base name may come in any order.
    QList<QByteArray> lines = run.Out.split('\n');
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines,
        QList<QByteArray>({ "", "GAME\tN64\tSAME GAME           \t000 MBit\t\tGAME.N64",
            "GAME\tV64\tSAME GAME           \t000 MBit\t\tGAME.V64",
            "GAME\tZ64\tSAME GAME           \t000 MBit\t\tGAME.Z64" }));
}
