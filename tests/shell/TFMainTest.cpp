#include "TMainWindowTest.h"
#include "TTestFolder.h"
#include "TUnprivileged.h"
#include "TestWidgets.h"
#include "delivery/TFprog.h"
#include "delivery/TMongo.h"
#include "device/TGameDoctor.h"
#include "framework/TAnimate.h"
#include "framework/TDirectoryListBox.h"
#include "framework/TSpeedButton.h"
#include "framework/TSplitter.h"
#include "platform/TClock.h"
#include "platform/port/TSocketPortIo.h"
#include "shell/TMainDeliveryHost.h"
#include "shell/TSettingsFile.h"
#include "simulator/TDoctor64.h"
#include "widgets/TSortedStringGrid.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTimer>

#include <sys/stat.h>

namespace {

const QString Caption = QStringLiteral("Conveyor v" CONVEYOR_VERSION);

// Drags a splitter by dx pixels with the left button, as a user would.
void Drag(QWidget* splitter, int dx)
{
    const QPoint start(splitter->width() / 2, splitter->height() / 2);
    QTest::mousePress(splitter, Qt::LeftButton, {}, start);
    QTest::mouseMove(splitter, start + QPoint(dx / 2, 0));
    QTest::mouseMove(splitter, start + QPoint(dx, 0));
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, start + QPoint(dx, 0));
}

} // namespace

using TStartUp = TMainWindowTest;

TEST_F(TStartUp, AFirstStartCreatesTheSettingsFileAndOpensCentredAtTheDesignedLayout)
{
    TFMain& window = Start();
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();

    const QString home = QDir::homePath();
    EXPECT_EQ(Ini().toStdString(),
        QStringLiteral(
            "[Common]\nLast=0\nTransferPort1=1\nAddress=\n\n"
            "[Sound]\nBeep=0\nPlay=0\nWave=\n\n"
            "[Directories]\nDefault=%1\nLast=%1\nWildcard=*.v64;*.jap;*.pal;*.usa;*.us\n\n"
            "[Columns]\nColumn1=1\nColumn2=1\nColumn3=1\nColumn4=1\n"
            "Column1Width=130\nColumn2Width=50\nColumn3Width=100\nColumn4Width=65\n\n"
            "[Window]\nTop=%2\nLeft=%3\nWidth=644\nHeight=477\nSplitter=180\nMaximized=0\n")
            .arg(home)
            .arg(screen.height() / 2 - 477 / 2)
            .arg(screen.width() / 2 - 644 / 2)
            .toStdString());

    // The stored bounds are the window's outer frame, the inside being smaller by the frame.
    EXPECT_EQ(window.frameGeometry(),
        QRect(screen.width() / 2 - 322, screen.height() / 2 - 238, 644, 477));
    EXPECT_EQ(window.size(), window.frameGeometry().marginsRemoved(Frame(window)).size());
    EXPECT_NE(Frame(window), QMargins());
    EXPECT_EQ(window.windowTitle(), Caption);
    EXPECT_EQ(Application.Title(), Caption);
    EXPECT_EQ(Find<QWidget>("Panel17")->width(), 180);

    // The header: 130, 50, what is left, 65, each followed by its 3-pixel splitter.
    QWidget* header = Find<QWidget>("Panel9");
    const int filename = Find<QWidget>("Panel10")->width();
    const int ext = Find<QWidget>("Panel11")->width();
    const int imageName = Find<QWidget>("Panel12")->width();
    const int mbit = Find<QWidget>("Panel18")->width();
    EXPECT_EQ(filename, 130);
    EXPECT_EQ(ext, 50);
    EXPECT_EQ(mbit, 65);
    EXPECT_EQ(imageName, header->width() - 130 - 50 - 65 - 3 * 3);
    EXPECT_EQ(Find<QWidget>("SpeedButton4")->width(), imageName);
    EXPECT_EQ(Find<QWidget>("Splitter3")->x(), Find<QWidget>("Panel18")->x() - 3);

    auto* grid = Find<TSortedStringGrid>("StringGrid1");
    EXPECT_EQ(grid->ColWidths(0), 133);
    EXPECT_EQ(grid->ColWidths(1), 53);
    EXPECT_EQ(grid->ColWidths(2), imageName + 3);
    EXPECT_EQ(grid->ColWidths(3), 65);
    EXPECT_EQ(grid->DefaultRowHeight(), 16);
    EXPECT_EQ(grid->GridLineWidth(), 0);
    // Header and table begin at the same place, so their columns line up.
    EXPECT_EQ(header->mapTo(&window, QPoint()).x(), grid->mapTo(&window, QPoint()).x());
    EXPECT_EQ(header->width(), grid->width());

    // The first scan has listed the (empty) home folder.
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "  Done...");
    EXPECT_TRUE(Errors.Boxes.empty());
}

