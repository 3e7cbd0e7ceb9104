#include "catalogue/TCurrentImage.h"
#include "TestImages.h"
#include "catalogue/CatalogueRow.h"
#include "catalogue/ClassifyImageFile.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class CurrentImage : public ::testing::Test
{
protected:
    std::vector<QString> Row(const QString& name) const
    {
        std::vector<QString> row(CatalogueColumnCount);
        ClassifyImageFile(Directory(), name, row);
        return row;
    }

    QString Directory() const { return SelectedDirectory(Folder.Path()); }

    std::optional<TCurrentImage> Examine(const QString& name) const
    {
        return ExamineCurrentImage(Directory(), Row(name));
    }

    TTestFolder Folder;
};

} // namespace

TEST_F(CurrentImage, TheFieldsComeFromTheRowAndTheSystemFromTheCountryCode)
{
    Folder.Write(QStringLiteral("Racer.v64"), ImageBytes("test image", 'E'));
    const std::optional<TCurrentImage> image = Examine(QStringLiteral("Racer.v64"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->FileName, QStringLiteral("RACER.V64"));
    EXPECT_EQ(image->NewName, QStringLiteral("RACER"));
    EXPECT_EQ(image->ImageName, QStringLiteral("TEST IMAGE          "));
    EXPECT_EQ(image->System, QStringLiteral("USA"));
    EXPECT_EQ(image->CurrentSystem, QStringLiteral("USA"));
    // The file is opened by its real name; RACER.V64 does not exist.
    EXPECT_EQ(image->RealName, QStringLiteral("Racer.v64"));
}

TEST_F(CurrentImage, EveryCountryCode)
{
    const std::pair<char, const char*> codes[] = { { 'D', "GER" }, { 'E', "USA" }, { 'J', "JAP" },
        { 'P', "PAL" }, { '\0', "" }, { 'F', "" }, { 'e', "" } };
    for (const auto& [code, system] : codes) {
        const QString name = QStringLiteral("c%1.v64").arg(int(code));
        Folder.Write(name, ImageBytes("COUNTRY", code));
        const std::optional<TCurrentImage> image = Examine(name);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->System, QString::fromLatin1(system)) << int(code);
        EXPECT_EQ(image->CurrentSystem, QString::fromLatin1(system)) << int(code);
    }
}

// An earlier image's system must not stay when the next file has none: it would be shown
// for the wrong file and given to the rename as extension.
TEST_F(CurrentImage, NoSystemIsKeptFromAnEarlierImage)
{
    Folder.Write(QStringLiteral("usa.v64"), ImageBytes("USA", 'E'));
    Folder.Write(QStringLiteral("plain.v64"),
        "not an image at all, but long enough to hold a country byte......");
    Folder.Write(QStringLiteral("odd.v64"), ImageBytes("ODD", 'X'));
    Folder.Write(QStringLiteral("short.v64"), ImageBytes("SHORT", 'E').left(0x3F));
    Folder.Write(QStringLiteral("vanishing.v64"), ImageBytes("VANISHING", 'P'));
    ASSERT_EQ(Examine(QStringLiteral("usa.v64"))->CurrentSystem, QStringLiteral("USA"));

    for (const char* name : { "plain.v64", "odd.v64", "short.v64" }) {
        const std::optional<TCurrentImage> image = Examine(QString::fromLatin1(name));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->System, QString()) << name;
        EXPECT_EQ(image->CurrentSystem, QString()) << name;
    }

    std::vector<QString> row = Row(QStringLiteral("vanishing.v64"));
    ASSERT_TRUE(QFile::remove(Folder.Path(QStringLiteral("vanishing.v64"))));
    const std::optional<TCurrentImage> gone = ExamineCurrentImage(Directory(), row);
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->ImageName, QStringLiteral("2: No such file or directory"));
    EXPECT_EQ(gone->FileName, QStringLiteral("VANISHING.V64"));
    EXPECT_EQ(gone->System, QString());
    EXPECT_EQ(gone->CurrentSystem, QString());
}

TEST_F(CurrentImage, EveryByteOrderGivesItsSystemAndItsOwnPlainExtension)
{
    Folder.Write(QStringLiteral("racer.v64"), ImageBytes("RACER", 'J'));
    Folder.Write(QStringLiteral("racer.z64"), BigEndianHeaderBytes("RACER", 'J'));
    Folder.Write(QStringLiteral("racer.n64"), LittleEndianHeaderBytes("RACER", 'J'));
    // Named .v64 but big-endian: a rename must not keep calling it .v64.
    Folder.Write(QStringLiteral("wrong.v64"), BigEndianHeaderBytes("RACER", 'P'));
    Folder.Write(QStringLiteral("notes.txt"), "plain text, no image");
    const std::pair<const char*, const char*> files[]
        = { { "racer.v64", ".v64" }, { "racer.z64", ".z64" }, { "racer.n64", ".n64" },
              { "wrong.v64", ".z64" }, { "notes.txt", ".v64" }, { "missing.z64", ".v64" } };
    for (const auto& [name, extension] : files) {
        const std::optional<TCurrentImage> image = Examine(QString::fromLatin1(name));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->PlainExtension, QString::fromLatin1(extension)) << name;
    }
    for (const char* name : { "racer.v64", "racer.z64", "racer.n64" }) {
        const std::optional<TCurrentImage> image = Examine(QString::fromLatin1(name));
        EXPECT_EQ(image->System, QStringLiteral("JAP")) << name;
        EXPECT_EQ(image->ImageName, "RACER" + QString(15, QLatin1Char(' '))) << name;
    }
    EXPECT_EQ(Examine(QStringLiteral("wrong.v64"))->System, QStringLiteral("PAL"));
}

TEST_F(CurrentImage, ARowWithoutFileChangesNothing)
{
    const std::vector<QString> empty(CatalogueColumnCount);
    EXPECT_FALSE(ExamineCurrentImage(Directory(), empty));
}
