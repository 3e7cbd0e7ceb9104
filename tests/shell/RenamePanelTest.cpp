#include "TMainWindowTest.h"
#include "TUnprivileged.h"
#include "framework/TDirectoryListBox.h"
#include "framework/TSpeedButton.h"
#include "widgets/TSortedStringGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

class TRenamePanel : public TMainWindowTest
{
protected:
    TFMain& StartWith(const QString& name, const QByteArray& bytes)
    {
        Images.Write(name, bytes);
        SettingsForImages();
        return Start();
    }

    QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
    QString Preview() const { return Find<QLabel>("Label13")->text(); }
    QString Status() const { return Find<QLabel>("Label6")->text(); }
    QStringList OnDisk() const { return QDir(Images.Path()).entryList(QDir::Files, QDir::Name); }

    void Apply()
    {
        Find<TSpeedButton>("SpeedButton6")->click();
        Settle();
    }
};

TEST_F(TRenamePanel, RenameShowsAndHidesThePanelBelowTheTree)
{
    StartWith(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
    QWidget* panel = Find<QWidget>("Panel5");
    QWidget* tree = Find<QWidget>("DirectoryListBox1");
    EXPECT_FALSE(panel->isVisible());
    const int alone = tree->height();

    Find<TSpeedButton>("SpeedButton9")->click();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->height(), 221);
    EXPECT_EQ(tree->geometry().bottom() + 1, panel->y());
    EXPECT_EQ(tree->height(), alone - 221);

    Find<TSpeedButton>("SpeedButton9")->click();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(tree->height(), alone);
}