TEST_F(TStartUp, TheStoredWindowAndColumnsAreApplied)
{
    SettingsForImages(QStringLiteral("[Columns]\nColumn1Width=90\nColumn2Width=40\n"
                                     "Column3Width=500\nColumn4Width=70\n"
                                     "[Window]\nTop=20\nLeft=30\nWidth=700\nHeight=500\n"
                                     "Splitter=220\n"));
    TFMain& window = Start();

    EXPECT_EQ(window.frameGeometry(), QRect(30, 20, 700, 500));
    EXPECT_EQ(Find<QWidget>("Panel17")->width(), 220);
    EXPECT_EQ(Find<QWidget>("DriveComboBox1")->width(), 220);
    EXPECT_EQ(Find<QWidget>("ComboBox1")->width(), 220);
    EXPECT_EQ(Find<QWidget>("Panel10")->width(), 90);
    EXPECT_EQ(Find<QWidget>("Panel11")->width(), 40);
    EXPECT_EQ(Find<QWidget>("Panel18")->width(), 70);
    // "Image Name" fills the header: its stored width changes nothing on screen.
    EXPECT_EQ(
        Find<QWidget>("Panel12")->width(), Find<QWidget>("Panel9")->width() - 90 - 40 - 70 - 9);
    EXPECT_EQ(Find<QWidget>("Panel7")->width(), Find<QWidget>("GroupBox1")->width() - 15);
    EXPECT_EQ(Find<QWidget>("Label11")->geometry(), Find<QWidget>("Panel29")->contentsRect());
}

TEST_F(TStartUp, AStoredPlaceOffEveryScreenComesBackWhereItsTitleBarCanBeReached)
{
    SettingsForImages(QStringLiteral("[Window]\nTop=-5000\nLeft=40000\nWidth=700\nHeight=500\n"));
    TFMain& window = Start();

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.intersects(QRect(window.pos(), QSize(window.width(), 20))))
        << window.pos().x() << "," << window.pos().y();
    EXPECT_EQ(window.frameGeometry().size(), QSize(700, 500));
    // The next save stores the place that shows the window.
    window.close();
    EXPECT_EQ(IniValue("Window", "Left"), QString::number(window.x()));
    EXPECT_NE(IniValue("Window", "Top"), "-5000");
}

TEST_F(TStartUp, HiddenColumnsKeepOnlyTheirSplitters)
{
    SettingsForImages(QStringLiteral("[Columns]\nColumn1=0\nColumn3=0\nColumn4=0\n"));
    Start();
    auto* grid = Find<TSortedStringGrid>("StringGrid1");

    EXPECT_EQ(Find<QWidget>("Panel10")->width(), 0);
    EXPECT_EQ(Find<QWidget>("SpeedButton2")->width(), 0);
    EXPECT_EQ(grid->ColWidths(0), 3);
    EXPECT_EQ(Find<QWidget>("Panel18")->width(), 0);
    EXPECT_EQ(Find<QWidget>("SpeedButton5")->width(), 0);
    EXPECT_EQ(grid->ColWidths(3), 0);
    // Column3 is stored but changes nothing: "Image Name" still fills.
    EXPECT_EQ(Find<QWidget>("Panel12")->width(), Find<QWidget>("Panel9")->width() - 50 - 9);
    EXPECT_EQ(grid->ColWidths(2), Find<QWidget>("Panel12")->width() + 3);
}

