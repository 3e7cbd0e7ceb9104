#include "TMainWindowTest.h"
#include "TMouse.h"
#include "TUnprivileged.h"
#include "catalogue/CatalogueRow.h"
#include "framework/TAnimate.h"
#include "framework/TDirectoryListBox.h"
#include "framework/TSpeedButton.h"
#include "platform/RawText.h"
#include "widgets/TSortedStringGrid.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>

#include <sys/stat.h>

namespace {

// The visible columns of every row, one text per row: "BASE.EXT|IMAGE NAME|SIZE".
QStringList Rows(const TSortedStringGrid* grid)
{
    QStringList rows;
    for (int row = 0; row < grid->RowCount(); ++row)
        rows << grid->Cells(0, row) + QLatin1Char('.') + grid->Cells(1, row) + QLatin1Char('|')
                + grid->Cells(2, row).trimmed() + QLatin1Char('|') + grid->Cells(3, row);
    return rows;
}

// The six table columns of every row, tab-separated, as conveyor-cli list --tsv prints them.
QStringList TsvRows(const TSortedStringGrid* grid)
{
    QStringList rows;
    for (int row = 0; row < grid->RowCount(); ++row) {
        QStringList texts;
        for (int column = 0; column <= ccFileName; ++column)
            texts << grid->Cells(column, row);
        rows << texts.join(QLatin1Char('\t'));
    }
    return rows;
}

// What conveyor-cli list --tsv prints for a folder, one row per line.
QStringList CliListing(const QString& folder)
{
    QProcess process;
    process.start(
        QStringLiteral(CONVEYOR_CLI), { QStringLiteral("list"), QStringLiteral("--tsv"), folder });
    if (!process.waitForFinished(20000) || process.exitCode() != 0) {
        ADD_FAILURE() << "conveyor-cli list: " << process.readAllStandardError().constData();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList FileNames(const TSortedStringGrid* grid)
{
    QStringList names;
    for (int row = 0; row < grid->RowCount(); ++row)
        names << grid->Cells(5, row);
    return names;
}

} // namespace

class TCatalogueListing : public TMainWindowTest
{
protected:
    QString Status() const { return Find<QLabel>("Label6")->text(); }
    QString Count() const { return Find<QLabel>("Label11")->text(); }
    QComboBox* Filter() const { return Find<QComboBox>("ComboBox1"); }
};

TEST_F(TCatalogueListing, AnEmptyDirectoryLeavesOneEmptyRowAndBlankMarkers)
{
    Images.Write(QStringLiteral("notes.txt"), "not listed by the default mask");
    SettingsForImages();
    Start();

    EXPECT_EQ(Count(), " 0 Files");
    EXPECT_EQ(Status(), "  Done...");
    ASSERT_EQ(Grid()->RowCount(), 1);
    for (int column = 0; column < Grid()->ColCount(); ++column)
        EXPECT_TRUE(Grid()->Cells(column, 0).isEmpty()) << column;
    for (const char* edit : { "Edit3", "Edit4", "Edit5", "Edit1" })
        EXPECT_TRUE(Find<QLineEdit>(edit)->text().isEmpty()) << edit;
    for (int button = 0; button < 4; ++button)
        EXPECT_EQ(Marker(button), 2) << button;

    // With no file, the header buttons do nothing.
    Find<TSpeedButton>("SpeedButton3")->click();
    EXPECT_EQ(Marker(1), 2);
    EXPECT_EQ(Grid()->SortColumn(), 0);
}

TEST_F(TCatalogueListing, TheCountOfAScanIsTheNumberOfFilesRead)
{
    for (int i = 1; i <= 300; ++i)
        Images.Write(QStringLiteral("F%1.V64").arg(i, 3, 10, QLatin1Char('0')), "x");
    SettingsForImages();
    Start();

    EXPECT_EQ(Count(), "300 Files ");
    EXPECT_EQ(Grid()->RowCount(), 300);
    EXPECT_EQ(Grid()->Cells(0, 0), "F001");
    EXPECT_EQ(Grid()->Cells(0, 299), "F300");
}

TEST_F(TCatalogueListing, AScanSortsByFileNameWhateverSortWasInForce)
{
    Images.Write(QStringLiteral("b.v64"), ImageBytes("ALPHA", 'E'));
    Images.Write(QStringLiteral("a.v64"), ImageBytes("CHARLIE", 'J'));
    Images.Write(QStringLiteral("c.v64"), ImageBytes("BRAVO", 'P'));
    SettingsForImages();
    TFMain& window = Start();

    Find<TSpeedButton>("SpeedButton4")->click();
    Find<TSpeedButton>("SpeedButton4")->click();
    EXPECT_EQ(FileNames(Grid()), (QStringList { "A.V64", "C.V64", "B.V64" }));
    EXPECT_EQ(Marker(2), 0);

    Find<TSpeedButton>("SpeedButton10")->click();
    Settle();
    EXPECT_EQ(FileNames(Grid()), (QStringList { "A.V64", "B.V64", "C.V64" }));
    EXPECT_EQ(Grid()->SortColumn(), 0);
    EXPECT_EQ(Grid()->SortDirection(), sdAscending);
    EXPECT_EQ(Marker(0), 1);
    EXPECT_EQ(Marker(1), 2);
    EXPECT_EQ(Marker(2), 2);
    EXPECT_EQ(Marker(3), 2);

    // The first row is current and fills the current-status group.
    EXPECT_EQ(Grid()->Row(), 0);
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), "A.V64");
    EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), "JAP");
    EXPECT_EQ(Find<QLineEdit>("Edit5")->text(), "CHARLIE             ");
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "A");
    EXPECT_EQ(window.CurrentSystem(), "JAP");
}

