#include "CheckedImages.h"
#include "TMainWindowTest.h"
#include "framework/TSpeedButton.h"
#include "widgets/TSortedStringGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>

// Images in every byte order through the real main window: the filter item that lists
// them, the rename's extension and the checksum verdict of a chosen row.
class TImageOrders : public TMainWindowTest
{
protected:
    static QString AllImagesMask()
    {
        return QStringLiteral("*.v64;*.jap;*.pal;*.usa;*.us;*.z64;*.n64;*.zip;*.7z;*.gz");
    }

    TFMain& StartListingAllImages()
    {
        SettingsForImages(QStringLiteral("Wildcard=") + AllImagesMask() + QLatin1Char('\n'));
        return Start();
    }

    QComboBox* Filter() const { return Find<QComboBox>("ComboBox1"); }
    QString Status() const { return Find<QLabel>("Label6")->text(); }
    QString Preview() const { return Find<QLabel>("Label13")->text(); }

    // The files the table lists, by their visible full names.
    QStringList Listed() const
    {
        QStringList names;
        for (int row = 0; row < Grid()->RowCount(); ++row)
            names << Grid()->Cells(5, row);
        return names;
    }
};

TEST_F(TImageOrders, TheEighthFilterItemListsEveryOrderAndIsRemembered)
{
    Images.Write(QStringLiteral("game.v64"), ImageBytes("same game", 'J'));
    Images.Write(QStringLiteral("game.z64"), BigEndianHeaderBytes("same game", 'J'));
    Images.Write(QStringLiteral("game.n64"), LittleEndianHeaderBytes("same game", 'J'));
    Images.Write(QStringLiteral("chess.usa"), ImageBytes("chess", 'E'));
    Images.Write(QStringLiteral("notes.txt"), "not an image");
    SettingsForImages();
    Start();

    // The seven items stay where they were, so stored masks select what they selected.
    ASSERT_EQ(Filter()->count(), 9);
    EXPECT_EQ(Filter()->itemText(6), "All Files (*.*)");
    EXPECT_EQ(Filter()->itemText(7), "All Images (*.v64, *.z64, *.n64, ...)");
    EXPECT_EQ(Filter()->currentIndex(), 0);
    EXPECT_EQ(Listed(), (QStringList { "CHESS.USA", "GAME.V64" }));

    Filter()->setCurrentIndex(7);
    Settle();
    EXPECT_EQ(IniValue("Directories", "Wildcard"), AllImagesMask());
    QStringList listed = Listed();
    listed.sort();
    EXPECT_EQ(listed, (QStringList { "CHESS.USA", "GAME.N64", "GAME.V64", "GAME.Z64" }));
    // The same game shows the same texts in every order; the extension stays the file's.
    for (int row = 0; row < Grid()->RowCount(); ++row) {
        if (Grid()->Cells(0, row) != "GAME")
            continue;
        EXPECT_EQ(Grid()->Cells(2, row), "SAME GAME           ") << row;
        EXPECT_EQ(Grid()->Cells(1, row), Grid()->Cells(5, row).mid(5)) << row;
    }

    Window.reset();
    Start();
    EXPECT_EQ(Filter()->currentIndex(), 7);
    EXPECT_EQ(Listed().size(), 4);
}

TEST_F(TImageOrders, TheRenameGivesTheExtensionOfTheFilesOrder)
{
    Images.Write(QStringLiteral("a.z64"), BigEndianHeaderBytes("alpha", 'E'));
    Images.Write(QStringLiteral("b.n64"), LittleEndianHeaderBytes("bravo", 'E'));
    Images.Write(QStringLiteral("c.v64"), ImageBytes("charlie", 'E'));
    Images.Write(QStringLiteral("d.usa"), "not an image");
    StartListingAllImages();
    ASSERT_EQ(Listed(), (QStringList { "A.Z64", "B.N64", "C.V64", "D.USA" }));

    const QString extensions[] = { ".z64", ".n64", ".v64", ".v64" };
    for (int row = 0; row < 4; ++row) {
        ClickRow(row);
        TypeNewName(QStringLiteral("Demo"));
        EXPECT_EQ(Preview(), QStringLiteral("Demo") + extensions[row]) << row;
    }
    // "Add system to extension" as always.
    ClickRow(1);
    TypeNewName(QStringLiteral("Demo"));
    Find<QCheckBox>("CheckBox1")->setChecked(true);
    EXPECT_EQ(Preview(), "Demo.USA");
    Find<QCheckBox>("CheckBox1")->setChecked(false);

    ClickRow(0);
    TypeNewName(QStringLiteral("Racer"));
    Find<TSpeedButton>("SpeedButton6")->click();
    Settle();
    EXPECT_EQ(QDir(Images.Path()).entryList(QDir::Files, QDir::Name),
        (QStringList { "Racer.z64", "b.n64", "c.v64", "d.usa" }));
    EXPECT_EQ(Images.Read(QStringLiteral("Racer.z64")), BigEndianHeaderBytes("alpha", 'E'));
}

TEST_F(TImageOrders, ChoosingARowShowsTheChecksumVerdictOfItsFile)
{
    Images.Write(QStringLiteral("bad.n64"),
        InByteOrder(CheckedCartridgeImage(bc6106, CheckedLength, 1, false), boLittleEndian));
    Images.Write(QStringLiteral("good.z64"), CheckedCartridgeImage(bc6102, CheckedLength + 8, 2));
    Images.Write(QStringLiteral("other.v64"),
        InByteOrder(CheckedCartridgeImage(bc6105, CheckedLength, 3), boDevice));
    Images.Write(QStringLiteral("short.z64"), BigEndianHeaderBytes("short", 'E'));
    WriteSized(Images, QStringLiteral("unknown.v64"), ImageBytes("zeros", 'E'), CheckedLength);
    Images.Write(QStringLiteral("words.v64"), "not an image");
    StartListingAllImages();
    ASSERT_EQ(Listed(),
        (QStringList {
            "BAD.N64", "GOOD.Z64", "OTHER.V64", "SHORT.Z64", "UNKNOWN.V64", "WORDS.V64" }));
    const char* verdicts[] = {
        " Warning: checksums do not match",
        " Checksums match (boot code 6102)",
        " Checksums match (boot code 6105)",
        " Checksums cannot be checked (file too short)",
        " Checksums cannot be checked (unknown boot code)",
    };
    // The row a scan makes current is checked like a row the user chose.
    EXPECT_EQ(Status(), verdicts[0]);
    for (int row = 0; row < 5; ++row) {
        ClickRow(row);
        EXPECT_EQ(Status(), verdicts[row]) << row;
    }

    // A file that is no image has no verdict, and another row's must not stand for it.
    ClickRow(1);
    ClickRow(5);
    EXPECT_EQ(Status(), "");
    // Nor has a file that went away since the scan; its error shows where it always did.
    ClickRow(1);
    ASSERT_TRUE(QFile::remove(Images.Path(QStringLiteral("other.v64"))));
    ClickRow(2);
    EXPECT_EQ(Status(), "");
    EXPECT_TRUE(Find<QLineEdit>("Edit5")->text().startsWith("2: "))
        << Find<QLineEdit>("Edit5")->text();
    // A status the user was given for something else stays.
    Window->SetStatusText(QStringLiteral("  Done..."));
    ClickRow(5);
    EXPECT_EQ(Status(), "  Done...");

    Find<TSpeedButton>("SpeedButton10")->click();
    Settle();
    EXPECT_EQ(Status(), verdicts[0]);
}