TEST_F(TStartUp, MissingOrUnreadableStartFoldersFallBackToTheHomeFolder)
{
    // A default folder that has gone (the last one is not remembered).
    Program.Write(QStringLiteral("Conveyor.ini"),
        QStringLiteral("[Common]\nLast=0\n[Directories]\nDefault=%1\nWildcard=*.*\n")
            .arg(Images.Path("gone"))
            .toUtf8());
    Home.Write(QStringLiteral("found.v64"), ImageBytes("AT HOME", 'E'));
    TFMain& window = Start();

    EXPECT_EQ(Find<TDirectoryListBox>("DirectoryListBox1")->Directory(), QDir::homePath());
    EXPECT_EQ(window.CurrentDeliveryRow().FileName, "FOUND.V64");
    // Start-up ran to its end: the filter shows the stored mask.
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentIndex(), 6);
    EXPECT_TRUE(Errors.Boxes.empty());
    Window.reset();

    // A remembered folder that exists but cannot be read: said so, and home instead.
    QDir().mkpath(Images.Path("locked"));
    QFile::setPermissions(Images.Path("locked"), QFile::Permissions());
    Program.Write(QStringLiteral("Conveyor.ini"),
        QStringLiteral("[Directories]\nLast=%1\n").arg(Images.Path("locked")).toUtf8());
    ShareWithEveryone();
    {
        TUnprivileged unprivileged;
        Start();
    }
    QFile::setPermissions(
        Images.Path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(Errors.Boxes.size(), 1u);
    EXPECT_TRUE(Errors.Boxes[0].Text.contains(Images.Path("locked"))) << Errors.Boxes[0].Text;
    EXPECT_EQ(Find<TDirectoryListBox>("DirectoryListBox1")->Directory(), QDir::homePath());
}

TEST_F(TStartUp, ASettingsFileThatIsNotRegularIsToldOnceAndTheWindowStartsAsOnAFirstStart)
{
    const QString path = Program.Path(QStringLiteral("Conveyor.ini"));
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    Home.Write(QStringLiteral("found.v64"), ImageBytes("AT HOME", 'E'));
    for (const bool isFifo : { true, false }) {
        SCOPED_TRACE(isFifo ? "a FIFO" : "a link to /dev/zero");
        QFile::remove(path);
        Errors.Boxes.clear();
        if (isFifo)
            ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path));

        TFMain& window = Start();
        ASSERT_EQ(Errors.Boxes.size(), 1u);
        EXPECT_EQ(Errors.Boxes[0].Caption, Caption);
        EXPECT_EQ(Errors.Boxes[0].Text, "Unable to read " + path + ": not a regular file.");

        // The rest of start-up ran, with the values of a first start.
        EXPECT_EQ(window.frameGeometry(),
            QRect(screen.width() / 2 - 322, screen.height() / 2 - 238, 644, 477));
        EXPECT_EQ(Find<QWidget>("Panel17")->width(), 180);
        EXPECT_EQ(Find<TDirectoryListBox>("DirectoryListBox1")->Directory(), QDir::homePath());
        EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentIndex(), 0);
        EXPECT_EQ(window.CurrentDeliveryRow().FileName, "FOUND.V64");

        // Saving on a resize, a new folder and close tells nothing more and writes nothing.
        window.resize(700, 500);
        Settle();
        Find<TSpeedButton>("SpeedButton10")->click();
        Settle();
        window.close();
        EXPECT_EQ(Errors.Boxes.size(), 1u);
        EXPECT_EQ(QFileInfo(path).isSymLink(), !isFifo);
        EXPECT_FALSE(QFileInfo(path).isFile());
        Window.reset();
    }
}