// Rows with equal file names are where a different number of sorting passes shows.
TEST_F(TCatalogueListing, TheTableHasTheOrderOfConveyorCliListWhateverSortWasInForce)
{
    for (const char* name : { "a.jap", "a.v64", "a.v64x.v64", "a.pal", "b.usa", "A.US" })
        Images.Write(QString::fromLatin1(name), ImageBytes(name, 'E'));
    SettingsForImages();
    Start();

    const QStringList listed = CliListing(Images.Path());
    ASSERT_EQ(listed.size(), 6);
    EXPECT_EQ(TsvRows(Grid()), listed);
    // The first row is current: what "Deliver" sends without a click.
    EXPECT_EQ(Grid()->Row(), 0);
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), listed.first().section(QLatin1Char('\t'), 5));

    // A scan after the table was sorted by file name descending, then by image name.
    Find<TSpeedButton>("SpeedButton2")->click();
    ASSERT_EQ(Grid()->SortDirection(), sdDescending);
    Find<TSpeedButton>("SpeedButton10")->click();
    Settle();
    EXPECT_EQ(TsvRows(Grid()), listed);
    Find<TSpeedButton>("SpeedButton4")->click();
    Find<TSpeedButton>("SpeedButton10")->click();
    Settle();
    EXPECT_EQ(TsvRows(Grid()), listed);
    EXPECT_EQ(Grid()->Row(), 0);
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), listed.first().section(QLatin1Char('\t'), 5));
}

TEST_F(TCatalogueListing, FilterItemsChooseTheMasks)
{
    Images.Write(QStringLiteral("x.usa"), ImageBytes("X", 'E'));
    Images.Write(QStringLiteral("y.us"), ImageBytes("Y", 'E'));
    Images.Write(QStringLiteral("z.v64"), ImageBytes("Z", 'E'));
    Images.Write(QStringLiteral("a.jap"), ImageBytes("A JAPAN", 'J'));
    Images.Write(QStringLiteral("a.v64"), ImageBytes("A WORLD", 'E'));
    Images.Write(QStringLiteral("notes.txt"), "plain text");
    QDir().mkpath(Images.Path("folder.v64"));
    SettingsForImages();
    Start();

    // Item 0: both files of the same base name, side by side after the sort.
    EXPECT_EQ(FileNames(Grid()), (QStringList { "A.V64", "A.JAP", "X.USA", "Y.US", "Z.V64" }));

    Filter()->setCurrentIndex(4);
    Settle();
    EXPECT_EQ(FileNames(Grid()), (QStringList { "X.USA", "Y.US" }));

    // Item 6: every plain file, images or not; never a folder.
    Filter()->setCurrentIndex(6);
    Settle();
    EXPECT_EQ(Rows(Grid()),
        (QStringList { "A.V64|A WORLD|000 MBit", "A.JAP|A JAPAN|000 MBit",
            "NOTES.TXT|--> WARNING: NOT AN IMAGE|000 MBit", "X.USA|X|000 MBit", "Y.US|Y|000 MBit",
            "Z.V64|Z|000 MBit" }));
}

