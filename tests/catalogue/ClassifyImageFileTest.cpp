#include "catalogue/ClassifyImageFile.h"
#include "TestImages.h"
#include "catalogue/CatalogueRow.h"

#include <QDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<QString> Classify(const TTestFolder& folder, const QString& name)
{
    std::vector<QString> row(CatalogueColumnCount);
    ClassifyImageFile(SelectedDirectory(folder.Path()), name, row);
    return row;
}

QString Blanks(int count)
{
    return QString(count, QLatin1Char(' '));
}

} // namespace

TEST(ClassifyImageFile, TheTestImageRow)
{
    TTestFolder folder;
    // The name field holds "ETTSI AMEG" and ten blanks as stored, which reads TEST IMAGE.
    QByteArray stored(64, '\0');
    stored.replace(0, 4, "\x37\x80\x40\x12");
    stored.replace(0x20, 20, QByteArray("ETTSI AMEG") + QByteArray(10, ' '));
    WriteSized(folder, QStringLiteral("racer.v64"), stored, 12582912);

    const std::vector<QString> row = Classify(folder, QStringLiteral("racer.v64"));
    EXPECT_EQ(row,
        (std::vector<QString> { "RACER", "V64", "TEST IMAGE" + Blanks(10), "096 MBit", "",
            "RACER.V64", "racer.v64", "", "" }));
}

TEST(ClassifyImageFile, SizeInWholeMegabitsWithAtLeastThreeDigits)
{
    TTestFolder folder;
    const std::pair<qint64, const char*> sizes[] = { { 0, "000 MBit" }, { 131071, "000 MBit" },
        { 131072, "001 MBit" }, { 1310720, "010 MBit" }, { 33554432, "256 MBit" },
        { 134217728, "1024 MBit" }, { Q_INT64_C(137438953472), "1048576 MBit" } };
    for (const auto& [size, text] : sizes) {
        const QString name = QStringLiteral("s%1.v64").arg(size);
        WriteSized(folder, name, ImageBytes("SIZED", 'E'), size);
        EXPECT_EQ(Classify(folder, name)[ccSize], QString::fromLatin1(text)) << size;
    }
    EXPECT_EQ(SizeText(Q_INT64_C(9223372036854775807)), QStringLiteral("70368744177663 MBit"));
}

TEST(ClassifyImageFile, FilesWithoutTheMagicAreNoImages)
{
    TTestFolder folder;
    for (int length = 0; length <= 3; ++length) {
        const QString name = QStringLiteral("tiny%1.v64").arg(length);
        folder.Write(name, QByteArray("\x37\x80\x40", length));
        const std::vector<QString> row = Classify(folder, name);
        EXPECT_EQ(row[ccImageName], QStringLiteral("--> WARNING: NOT AN IMAGE")) << length;
        EXPECT_EQ(row[ccSize], QStringLiteral("000 MBit")) << length;
    }
    // The magic's bytes in an order none of the three byte orders gives.
    QByteArray otherOrder = ImageBytes("SWAPPED", 'E');
    otherOrder.replace(0, 4, "\x12\x40\x80\x37");
    folder.Write(QStringLiteral("odd.v64"), otherOrder);
    EXPECT_EQ(Classify(folder, QStringLiteral("odd.v64"))[ccImageName], NotAnImageText);
    WriteSized(folder, QStringLiteral("big.bin"), "plain", 2 * 131072);
    EXPECT_EQ(Classify(folder, QStringLiteral("big.bin"))[ccSize], QStringLiteral("002 MBit"));
}

TEST(ClassifyImageFile, EveryByteOrderIsAnImageWithTheSameRowTexts)
{
    TTestFolder folder;
    const QByteArray name = "Speed Racer Deluxe";
    WriteSized(folder, QStringLiteral("Speed Racer.v64"), ImageBytes(name, 'E'), 8388608);
    WriteSized(folder, QStringLiteral("Speed Racer.z64"), BigEndianHeaderBytes(name, 'E'), 8388608);
    WriteSized(
        folder, QStringLiteral("Speed Racer.n64"), LittleEndianHeaderBytes(name, 'E'), 8388608);
    // The extension says nothing about the order: the first four bytes do.
    WriteSized(folder, QStringLiteral("misnamed.v64"), BigEndianHeaderBytes(name, 'E'), 8388608);
    const QString image = "SPEED RACER DELUXE" + Blanks(2);
    EXPECT_EQ(Classify(folder, QStringLiteral("Speed Racer.v64")),
        (std::vector<QString> { "SPEED RACER", "V64", image, "064 MBit", "", "SPEED RACER.V64",
            "Speed Racer.v64", "", "" }));
    EXPECT_EQ(Classify(folder, QStringLiteral("Speed Racer.z64")),
        (std::vector<QString> { "SPEED RACER", "Z64", image, "064 MBit", "", "SPEED RACER.Z64",
            "Speed Racer.z64", "", "" }));
    EXPECT_EQ(Classify(folder, QStringLiteral("Speed Racer.n64")),
        (std::vector<QString> { "SPEED RACER", "N64", image, "064 MBit", "", "SPEED RACER.N64",
            "Speed Racer.n64", "", "" }));
    EXPECT_EQ(Classify(folder, QStringLiteral("misnamed.v64"))[ccImageName], image);
}