TEST_F(TStartUp, TheFirstScanWaitsForTheEndOfStartUp)
{
    Images.Write(QStringLiteral("racer.v64"), ImageBytes("RACER", 'E'));
    SettingsForImages(QStringLiteral("Wildcard=*.v64\n"));
    Window = std::make_unique<TFMain>(Application, Program.Path(QStringLiteral("conveyor")));
    QObject::connect(Window.get(), &TFMain::CatalogueRead, [this] { ++Scans; });

    // Built, not yet scanned: nothing has run the timer, though start-up let messages run.
    EXPECT_EQ(Scans, 0);
    EXPECT_TRUE(Find<QTimer>("Timer1")->isActive());
    Window->show();
    Settle();
    EXPECT_EQ(Scans, 1);
    EXPECT_EQ(Window->CurrentDeliveryRow().FileName, "RACER.V64");
}

using TLayout = TMainWindowTest;

TEST_F(TLayout, HeaderSplittersKeepTheirMinimumWidthsAndStoreAllFourWidths)
{
    SettingsForImages();
    TFMain& window = Start();
    const QString before = Ini();

    // Before "Mbit": neither that column nor the filling "Image Name" below 60.
    Drag(Find<QWidget>("Splitter3"), -1000);
    EXPECT_EQ(Find<QWidget>("Panel12")->width(), 60);
    Drag(Find<QWidget>("Splitter3"), 1000);
    EXPECT_EQ(Find<QWidget>("Panel18")->width(), 60);
    EXPECT_EQ(window.Settings().ColumnWidth[3], 60);
    EXPECT_EQ(window.Settings().ColumnWidth[2], Find<QWidget>("Panel12")->width());
    EXPECT_EQ(Find<TSortedStringGrid>("StringGrid1")->ColWidths(3), 60);

    // The others: 30.
    Drag(Find<QWidget>("Splitter1"), -1000);
    EXPECT_EQ(Find<QWidget>("Panel10")->width(), 30);
    EXPECT_EQ(window.Settings().ColumnWidth[0], 30);
    EXPECT_EQ(Find<TSortedStringGrid>("StringGrid1")->ColWidths(0), 33);
    Drag(Find<QWidget>("Splitter2"), 1000);
    EXPECT_EQ(Find<QWidget>("Panel12")->width(), 30);
    EXPECT_EQ(window.Settings().ColumnWidth[1], Find<QWidget>("Panel11")->width());

    // The widths reach the file with the next save, not before.
    EXPECT_EQ(Ini(), before);
    window.resize(window.width() + 10, window.height());
    Settle();
    EXPECT_EQ(IniValue("Columns", "Column1Width"), "30");
    EXPECT_EQ(
        IniValue("Columns", "Column4Width"), QString::number(window.Settings().ColumnWidth[3]));
}

TEST_F(TLayout, ThePaneSplitterKeepsBothPanesAtLeast30Wide)
{
    SettingsForImages();
    TFMain& window = Start();

    Drag(Find<QWidget>("Splitter4"), -1000);
    EXPECT_EQ(Find<QWidget>("Panel17")->width(), 30);
    EXPECT_EQ(Find<QWidget>("DriveComboBox1")->width(), 30);
    Drag(Find<QWidget>("Splitter4"), 2000);
    EXPECT_EQ(Find<QWidget>("Panel8")->width(), 30);

    // The pane's width is read live by every save.
    window.close();
    EXPECT_EQ(IniValue("Window", "Splitter"), QString::number(Find<QWidget>("Panel17")->width()));
}

