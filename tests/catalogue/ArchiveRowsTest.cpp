#include "TestArchives.h"
#include "TestImages.h"
#include "catalogue/CatalogueRow.h"
#include "catalogue/ClassifyImageFile.h"
#include "catalogue/ListCatalogue.h"
#include "catalogue/TCurrentImage.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Archives as collections keep them, listed by the catalogue beside the plain files.
class ArchiveRows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // 2 MiB images (016 MBit) in the big-endian order archives mostly hold.
        WriteSized(Folder, QStringLiteral("Speed Racer (U) [!].z64"),
            BigEndianHeaderBytes("SPEED RACER", 'E'), 2097152);
        WriteSized(Folder, QStringLiteral("Speed Racer (J).z64"),
            BigEndianHeaderBytes("MACH GO GO GO", 'J'), 2097152);
        Folder.Write(QStringLiteral("readme.txt"), "not an image");
    }

    std::vector<TTextRow> Rows(const QString& mask = QStringLiteral("*.zip;*.7z;*.gz"))
    {
        return ListCatalogue(Folder.Path(), mask);
    }

    const TTextRow* RowOf(const std::vector<TTextRow>& rows, const QString& fileName)
    {
        const auto found = std::find_if(rows.begin(), rows.end(),
            [&fileName](const TTextRow& row) { return row[ccFileName] == fileName; });
        return found == rows.end() ? nullptr : &*found;
    }

    TTestFolder Folder;
};

TEST_F(ArchiveRows, ASingleImageArchiveIsOneRowOfTheArchivesNamesAndTheImagesTexts)
{
    PackArchive(Folder, QStringLiteral("zip"),
        { "-9q", "Speed Racer Deluxe (USA).zip", "Speed Racer (U) [!].z64", "readme.txt" });
    PackArchive(Folder, QStringLiteral("zip"), { "-0q", "stored.zip", "Speed Racer (U) [!].z64" });
    PackArchive(
        Folder, QStringLiteral("7z"), { "a", "-bd", "-ms=off", "plain.7z", "Speed Racer (J).z64" });
    PackArchive(Folder, QStringLiteral("gzip"), { "-k", "Speed Racer (J).z64" });

    const std::vector<TTextRow> rows = Rows();
    ASSERT_EQ(rows.size(), 4u);
    const TTextRow* zip = RowOf(rows, QStringLiteral("SPEED RACER DELUXE (USA).ZIP"));
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(TTextRow(zip->begin(), zip->begin() + ccBlank),
        (TTextRow { "SPEED RACER DELUXE (USA)", "ZIP", "SPEED RACER         ", "016 MBit" }));
    EXPECT_EQ((*zip)[ccRealName], "Speed Racer Deluxe (USA).zip");
    EXPECT_EQ((*zip)[ccMember], "Speed Racer (U) [!].z64");
    EXPECT_EQ((*zip)[ccKind], QString::fromUtf16(ArchiveRowKind));
    EXPECT_EQ(CatalogueRowSource(SelectedDirectory(Folder.Path()), *zip),
        Folder.Path("Speed Racer Deluxe (USA).zip/Speed Racer (U) [!].z64"));

    const TTextRow* stored = RowOf(rows, QStringLiteral("STORED.ZIP"));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ((*stored)[ccImageName], "SPEED RACER         ");
    const TTextRow* sevenZip = RowOf(rows, QStringLiteral("PLAIN.7Z"));
    ASSERT_NE(sevenZip, nullptr);
    EXPECT_EQ((*sevenZip)[ccImageName], "MACH GO GO GO       ");
    EXPECT_EQ((*sevenZip)[ccSize], "016 MBit");
    // A compressed single file names no member: the file itself is the source.
    const TTextRow* gzip = RowOf(rows, QStringLiteral("SPEED RACER (J).Z64.GZ"));
    ASSERT_NE(gzip, nullptr);
    EXPECT_EQ((*gzip)[ccImageName], "MACH GO GO GO       ");
    EXPECT_EQ((*gzip)[ccSize], "016 MBit");
    EXPECT_EQ((*gzip)[ccMember], "");
    EXPECT_EQ(CatalogueRowSource(SelectedDirectory(Folder.Path()), *gzip),
        Folder.Path("Speed Racer (J).z64.gz"));
}

