#include "catalogue/ListCatalogue.h"
#include "TestImages.h"
#include "catalogue/CatalogueRow.h"
#include "catalogue/ClassifyImageFile.h"
#include "catalogue/FileFilters.h"
#include "platform/EInOutError.h"
#include "platform/RawText.h"

#include <QDir>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

QStringList FileNames(const std::vector<TTextRow>& rows)
{
    QStringList names;
    for (const TTextRow& row : rows)
        names << row[ccFileName];
    return names;
}

} // namespace

TEST(ListCatalogue, OneClassifiedRowPerMatchingPlainFileAndACallBeforeEach)
{
    TTestFolder folder;
    WriteSized(folder, QStringLiteral("zelda.jap"), ImageBytes("ZELDA", 'J'), 33554432);
    folder.Write(QStringLiteral("racer.v64"), "not an image");
    folder.Write(QStringLiteral("notes.txt"), "not listed by the mask");
    ASSERT_TRUE(QDir(folder.Path()).mkdir(QStringLiteral("folder.v64")));

    QList<int> numbers;
    const std::vector<TTextRow> rows = ListCatalogue(
        folder.Path(), DefaultFileMask, [&numbers](int number) { numbers << number; });
    EXPECT_EQ(numbers, (QList<int> { 1, 2 }));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0],
        (TTextRow {
            "RACER", "V64", NotAnImageText, "000 MBit", "", "RACER.V64", "racer.v64", "", "" }));
    EXPECT_EQ(rows[1],
        (TTextRow { "ZELDA", "JAP", "ZELDA               ", "256 MBit", "", "ZELDA.JAP",
            "zelda.jap", "", "" }));

    EXPECT_TRUE(ListCatalogue(folder.Path(), QStringLiteral("*.pal")).empty());
}

TEST(ListCatalogue, ANameThatIsNotUtf8IsReadAndShownAsLatin1)
{
    TTestFolder folder;
    folder.WriteNative("\xc9t\xe9.v64", ImageBytes("SUMMER", 'E'));
    const std::vector<TTextRow> rows = ListCatalogue(folder.Path(), DefaultFileMask);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][ccImageName], QStringLiteral("SUMMER              "));
    EXPECT_EQ(rows[0][ccFileName], QString::fromUtf8("\xc3\x89T\xc3\x89.V64"));
    EXPECT_EQ(rows[0][ccBaseName], QString::fromUtf8("\xc3\x89T\xc3\x89"));
    EXPECT_EQ(EncodeRawText(rows[0][ccRealName]), QByteArray("\xc9t\xe9.v64"));
}

// After a scan the table has sorted its rows by file name three times. The sort is not
// stable, and two passes leave rows with equal names in another order than one or three
// (listed A.JAP, A.PAL, A.US, A.V64, A.V64X.V64: two passes give them back as listed).
TEST(ListCatalogue, EqualNamesEndWhereThreeSortsLeaveThem)
{
    TTestFolder folder;
    for (const char* name : { "a.jap", "a.v64", "a.v64x.v64", "a.pal", "b.usa", "A.US" })
        folder.Write(QString::fromLatin1(name), "x");

    const std::vector<TTextRow> rows = ListCatalogue(folder.Path(), DefaultFileMask);
    EXPECT_EQ(FileNames(rows),
        (QStringList { "A.V64", "A.V64X.V64", "A.US", "A.JAP", "A.PAL", "B.USA" }));
    for (std::size_t row = 0; row + 1 < rows.size(); ++row)
        EXPECT_EQ(rows[row][ccBaseName], QStringLiteral("A"));
}

TEST(ListCatalogue, AFolderThatCannotBeListedRaises)
{
    TTestFolder folder;
    EXPECT_THROW(
        ListCatalogue(folder.Path(QStringLiteral("missing")), DefaultFileMask), EInOutError);
}