TEST_F(TLayout, EveryResizeRewritesTheSettingsFileAndCloseSavesIt)
{
    SettingsForImages();
    TFMain& window = Start();

    // What is stored is the outer frame.
    const QMargins frame = Frame(window);
    window.resize(700, 520);
    Settle();
    EXPECT_EQ(IniValue("Window", "Width"), QString::number(700 + frame.left() + frame.right()));
    EXPECT_EQ(IniValue("Window", "Height"), QString::number(520 + frame.top() + frame.bottom()));
    window.resize(660, 480);
    Settle();
    EXPECT_EQ(IniValue("Window", "Width"), QString::number(660 + frame.left() + frame.right()));
    // The layout follows the new size.
    EXPECT_EQ(
        Find<QWidget>("Panel12")->width(), Find<QWidget>("Panel9")->width() - 130 - 50 - 65 - 9);

    // Moving is no resize: the file learns the place when the window closes.
    window.move(11, 22);
    Settle();
    EXPECT_NE(IniValue("Window", "Left"), "11");
    window.close();
    EXPECT_EQ(IniValue("Window", "Left"), "11");
    EXPECT_EQ(IniValue("Window", "Top"), "22");
}

TEST_F(TLayout, AnErrorInAHandlerShowsTheBoxWithTheTitleAndTheProgramGoesOn)
{
    SettingsForImages();
    TFMain& window = Start();
    const QString file = Program.Path(QStringLiteral("Conveyor.ini"));
    ShareWithEveryone();
    QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther);
    {
        TUnprivileged unprivileged;
        window.resize(650, 480);
        Settle();
    }
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);

    ASSERT_EQ(Errors.Boxes.size(), 1u);
    EXPECT_EQ(Errors.Boxes[0].Caption, Caption);
    // The "." follows a message whose last character comes after it.
    EXPECT_EQ(Errors.Boxes[0].Text, "Unable to write to " + file + ".");

    // The window still works.
    Images.Write(QStringLiteral("new.v64"), ImageBytes("NEW", 'E'));
    Find<TSpeedButton>("SpeedButton10")->click();
    Settle();
    EXPECT_EQ(window.CurrentDeliveryRow().FileName, "NEW.V64");
}

TEST_F(TLayout, ActivationLaysTheHeaderOutAndItsMarkersFollowTheSortInForce)
{
    Images.Write(QStringLiteral("a.v64"), ImageBytes("A", 'E'));
    Images.Write(QStringLiteral("b.v64"), ImageBytes("B", 'E'));
    SettingsForImages();
    TFMain& window = Start();

    Find<TSpeedButton>("SpeedButton5")->click();
    Find<TSpeedButton>("SpeedButton5")->click();
    EXPECT_EQ(Marker(3), 0);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window, &activate);
    EXPECT_EQ(Marker(0), 2);
    EXPECT_EQ(Marker(3), 0);
    EXPECT_EQ(Find<TSortedStringGrid>("StringGrid1")->SortColumn(), 3);
}

// Under X11 without a window manager nothing activates the window, so only its resizes
// can lay out the columns for the size it has once shown.
TEST_F(TLayout, TheColumnsLineUpWithTheHeaderThoughTheWindowIsNeverActivated)
{
    SettingsForImages();
    Window = std::make_unique<TFMain>(Application, Program.Path(QStringLiteral("conveyor")));
    // Swallowed before the window's own handler sees it, as if no window manager ever
    // activated the window.
    struct TNoActivation : QObject
    {
        bool eventFilter(QObject*, QEvent* event) override
        {
            return event->type() == QEvent::WindowActivate;
        }
    } noActivation;
    Window->installEventFilter(&noActivation);
    Window->show();
    Settle();

    auto* grid = Find<TSortedStringGrid>("StringGrid1");
    const auto linedUp = [&] {
        const int imageName = Find<QWidget>("Panel12")->width();
        EXPECT_EQ(imageName, Find<QWidget>("Panel9")->width() - 130 - 50 - 65 - 3 * 3);
        EXPECT_EQ(grid->ColWidths(2), imageName + 3);
        // The four columns fill the table's width, so the two hidden ones lie beyond it.
        EXPECT_GE(grid->ColWidths(0) + grid->ColWidths(1) + grid->ColWidths(2) + grid->ColWidths(3),
            grid->viewport()->width());
    };
    linedUp();
    // The header's width changes without the window's: the left pane laid out anew, as the
    // first showing does when no window manager frames the window.
    auto* pane = Find<QWidget>("Panel17");
    pane->resize(260, pane->height());
    QCoreApplication::processEvents();
    ASSERT_EQ(pane->width(), 260);
    linedUp();
}