TEST_F(ArchiveRows, SeveralImagesAreARowEachToldApartFromThePlainFiles)
{
    PackArchive(Folder, QStringLiteral("7z"),
        { "a", "-bd", "-ms=on", "Speed Racer.7z", "Speed Racer (U) [!].z64", "Speed Racer (J).z64",
            "readme.txt" });
    const std::vector<TTextRow> rows = Rows(QStringLiteral("*.7z;*.z64"));
    // The two plain files and the archive's two images; the text file inside is not listed.
    ASSERT_EQ(rows.size(), 4u);
    const TTextRow* member
        = RowOf(rows, QStringLiteral("SPEED RACER (U) [!].Z64 in SPEED RACER.7Z"));
    ASSERT_NE(member, nullptr);
    EXPECT_EQ((*member)[ccBaseName], "SPEED RACER (U) [!]");
    EXPECT_EQ((*member)[ccExtension], "Z64");
    EXPECT_EQ((*member)[ccImageName], "SPEED RACER         ");
    EXPECT_EQ((*member)[ccRealName], "Speed Racer.7z");
    EXPECT_EQ((*member)[ccKind], QString::fromUtf16(MemberRowKind));
    const TTextRow* plain = RowOf(rows, QStringLiteral("SPEED RACER (U) [!].Z64"));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ((*plain)[ccKind], "");
    EXPECT_NE(RowOf(rows, QStringLiteral("SPEED RACER (J).Z64 in SPEED RACER.7Z")), nullptr);

    // The current-status group reads the image inside for its television system.
    const std::optional<TCurrentImage> current
        = ExamineCurrentImage(SelectedDirectory(Folder.Path()), *member);
    ASSERT_TRUE(current.has_value());
    EXPECT_EQ(current->System, "USA");
    EXPECT_EQ(current->Source, Folder.Path("Speed Racer.7z/Speed Racer (U) [!].z64"));
    EXPECT_EQ(current->PlainExtension, ".z64");
}

TEST_F(ArchiveRows, ArchivesWithoutImagesOrThatCannotBeReadSaySoInWords)
{
    PackArchive(Folder, QStringLiteral("zip"), { "-q", "notes.zip", "readme.txt" });
    PackArchive(Folder, QStringLiteral("zip"),
        { "-q", "-P", "secret", "locked.zip", "Speed Racer (J).z64" });
    PackArchive(Folder, QStringLiteral("7z"), { "a", "-bd", "whole.7z", "Speed Racer (J).z64" });
    QFile whole(Folder.Path("whole.7z"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    // Cut inside its data, and wrecked in its signature header.
    Folder.Write(QStringLiteral("cut.7z"), whole.read(whole.size() / 2));
    whole.seek(0);
    QByteArray wrecked = whole.readAll();
    wrecked[12] = char(wrecked[12] ^ 0x55);
    Folder.Write(QStringLiteral("wrecked.7z"), wrecked);
    Folder.Write(QStringLiteral("fake.zip"), "no archive at all");
    Folder.Write(QStringLiteral("Gone.zip"), "");
    QFile::remove(Folder.Path("whole.7z"));

    const std::vector<TTextRow> rows = Rows();
    const TTextRow* notes = RowOf(rows, QStringLiteral("NOTES.ZIP"));
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ((*notes)[ccImageName], NotAnImageText);
    EXPECT_EQ((*notes)[ccSize], SizeText(QFile(Folder.Path("notes.zip")).size()));
    for (const char* name : { "CUT.7Z", "WRECKED.7Z", "FAKE.ZIP" }) {
        SCOPED_TRACE(name);
        const TTextRow* row = RowOf(rows, QString::fromLatin1(name));
        ASSERT_NE(row, nullptr);
        EXPECT_EQ((*row)[ccImageName], DamagedArchiveText);
        EXPECT_EQ((*row)[ccSize], UnreadableSizeText);
    }
    const TTextRow* locked = RowOf(rows, QStringLiteral("LOCKED.ZIP"));
    ASSERT_NE(locked, nullptr);
    EXPECT_EQ((*locked)[ccImageName], EncryptedArchiveText);
    EXPECT_EQ((*locked)[ccSize], UnreadableSizeText);
    // The scan went on past every one of them.
    EXPECT_NE(RowOf(rows, QStringLiteral("GONE.ZIP")), nullptr);
}

TEST_F(ArchiveRows, PlainFilesThatAreNoArchivesKeepTheirRows)
{
    // Not an image and not an archive: the reader is never asked.
    const std::vector<TTextRow> rows = Rows(QStringLiteral("*.txt;*.z64"));
    ASSERT_EQ(rows.size(), 3u);
    for (const TTextRow& row : rows)
        EXPECT_EQ(row[ccKind], "") << row[ccFileName].toStdString();
    EXPECT_EQ(RowOf(rows, QStringLiteral("README.TXT"))->at(ccImageName), NotAnImageText);
}

} // namespace