TEST(ClassifyImageFile, AnImageInAnotherOrderThatEndsInsideItsNameHasBlanksForTheMissingBytes)
{
    TTestFolder folder;
    // Little-endian, cut 0x25 bytes in: the word at 0x20 whole, of the next only its last
    // stored byte, which is the cartridge's fourth of that word.
    folder.Write(QStringLiteral("cut.n64"), LittleEndianHeaderBytes("ABCDEFGH", 'E').left(0x25));
    EXPECT_EQ(Classify(folder, QStringLiteral("cut.n64"))[ccImageName], "ABCD   H" + Blanks(12));
}

TEST(ClassifyImageFile, NameSplitAtTheFirstOccurrenceOfTheExtension)
{
    TTestFolder folder;
    for (const char* name : { "A.V64X.V64", "README", "GAME.V64.BAK", "Racer.", "v64_ver1.v64" })
        folder.Write(QString::fromLatin1(name), "x");
    auto names = [&](const char* name) {
        const std::vector<QString> row = Classify(folder, QString::fromLatin1(name));
        return QStringList { row[ccBaseName], row[ccExtension], row[ccFileName], row[ccRealName] };
    };
    EXPECT_EQ(names("A.V64X.V64"), (QStringList { "A", "V64", "A.V64X.V64", "A.V64X.V64" }));
    EXPECT_EQ(names("README"), (QStringList { "README", "", "README", "README" }));
    EXPECT_EQ(
        names("GAME.V64.BAK"), (QStringList { "GAME.V64", "BAK", "GAME.V64.BAK", "GAME.V64.BAK" }));
    EXPECT_EQ(names("Racer."), (QStringList { "RACER", "", "RACER.", "Racer." }));
    // The extension is sought case-sensitively: ".v64" first occurs at the end here.
    EXPECT_EQ(
        names("v64_ver1.v64"), (QStringList { "V64_VER1", "V64", "V64_VER1.V64", "v64_ver1.v64" }));
}

TEST(ClassifyImageFile, ImageNamesAreRaisedInTheirCodePage)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("lower.v64"), ImageBytes("mario kart 64", 'E'));
    folder.Write(QStringLiteral("accent.v64"), ImageBytes("pok\xe9mon stadium", 'J'));
    EXPECT_EQ(
        Classify(folder, QStringLiteral("lower.v64"))[ccImageName], "MARIO KART 64" + Blanks(7));
    EXPECT_EQ(Classify(folder, QStringLiteral("accent.v64"))[ccImageName],
        QString::fromUtf8("POKÉMON STADIUM") + Blanks(5));
}

TEST(ClassifyImageFile, FileNamesAreRaisedAsUnicodeButKeptAsTheyAreForTheDisk)
{
    TTestFolder folder;
    const QString name = QString::fromUtf8("Pokémon Snap.v64");
    folder.Write(name, ImageBytes("POKEMON SNAP", 'E'));
    const std::vector<QString> row = Classify(folder, name);
    EXPECT_EQ(row[ccBaseName], QString::fromUtf8("POKÉMON SNAP"));
    EXPECT_EQ(row[ccFileName], QString::fromUtf8("POKÉMON SNAP.V64"));
    EXPECT_EQ(row[ccRealName], name);
    // The upper-cased name is no file here; the real one is, and it was read.
    EXPECT_EQ(row[ccImageName], "POKEMON SNAP" + Blanks(8));
}

TEST(ClassifyImageFile, AnImageThatEndsInsideItsNameHasBlanksForTheMissingBytes)
{
    TTestFolder folder;
    // 0x20 + 5 bytes: the name's first two pairs and one byte of the third.
    folder.Write(QStringLiteral("cut.v64"), ImageBytes("ABCDEF", 'E').left(0x25));
    EXPECT_EQ(Classify(folder, QStringLiteral("cut.v64"))[ccImageName], "ABCD F" + Blanks(14));
    folder.Write(QStringLiteral("bare.v64"), "\x37\x80\x40\x12");
    EXPECT_EQ(Classify(folder, QStringLiteral("bare.v64"))[ccImageName], Blanks(20));
}

TEST(ClassifyImageFile, AFileThatCannotBeReadShowsTheErrorAndKeepsItsNames)
{
    TTestFolder folder;
    // Listed, then gone before it was read.
    const std::vector<QString> row = Classify(folder, QStringLiteral("Gone.v64"));
    EXPECT_EQ(row,
        (std::vector<QString> { "GONE", "V64", "2: No such file or directory", "-- MBIT", "",
            "GONE.V64", "Gone.v64", "", "" }));
    QDir(folder.Path()).mkdir(QStringLiteral("dir.v64"));
    EXPECT_EQ(Classify(folder, QStringLiteral("dir.v64"))[ccImageName],
        QStringLiteral("21: Is a directory"));
}

TEST(SelectedDirectory, EndsInOneSlash)
{
    EXPECT_EQ(SelectedDirectory(QStringLiteral("/home/n64")), QStringLiteral("/home/n64/"));
    EXPECT_EQ(SelectedDirectory(QStringLiteral("/home/n64/")), QStringLiteral("/home/n64/"));
    EXPECT_EQ(SelectedDirectory(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(SelectedDirectory(QStringLiteral("ab")), QStringLiteral("ab/"));
    EXPECT_EQ(SelectedDirectory(QString()), QString());
}