TEST_F(TLayout, ToolbarButtonsShowTheWindowsHandedInAndQuitCloses)
{
    SettingsForImages();
    TFMain& window = Start();

    // Not there yet: nothing happens.
    Find<TSpeedButton>("SpeedButton11")->click();
    EXPECT_TRUE(window.isEnabled());

    QWidget preferences;
    QWidget about;
    window.SetPreferencesWindow(&preferences);
    window.SetAboutWindow(&about);
    Find<TSpeedButton>("SpeedButton11")->click();
    EXPECT_FALSE(window.isEnabled());
    EXPECT_TRUE(preferences.isVisible());
    preferences.hide();
    window.setEnabled(true);
    Find<TSpeedButton>("SpeedButton12")->click();
    EXPECT_FALSE(window.isEnabled());
    EXPECT_TRUE(about.isVisible());
    about.hide();
    window.setEnabled(true);

    window.AppendToCaption(QStringLiteral(" (simulated Doctor64)"));
    EXPECT_EQ(window.windowTitle(), Caption + " (simulated Doctor64)");
    EXPECT_EQ(Application.Title(), window.windowTitle());

    Find<TSpeedButton>("SpeedButton13")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(IniValue("Window", "Width"), QString::number(window.frameGeometry().width()));
}

TEST_F(TLayout, WhileADialogIsOpenNothingClosesTheMainWindowNorSavesItsUnconfirmedChanges)
{
    SettingsForImages();
    TFMain& window = Start();
    int closed = 0;
    QObject::connect(&window, &TFMain::Closed, [&closed] { ++closed; });
    QWidget preferences;
    window.SetPreferencesWindow(&preferences);
    Find<TSpeedButton>("SpeedButton11")->click();
    ASSERT_FALSE(window.isEnabled());
    // A change the dialog has not confirmed yet.
    window.Settings().BeepWhenFinished = true;

    // The window manager's close box and Alt+F4 reach the window as a close request.
    EXPECT_FALSE(window.close());
    QCloseEvent request;
    QCoreApplication::sendEvent(&window, &request);
    EXPECT_FALSE(request.isAccepted());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(IniValue("Sound", "Beep"), "0");

    // Once the dialog has given the window back, closing it saves and ends the program.
    preferences.hide();
    window.setEnabled(true);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(IniValue("Sound", "Beep"), "1");
}

TEST_F(TLayout, ASaveThatFailsAtCloseShowsItsBoxBeforeTheProgramEnds)
{
    SettingsForImages();
    TFMain& window = Start();
    std::size_t boxesWhenClosed = 0;
    int closed = 0;
    QObject::connect(&window, &TFMain::Closed, [&] {
        ++closed;
        boxesWhenClosed = Errors.Boxes.size();
    });
    const QString file = Program.Path(QStringLiteral("Conveyor.ini"));
    ShareWithEveryone();
    QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther);
    {
        TUnprivileged unprivileged;
        window.close();
    }
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);

    EXPECT_EQ(closed, 1);
    EXPECT_EQ(boxesWhenClosed, 1u);
    ASSERT_EQ(Errors.Boxes.size(), 1u);
    EXPECT_EQ(Errors.Boxes[0].Text, "Unable to write to " + file + ".");
}