TEST_F(TRenamePanel, ThePreviewFollowsTheTypedNameAndTheSystemCheckBox)
{
    StartWith(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
    EXPECT_EQ(Edit("Edit1")->text(), "RACER");
    // The preview shows what a rename would give from the start.
    EXPECT_EQ(Preview(), "RACER.v64");

    TypeNewName(QStringLiteral("Demo"));
    EXPECT_EQ(Preview(), "Demo.v64");
    Find<QCheckBox>("CheckBox1")->setChecked(true);
    EXPECT_EQ(Preview(), "Demo.USA");
    Find<QCheckBox>("CheckBox1")->setChecked(false);
    EXPECT_EQ(Preview(), "Demo.v64");

    // Each key released updates it at once.
    QTest::keyClick(Edit("Edit1"), Qt::Key_X);
    EXPECT_EQ(Preview(), "Demox.v64");
}

TEST_F(TRenamePanel, ChoosingAnotherRowReplacesTheTypedName)
{
    Images.Write(QStringLiteral("alpine.pal"), ImageBytes("ALPINE", 'P'));
    StartWith(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
    TypeNewName(QStringLiteral("Typed"));

    const QRect second = Grid()->visualRect(Grid()->model()->index(1, 0));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(Edit("Edit1")->text(), "RACER");
    EXPECT_EQ(Preview(), "RACER.v64");
}

TEST_F(TRenamePanel, TheSystemBecomesTheExtension)
{
    StartWith(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
    Find<QCheckBox>("CheckBox1")->setChecked(true);
    TypeNewName(QStringLiteral("Demo"));
    Apply();

    EXPECT_EQ(OnDisk(), (QStringList { "Demo.USA" }));
    // Listed under its new name, upper-cased; the first row's name is back in the edit.
    EXPECT_EQ(Grid()->Cells(5, 0), "DEMO.USA");
    EXPECT_EQ(Grid()->Cells(6, 0), "Demo.USA");
    EXPECT_EQ(Edit("Edit1")->text(), "DEMO");
    EXPECT_EQ(Images.Read("Demo.USA"), ImageBytes("RACER", 'E'));
}

TEST_F(TRenamePanel, WithoutTheCheckBoxOrASystemTheExtensionIsV64)
{
    StartWith(QStringLiteral("racer.usa"), ImageBytes("RACER", 'E'));
    TypeNewName(QStringLiteral("Demo"));
    Apply();
    EXPECT_EQ(OnDisk(), (QStringList { "Demo.v64" }));

    // Country code 0: no system, so the box changes nothing.
    Images.Write(QStringLiteral("blank.v64"), ImageBytes("BLANK", '\0'));
    Find<TSpeedButton>("SpeedButton10")->click();
    Settle();
    ASSERT_EQ(Edit("Edit3")->text(), "BLANK.V64");
    EXPECT_TRUE(Edit("Edit4")->text().isEmpty());
    Find<QCheckBox>("CheckBox1")->setChecked(true);
    TypeNewName(QStringLiteral("Plain"));
    EXPECT_EQ(Preview(), "Plain.v64");
    Apply();
    EXPECT_EQ(OnDisk(), (QStringList { "Demo.v64", "Plain.v64" }));
}

TEST_F(TRenamePanel, AGermanImageIsListedOnlyUnderAllFilesAfterwards)
{
    StartWith(QStringLiteral("bahn.v64"), ImageBytes("BAHN", 'D'));
    Find<QCheckBox>("CheckBox1")->setChecked(true);
    TypeNewName(QStringLiteral("Bahn"));
    Apply();

    EXPECT_EQ(OnDisk(), (QStringList { "Bahn.GER" }));
    EXPECT_EQ(Grid()->RowCount(), 1);
    EXPECT_TRUE(Grid()->Cells(5, 0).isEmpty());
    Find<QComboBox>("ComboBox1")->setCurrentIndex(6);
    Settle();
    EXPECT_EQ(Grid()->Cells(5, 0), "BAHN.GER");
}

TEST_F(TRenamePanel, TheFileIsRenamedByItsNameOnDisk)
{
    // Mixed case on disk; the table shows it upper-cased.
    StartWith(QStringLiteral("Mixed.Case.v64"), ImageBytes("MIXED", 'J'));
    EXPECT_EQ(Edit("Edit3")->text(), "MIXED.CASE.V64");
    TypeNewName(QStringLiteral("tidy"));
    Apply();
    EXPECT_EQ(OnDisk(), (QStringList { "tidy.v64" }));
}

TEST_F(TRenamePanel, AnExistingFileIsNeverReplaced)
{
    const QByteArray other = ImageBytes("OTHER", 'P') + QByteArray("other contents");
    Images.Write(QStringLiteral("taken.v64"), other);
    const QByteArray racer = ImageBytes("RACER", 'E') + QByteArray("racer contents");
    TFMain& window = StartWith(QStringLiteral("racer.v64"), racer);
    ASSERT_EQ(window.CurrentDeliveryRow().Path, window.SelectedDirectory() + "racer.v64");
    const int scans = Scans;

    TypeNewName(QStringLiteral("taken"));
    Apply();
    EXPECT_EQ(Status(), " Rename failed: a file named taken.v64 already exists");
    EXPECT_EQ(Images.Read("taken.v64"), other);
    EXPECT_EQ(Images.Read("racer.v64"), racer);
    // Nothing read again; the typed name stays for another try.
    EXPECT_EQ(Scans, scans);
    EXPECT_EQ(Edit("Edit1")->text(), "taken");

    // Nor is a name that differs from another file's only in case: the table and the device
    // would show two rows of one name.
    TypeNewName(QStringLiteral("TAKEN"));
    Apply();
    EXPECT_EQ(
        Status(), " Rename refused: TAKEN.v64 differs from the file taken.v64 only in letter case");
    EXPECT_EQ(OnDisk(), (QStringList { "racer.v64", "taken.v64" }));
    EXPECT_EQ(Scans, scans);
    // The file itself may change its case.
    TypeNewName(QStringLiteral("RACER"));
    Apply();
    EXPECT_EQ(OnDisk(), (QStringList { "RACER.v64", "taken.v64" }));
}

TEST_F(TRenamePanel, ThePreviewIsAlwaysTheNameARenameGives)
{
    Images.Write(QStringLiteral("zulu.usa"), BigEndianHeaderBytes("ZULU", 'E'));
    StartWith(QStringLiteral("alpha.v64"), ImageBytes("ALPHA", 'P'));
    Find<QCheckBox>("CheckBox1")->setChecked(true);
    // The scan put the first row's name there, and the preview says so.
    EXPECT_EQ(Preview(), "ALPHA.PAL");
    TypeNewName(QStringLiteral("Bravo"));
    Apply();
    ASSERT_EQ(OnDisk(), (QStringList { "Bravo.PAL", "zulu.usa" }));
    // After the rename the rescan makes BRAVO current again and the preview follows at once;
    // the next rename gives exactly what it shows.
    EXPECT_EQ(Edit("Edit1")->text(), "BRAVO");
    EXPECT_EQ(Preview(), "BRAVO.PAL");
    Find<QCheckBox>("CheckBox1")->setChecked(false);
    const QString shown = Preview();
    Apply();
    EXPECT_EQ(OnDisk(), (QStringList { shown, "zulu.usa" }));
    // Choosing the big-endian file by keyboard gives its own extension in the preview.
    Grid()->setFocus();
    QTest::keyClick(Grid(), Qt::Key_End);
    EXPECT_EQ(Edit("Edit3")->text(), "ZULU.USA");
    EXPECT_EQ(Preview(), "ZULU.z64");
}

TEST_F(TRenamePanel, ARefusedRenameTellsWhy)
{
    Images.Write(QStringLiteral("locked/racer.v64"), ImageBytes("RACER", 'E'));
    Program.Write(QStringLiteral("Conveyor.ini"),
        QStringLiteral("[Directories]\nLast=%1\n").arg(Images.Path("locked")).toUtf8());
    ShareWithEveryone();
    QFile::setPermissions(Images.Path("locked"), QFile::Permissions(0x5555));
    Start();

    TypeNewName(QStringLiteral("Demo"));
    {
        TUnprivileged unprivileged;
        Apply();
    }
    QFile::setPermissions(Images.Path("locked"), QFile::Permissions(0x7777));
    EXPECT_EQ(Status(), " Rename failed: 13: Permission denied");
    EXPECT_EQ(QDir(Images.Path("locked")).entryList(QDir::Files), (QStringList { "racer.v64" }));
    EXPECT_EQ(Edit("Edit1")->text(), "Demo");
}

TEST_F(TRenamePanel, NamesThatWouldLeaveTheFolderAreRefused)
{
    StartWith(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
    QDir().mkpath(Images.Path("sub"));
    const QStringList before = OnDisk();

    for (const QString& name : { QStringLiteral("sub/x"), QStringLiteral("../x"),
             QStringLiteral("."), QStringLiteral("..") }) {
        Window->SetStatusText(QString());
        Edit("Edit1")->setText(name);
        Apply();
        EXPECT_EQ(Status(), "Please enter a filename without path characters...") << name;
        EXPECT_EQ(OnDisk(), before) << name;
        EXPECT_TRUE(QDir(Images.Path("sub")).isEmpty()) << name;
        EXPECT_FALSE(QFileInfo::exists(Images.Path("../x.v64"))) << name;
    }
}

TEST_F(TRenamePanel, AnEmptyNameOrNoFileChangesNothing)
{
    StartWith(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
    Edit("Edit1")->clear();
    Apply();
    EXPECT_EQ(Status(), "Please enter a filename...");
    EXPECT_EQ(OnDisk(), (QStringList { "racer.v64" }));

    // A folder without files: there is nothing to rename.
    QDir().mkpath(Images.Path("empty"));
    Find<TDirectoryListBox>("DirectoryListBox1")->SetDirectory(Images.Path("empty"));
    Settle();
    ASSERT_TRUE(Edit("Edit3")->text().isEmpty());
    TypeNewName(QStringLiteral("Demo"));
    Apply();
    EXPECT_EQ(Status(), "No File Selected!");
    EXPECT_EQ(OnDisk(), (QStringList { "racer.v64" }));
    EXPECT_TRUE(QDir(Images.Path("empty")).isEmpty());
}

TEST_F(TRenamePanel, TypingLimits)
{
    StartWith(QStringLiteral("longername.v64"), ImageBytes("LONG", 'E'));
    // A longer base name put there by the program stays whole, and typing adds nothing.
    EXPECT_EQ(Edit("Edit1")->text(), "LONGERNAME");
    Edit("Edit1")->end(false);
    QTest::keyClicks(Edit("Edit1"), QStringLiteral("XY"));
    EXPECT_EQ(Edit("Edit1")->text(), "LONGERNAME");

    TypeNewName(QStringLiteral("ABCDEFGHIJ"));
    EXPECT_EQ(Edit("Edit1")->text(), "ABCDEFGH");

    // The new image name takes 20 characters and changes nothing.
    QTest::keyClicks(Edit("Edit2"), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    EXPECT_EQ(Edit("Edit2")->text(), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_FALSE(Find<TSpeedButton>("SpeedButton7")->isEnabled());
    Find<TSpeedButton>("SpeedButton7")->click();
    EXPECT_EQ(OnDisk(), (QStringList { "longername.v64" }));
    EXPECT_EQ(Grid()->Cells(2, 0).trimmed(), "LONG");
}