TEST_F(TCatalogueListing, AFilterChangeSavesAtOnceAndScansOnce)
{
    Images.Write(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
    Images.Write(QStringLiteral("ninja.jap"), ImageBytes("NINJA", 'J'));
    SettingsForImages();
    Start();
    ASSERT_EQ(Scans, 1);

    Filter()->setCurrentIndex(2);
    EXPECT_EQ(IniValue("Directories", "Wildcard"), "*.jap");
    Settle();
    EXPECT_EQ(Scans, 2);
    EXPECT_EQ(FileNames(Grid()), (QStringList { "NINJA.JAP" }));

    // The item in force once more: nothing is read again.
    Grid()->SetCells(0, 0, QStringLiteral("UNTOUCHED"));
    auto* filter = Window->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    emit filter->currentIndexChanged(filter->currentIndex());
    Settle();
    EXPECT_EQ(Scans, 2);
    EXPECT_EQ(Grid()->Cells(0, 0), "UNTOUCHED");
}

TEST_F(TCatalogueListing, AStoredMaskThatIsNoItemFiltersWithNoItemSelected)
{
    Images.Write(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
    Images.Write(QStringLiteral("ninja.jap"), ImageBytes("NINJA", 'J'));
    SettingsForImages(QStringLiteral("Wildcard=*.V64\n"));
    Start();

    EXPECT_EQ(Filter()->currentIndex(), -1);
    EXPECT_EQ(FileNames(Grid()), (QStringList { "RACER.V64" }));

    SettingsForImages(QStringLiteral("Wildcard=*.v64\n"));
    Window.reset();
    Start();
    EXPECT_EQ(Filter()->currentIndex(), 1);
}

TEST_F(TCatalogueListing, RefreshDirShowsAFileCopiedIn)
{
    Images.Write(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
    SettingsForImages();
    Start();
    EXPECT_EQ(FileNames(Grid()), (QStringList { "RACER.V64" }));

    // Not watched: the new file waits for the next scan.
    Images.Write(QStringLiteral("alpine.pal"), ImageBytes("ALPINE", 'P'));
    QCoreApplication::processEvents();
    EXPECT_EQ(Grid()->RowCount(), 1);
    Find<TSpeedButton>("SpeedButton10")->click();
    Settle();
    EXPECT_EQ(FileNames(Grid()), (QStringList { "ALPINE.PAL", "RACER.V64" }));
}

TEST_F(TCatalogueListing, SeveralReadingsBeforeTheTimerFiresGiveOneScan)
{
    Images.Write(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
    QDir().mkpath(Images.Path("more"));
    SettingsForImages();
    Start();
    ASSERT_EQ(Scans, 1);

    // Three fresh readings of the file list in a row, as one handler might cause them.
    Find<TSpeedButton>("SpeedButton10")->click();
    Find<TSpeedButton>("SpeedButton10")->click();
    Filter()->setCurrentIndex(6);
    Settle();
    EXPECT_EQ(Scans, 2);
}

TEST_F(TCatalogueListing, ADirectoryChangeRecordsTheDirectoryAndTellsOfTheListing)
{
    Images.Write(QStringLiteral("more/alpine.pal"), ImageBytes("ALPINE", 'P'));
    SettingsForImages();
    TFMain& window = Start();

    Find<TDirectoryListBox>("DirectoryListBox1")->SetDirectory(Images.Path("more"));
    EXPECT_EQ(Status(), " Getting filelist...");
    EXPECT_TRUE(Count().isEmpty());
    EXPECT_EQ(IniValue("Directories", "Last"), Images.Path("more"));
    EXPECT_EQ(window.Settings().LastDir, Images.Path("more"));
    Settle();
    EXPECT_EQ(Status(), " Checksums cannot be checked (file too short)");
    EXPECT_EQ(Count(), "1 Files ");
    EXPECT_EQ(window.SelectedDirectory(), Images.Path("more") + "/");
}

TEST_F(TCatalogueListing, AFolderNamedInLatin1IsListedAndStoredByItsOwnBytes)
{
    const QByteArray cafe = QFile::encodeName(Images.Path()) + "/Caf\xe9";
    ASSERT_EQ(::mkdir(cafe.constData(), 0777), 0);
    Images.WriteNative("Caf\xe9/racer.v64", ImageBytes("RACER", 'E'));
    Images.WriteNative("Caf\xe9/\xc9t\xe9.pal", ImageBytes("SUMMER", 'P'));
    Program.Write(
        QStringLiteral("Conveyor.ini"), "[Common]\nLast=1\n[Directories]\nLast=" + cafe + "\n");
    TFMain& window = Start();

    auto* tree = Find<TDirectoryListBox>("DirectoryListBox1");
    EXPECT_EQ(EncodeRawText(tree->Directory()), cafe) << "the stored last folder opens";
    const QStringList listed { "RACER.V64|RACER|000 MBit",
        QString::fromUtf8("\xc3\x89T\xc3\x89.PAL|SUMMER|000 MBit") };
    EXPECT_EQ(Rows(Grid()), listed);

    // Out of it and back in with a double-click.
    tree->SetDirectory(Images.Path());
    Settle();
    EXPECT_EQ(Count(), " 0 Files");
    const QList<QListWidgetItem*> found
        = tree->findItems(QString::fromUtf8("Caf\xc3\xa9"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    tree->scrollToItem(found.front());
    DoubleClick(tree->viewport(), tree->visualItemRect(found.front()).center());
    Settle();
    EXPECT_EQ(EncodeRawText(window.Settings().LastDir), cafe);
    EXPECT_TRUE(Program.Read(QStringLiteral("Conveyor.ini")).contains("\nLast=" + cafe + "\n"));
    EXPECT_EQ(Rows(Grid()), listed);
    EXPECT_EQ(EncodeRawText(window.SelectedDirectory()), cafe + "/");
    EXPECT_TRUE(Errors.Boxes.empty());
}

TEST_F(TCatalogueListing, TheAnimationCoversTheTableWhileAScanRuns)
{
    Images.Write(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
    SettingsForImages();
    Start();
    auto* animate = Find<TAnimate>("Animate2");
    EXPECT_FALSE(animate->isVisible());

    bool shownWhileFilling = false;
    QObject::connect(Grid()->model(), &QAbstractItemModel::dataChanged, animate,
        [&] { shownWhileFilling = animate->isVisible() && animate->Active(); });
    Find<TSpeedButton>("SpeedButton10")->click();
    Settle();
    EXPECT_TRUE(shownWhileFilling);
    EXPECT_FALSE(animate->isVisible());
    EXPECT_FALSE(animate->Active());
    EXPECT_EQ(animate->CommonAVI(), TAnimate::aviFindFolder);
    EXPECT_EQ(animate->geometry(), Grid()->geometry());
}

TEST_F(TCatalogueListing, ChoosingARowShowsItsImage)
{
    Images.Write(QStringLiteral("a.v64"), ImageBytes("FIRST", 'E'));
    Images.Write(QStringLiteral("b.pal"), ImageBytes("SECOND", 'P'));
    SettingsForImages();
    TFMain& window = Start();

    const QRect second = Grid()->visualRect(Grid()->model()->index(1, 0));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), "B.PAL");
    EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), "PAL");
    EXPECT_EQ(window.CurrentSystem(), "PAL");

    // By keyboard too.
    QTest::keyClick(Grid(), Qt::Key_Up);
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), "A.V64");
    EXPECT_EQ(window.CurrentSystem(), "USA");
}

TEST_F(TCatalogueListing, AnUnreadableDirectoryShowsTheErrorAndKeepsTheTable)
{
    Images.Write(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
    QDir().mkpath(Images.Path("locked"));
    SettingsForImages();
    ShareWithEveryone();
    Start();
    const QStringList before = Rows(Grid());
    auto* tree = Find<TDirectoryListBox>("DirectoryListBox1");

    // Opening a folder that cannot be read.
    QFile::setPermissions(Images.Path("locked"), QFile::Permissions());
    int row = 0;
    while (row < tree->count() && tree->ItemPath(row) != Images.Path("locked"))
        ++row;
    ASSERT_LT(row, tree->count());
    {
        TUnprivileged unprivileged;
        DoubleClick(tree->viewport(), tree->visualItemRect(tree->item(row)).center());
        Settle();
    }
    ASSERT_EQ(Errors.Boxes.size(), 1u);
    EXPECT_TRUE(Errors.Boxes[0].Text.contains("Permission denied")) << Errors.Boxes[0].Text;
    EXPECT_EQ(tree->Directory(), Images.Path());
    EXPECT_EQ(Rows(Grid()), before);

    // The listed directory itself becoming unreadable, then "Refresh Dir".
    QFile::setPermissions(Images.Path(), QFile::ReadOwner | QFile::WriteOwner);
    {
        TUnprivileged unprivileged;
        Find<TSpeedButton>("SpeedButton10")->click();
        Settle();
    }
    QFile::setPermissions(Images.Path(), QFile::Permissions(0x7777));
    ASSERT_EQ(Errors.Boxes.size(), 2u);
    EXPECT_TRUE(Errors.Boxes[1].Text.contains(Images.Path())) << Errors.Boxes[1].Text;
    EXPECT_EQ(Rows(Grid()), before);
    EXPECT_EQ(Status(), " Checksums cannot be checked (file too short)");
}

// The scan lists the folder itself; a folder that became unreadable after the file list read
// it is told and leaves the previous scan in the table.