TEST_F(TLayout, AfterAHeaderSortTheCurrentRowIsStillTheFileThatWasChosen)
{
    Images.Write(QStringLiteral("harbour.usa"), ImageBytes("HARBOUR PATROL", 'E'));
    Images.Write(QStringLiteral("racer.v64"), ImageBytes("ANOTHER RACER", 'E'));
    Images.Write(QStringLiteral("alpine.pal"), ImageBytes("ZZZ ALPINE", 'P'));
    SettingsForImages();
    TFMain& window = Start();
    auto* grid = Find<TSortedStringGrid>("StringGrid1");
    grid->setFocus();
    // The user chooses HARBOUR.USA, then sorts on the image name.
    QTest::keyClick(grid, Qt::Key_Down);
    ASSERT_EQ(window.CurrentDeliveryRow().FileName, "HARBOUR.USA");
    ASSERT_EQ(Find<QLineEdit>("Edit3")->text(), "HARBOUR.USA");

    Find<TSpeedButton>("SpeedButton4")->click();
    EXPECT_EQ(window.CurrentDeliveryRow().FileName, "HARBOUR.USA");
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), "HARBOUR.USA");
    Find<TSpeedButton>("SpeedButton4")->click();
    EXPECT_EQ(window.CurrentDeliveryRow().FileName, "HARBOUR.USA");
}

TEST_F(TLayout, TheWindowCannotBeMadeSoSmallThatItsControlsOverlap)
{
    SettingsForImages();
    TFMain& window = Start();
    window.resize(380, 300);
    Settle();
    EXPECT_GT(window.width(), 380);
    // The two button groups of the toolbar sit side by side, never over each other.
    const QWidget* left = Find<QWidget>("Panel15");
    const QWidget* right = Find<QWidget>("Panel14");
    EXPECT_LE(left->x() + left->width(), right->x());
    EXPECT_GE(window.minimumWidth(), left->width() + right->width());
    // The left pane's choosers and the table keep a usable height.
    EXPECT_GT(Find<QWidget>("StringGrid1")->height(), 0);
    EXPECT_GT(Find<QWidget>("DirectoryListBox1")->height(), 0);
}

namespace {

// The delivery job on a main window, wired as the program's entry wires it.
struct TDeliveryWiring
{
    explicit TDeliveryWiring(TFMain& window)
        : Host(window)
        , Progress(Host.ProgressWindow())
        , Mongo(Host, window.GameDoctor1(), Clock)
    {
        window.SetDeliveryJob(Mongo);
    }

    TMainDeliveryHost Host;
    TFprog& Progress;
    const TClock Clock;
    TMongo Mongo;
};

} // namespace

TEST_F(TLayout, DeliverHandsTheCurrentRowToTheDeliveryJob)
{
    SettingsForImages();
    TFMain& window = Start();
    Find<TSpeedButton>("SpeedButton8")->click();
    EXPECT_EQ(window.StatusText(), "No File Selected!");

    TDeliveryWiring delivery(window);
    TTestFolder received;
    TDoctor64 device(received.Path());
    window.GameDoctor1().SetPortIo(&device);

    // An empty table: the job says so and touches neither the port nor the window.
    window.SetStatusText(QString());
    Find<TSpeedButton>("SpeedButton8")->click();
    EXPECT_EQ(window.StatusText(), "No File Selected!");
    EXPECT_FALSE(delivery.Progress.isVisible());
    EXPECT_EQ(device.Reads() + device.Writes(), 0U);

    // The file is opened by its name on disk, though the table shows it upper-cased.
    const QByteArray image = ImageBytes("RACER", 'E') + QByteArray(40000, '\x5a');
    Images.Write(QStringLiteral("racer.v64"), image);
    Find<TSpeedButton>("SpeedButton10")->click();
    Settle();
    Find<TSpeedButton>("SpeedButton8")->click();
    EXPECT_EQ(window.StatusText(), " Done...");
    EXPECT_FALSE(delivery.Progress.isVisible());
    EXPECT_EQ(received.Read(QStringLiteral("RACER.V64")), image);
    window.GameDoctor1().SetPortIo(nullptr);
}

// Closing the main window during a delivery asks first: "No" lets the image arrive whole,
// "Yes" ends the delivery at the end of its block and the program; meanwhile "Deliver" is
// disabled.
TEST_F(TLayout, ClosingDuringADeliveryAsksFirstAndDeliverWaitsForItsEnd)
{
    SettingsForImages();
    const QByteArray image = ImageBytes("RACER", 'E') + QByteArray(6 * TGameDoctor::BlockSize, 'z');
    Images.Write(QStringLiteral("racer.v64"), image);
    TFMain& window = Start();
    TDeliveryWiring delivery(window);
    // As the program's entry does: a close that goes through abandons the delivery.
    QObject::connect(&window, &TFMain::Closed, [&delivery] { delivery.Mongo.Abandon(); });
    TTestFolder received;
    TDoctor64 device(received.Path());
    window.GameDoctor1().SetPortIo(&device);
    auto* deliver = Find<TSpeedButton>("SpeedButton8");

    QStringList questions;
    bool answer = false;
    Application.SetQuestionPresenter([&](const QString& caption, const QString& text) {
        EXPECT_EQ(caption, Application.Title());
        questions << text;
        return answer;
    });
    bool disabledMeanwhile = false;
    // Runs at the delivery's first pump of the message queue.
    const auto closeDuringTheDelivery = [&] {
        QTimer::singleShot(0, &window, [&] {
            disabledMeanwhile = delivery.Mongo.Delivering() && !deliver->isEnabled();
            window.close();
        });
    };

    closeDuringTheDelivery();
    deliver->click();
    EXPECT_EQ(questions, QStringList({ "A delivery is under way. Stop it and quit?" }));
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.StatusText(), " Done...");
    EXPECT_EQ(received.Read(QStringLiteral("RACER.V64")), image);
    EXPECT_TRUE(deliver->isEnabled());
    EXPECT_TRUE(Errors.Boxes.empty());

    // "Yes": the delivery ends at the end of its block, the window closes, nothing arrives.
    QFile::remove(received.Path(QStringLiteral("RACER.V64")));
    answer = true;
    closeDuringTheDelivery();
    deliver->click();
    EXPECT_EQ(questions.size(), 2);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(delivery.Mongo.Delivering());
    EXPECT_FALSE(QFile::exists(received.Path(QStringLiteral("RACER.V64"))));
    EXPECT_TRUE(Errors.Boxes.empty());
    window.GameDoctor1().SetPortIo(nullptr);
}

TEST_F(TLayout, DeliverReachesADeviceModelInAnotherProcessThroughTheVirtualPort)
{
    SettingsForImages();
    // Every byte is a round trip to the other process, so the image is a small one.
    const QByteArray image = ImageBytes("CHESS", 'J') + QByteArray(20000, '\x33');
    Images.Write(QStringLiteral("chess.jap"), image);
    TFMain& window = Start();
    TDeliveryWiring delivery(window);

    TTestFolder peer;
    const QString socket = peer.Path(QStringLiteral("doctor.sock"));
    QProcess simulator;
    simulator.start(QStringLiteral(CONVEYOR_CLI),
        { QStringLiteral("simulate"), QStringLiteral("--listen"), socket, QStringLiteral("--out"),
            peer.Path(QStringLiteral("received")), QStringLiteral("--once") });
    QByteArray said;
    while (!said.contains("listening on") && simulator.waitForReadyRead(10000))
        said += simulator.readAllStandardOutput();
    ASSERT_TRUE(said.contains("listening on")) << said.constData();

    bool released = false;
    {
        TSocketPortIo port(socket);
        window.GameDoctor1().SetPortIo(&port);
        Find<TSpeedButton>("SpeedButton8")->click();
        // The delivery let go of the peer as it ended, with the port still installed;
        // --once makes the device model end with the connection.
        released = simulator.waitForFinished(30000);
        window.GameDoctor1().SetPortIo(nullptr);
    }
    EXPECT_EQ(window.StatusText(), " Done...");
    ASSERT_TRUE(released) << "the window held the connection after the delivery";
    EXPECT_EQ(simulator.exitCode(), 0) << simulator.readAllStandardError().constData();
    EXPECT_EQ(peer.Read(QStringLiteral("received/CHESS.JAP")), image);
}
