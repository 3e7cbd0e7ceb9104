#include "TMainWindowTest.h"
#include "TTestFolder.h"
#include "delivery/TMongo.h"
#include "framework/TSpeedButton.h"
#include "platform/TClock.h"
#include "shell/TMainDeliveryHost.h"
#include "simulator/TDoctor64.h"
#include "widgets/TSortedStringGrid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

namespace {

// The real delivery job on a main window, to a simulated device, as the program wires it.
struct TDelivery
{
    explicit TDelivery(TFMain& window)
        : Window(window)
        , Host(window)
        , Mongo(Host, window.GameDoctor1(), Clock)
        , Device(Received.Path())
    {
        window.SetDeliveryJob(Mongo);
        window.GameDoctor1().SetPortIo(&Device);
    }
    ~TDelivery() { Window.GameDoctor1().SetPortIo(nullptr); }

    TFMain& Window;
    TMainDeliveryHost Host;
    const TClock Clock;
    TMongo Mongo;
    TTestFolder Received;
    TDoctor64 Device;
};

// The main window driven by the keyboard alone, and its size and place in the settings.
class TKeyboard : public TMainWindowTest
{
protected:
    TFMain& StartWithImages()
    {
        Images.Write(QStringLiteral("autobahn.v64"), ImageBytes("AUTOBAHN", 'D'));
        Images.Write(QStringLiteral("bravo.v64"), ImageBytes("BRAVO", 'E'));
        Images.Write(QStringLiteral("charlie.v64"), ImageBytes("CHARLIE", 'P'));
        Images.Write(QStringLiteral("dump.v64"), ImageBytes("DUMP", 'J'));
        SettingsForImages();
        TFMain& window = Start();
        window.activateWindow();
        Grid()->setFocus();
        return window;
    }

    QString Shown() const { return Find<QLineEdit>("Edit3")->text(); }
    QString Status() const { return Find<QLabel>("Label6")->text(); }
    QStringList OnDisk() const { return QDir(Images.Path()).entryList(QDir::Files, QDir::Name); }

    // A key as the window's shortcut map sees it.
    void Press(QKeyCombination key)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : Window.get();
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(TKeyboard, EveryMoveOfTheCurrentRowShowsItsFileAndTabLeavesTheTable)
{
    TFMain& window = StartWithImages();
    ASSERT_EQ(Shown(), "AUTOBAHN.V64");
    QTest::keyClick(Grid(), Qt::Key_End);
    EXPECT_EQ(window.CurrentDeliveryRow().FileName, "DUMP.V64");
    EXPECT_EQ(Shown(), "DUMP.V64");
    QTest::keyClick(Grid(), Qt::Key_Home);
    EXPECT_EQ(Shown(), "AUTOBAHN.V64");
    QTest::keyClick(Grid(), Qt::Key_PageDown);
    EXPECT_EQ(Shown(), window.CurrentDeliveryRow().FileName);

    // Type-ahead goes to the first row whose file name begins with what was typed.
    QTest::keyClicks(Grid(), QStringLiteral("ch"));
    EXPECT_EQ(window.CurrentDeliveryRow().FileName, "CHARLIE.V64");
    EXPECT_EQ(Shown(), "CHARLIE.V64");

    // Tab hands the focus on instead of walking the row's cells, and the row stays.
    QTest::keyClick(Grid(), Qt::Key_Tab);
    EXPECT_FALSE(Grid()->hasFocus());
    EXPECT_EQ(window.CurrentDeliveryRow().FileName, "CHARLIE.V64");
    EXPECT_EQ(Shown(), "CHARLIE.V64");
}

TEST_F(TKeyboard, TheTableNeverScrollsSidewaysAndItsHiddenColumnsStayHidden)
{
    StartWithImages();
    for (Qt::Key key : { Qt::Key_End, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right,
             Qt::Key_Right, Qt::Key_Right, Qt::Key_End }) {
        QTest::keyClick(Grid(), key);
        EXPECT_EQ(Grid()->horizontalScrollBar()->value(), 0);
    }
    Grid()->scrollTo(Grid()->model()->index(0, 6));
    EXPECT_EQ(Grid()->horizontalScrollBar()->value(), 0);
    for (int column = 4; column < Grid()->ColCount(); ++column)
        EXPECT_TRUE(Grid()->isColumnHidden(column)) << column;
    // The header buttons stand over their columns.
    const QWidget* filename = Find<QWidget>("SpeedButton2");
    EXPECT_EQ(filename->mapTo(Window.get(), QPoint()).x(),
        Grid()->viewport()->mapTo(Window.get(), QPoint(Grid()->columnViewportPosition(0), 0)).x());
}

TEST_F(TKeyboard, ShortcutsPressTheToolbarButtonsAndTheirToolTipsNameThem)
{
    TFMain& window = StartWithImages();
    QStringList delivered;
    TDelivery delivery(window);
    const auto deliver = [&] {
        Press(Qt::CTRL | Qt::Key_D);
        delivered.append(delivery.Mongo.Row().FileName);
    };

    QTest::keyClick(Grid(), Qt::Key_Down);
    deliver();
    EXPECT_EQ(delivered, QStringList { "BRAVO.V64" });
    EXPECT_EQ(Find<TSpeedButton>("SpeedButton8")->toolTip(), "Deliver (Ctrl+D)");
    EXPECT_EQ(Find<TSpeedButton>("SpeedButton9")->toolTip(), "Rename (F2)");
    EXPECT_EQ(Find<TSpeedButton>("SpeedButton10")->toolTip(), "Refresh Dir (F5)");
    EXPECT_EQ(Find<TSpeedButton>("SpeedButton11")->toolTip(), "Preferences (Ctrl+,)");
    EXPECT_EQ(Find<TSpeedButton>("SpeedButton12")->toolTip(), "About (F1)");
    EXPECT_EQ(Find<TSpeedButton>("SpeedButton13")->toolTip(), "Quit (Ctrl+Q)");

    // Ctrl+3 sorts by the image name, a second press reverses.
    Press(Qt::CTRL | Qt::Key_3);
    EXPECT_EQ(Grid()->SortColumn(), 2);
    EXPECT_EQ(Grid()->SortDirection(), sdAscending);
    Press(Qt::CTRL | Qt::Key_3);
    EXPECT_EQ(Grid()->SortDirection(), sdDescending);
    EXPECT_EQ(Grid()->Cells(5, 0), "DUMP.V64");
    EXPECT_EQ(Marker(2), 0);
    Press(Qt::CTRL | Qt::Key_1);
    EXPECT_EQ(Grid()->SortColumn(), 0);
    EXPECT_EQ(Grid()->Cells(5, 0), "AUTOBAHN.V64");
    // The file chosen before the sorts is still the one shown and the one delivered.
    EXPECT_EQ(Shown(), "BRAVO.V64");
    deliver();
    EXPECT_EQ(delivered, (QStringList { "BRAVO.V64", "BRAVO.V64" }));

    // F2 opens the rename panel with the focus in the new name; Enter there renames.
    Press(Qt::Key_F2);
    ASSERT_TRUE(Find<QWidget>("Panel5")->isVisible());
    auto* edit = Find<QLineEdit>("Edit1");
    EXPECT_TRUE(edit->hasFocus());
    QTest::keyClicks(edit, QStringLiteral("Echo"));
    QTest::keyClick(edit, Qt::Key_Return);
    Settle();
    EXPECT_TRUE(OnDisk().contains("Echo.v64")) << OnDisk().join(' ').toStdString();
    EXPECT_FALSE(OnDisk().contains("bravo.v64"));

    // Ctrl+Q quits.
    bool closed = false;
    QObject::connect(&window, &TFMain::Closed, [&] { closed = true; });
    Press(Qt::CTRL | Qt::Key_Q);
    EXPECT_TRUE(closed);
}

TEST_F(TKeyboard, ToolbarButtonsAreInTheTabOrderAndSpaceOrEnterPressesThem)
{
    TFMain& window = StartWithImages();
    TDelivery delivery(window);
    auto* deliver = Find<TSpeedButton>("SpeedButton8");
    EXPECT_EQ(deliver->focusPolicy(), Qt::TabFocus);
    deliver->setFocus();
    QTest::keyClick(deliver, Qt::Key_Space);
    QTest::keyClick(deliver, Qt::Key_Return);
    // Each key started one delivery.
    EXPECT_EQ(delivery.Device.Handshakes(), 2);
}

TEST_F(TKeyboard, ALongStatusTextNeverWidensTheWindow)
{
    TFMain& window = StartWithImages();
    const QSize before = window.size();
    const QString longText = QStringLiteral(" Sending ") + QString(200, QLatin1Char('N'));
    window.SetStatusText(longText);
    QCoreApplication::processEvents();
    window.adjustSize();
    QCoreApplication::processEvents();
    EXPECT_LE(window.width(), before.width());
    EXPECT_EQ(window.StatusText(), longText);
    EXPECT_LE(window.minimumSizeHint().width(), before.width());
}

TEST_F(TKeyboard, AMaximisedWindowStoresItsNormalBoundsAndItsState)
{
    SettingsForImages(QStringLiteral("[Window]\nTop=40\nLeft=50\nWidth=700\nHeight=500\n"));
    TFMain& window = Start();
    const QRect normal = window.frameGeometry();
    window.showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(window.isMaximized());
    window.close();
    EXPECT_EQ(IniValue("Window", "Maximized"), "1");
    EXPECT_EQ(IniValue("Window", "Width"), QString::number(normal.width()));
    EXPECT_EQ(IniValue("Window", "Height"), QString::number(normal.height()));
    EXPECT_EQ(IniValue("Window", "Left"), QString::number(normal.left()));
    // The key stands after Splitter.
    EXPECT_GT(Ini().indexOf("Maximized="), Ini().indexOf("Splitter="));

    // The next start comes back maximised, and restoring gives the normal size back.
    Window.reset();
    TFMain& again = Start();
    EXPECT_TRUE(again.isMaximized());
    // What the window manager makes of a restore is checked under one.
    again.showNormal();
    QCoreApplication::processEvents();
    EXPECT_FALSE(again.isMaximized());
    again.close();
    EXPECT_EQ(IniValue("Window", "Maximized"), "0");
}

TEST_F(TKeyboard, AFileWithoutTheMaximizedKeyOpensAsBefore)
{
    SettingsForImages(QStringLiteral("[Window]\nTop=40\nLeft=50\nWidth=700\nHeight=500\n"));
    TFMain& window = Start();
    EXPECT_FALSE(window.isMaximized());
    EXPECT_EQ(window.frameGeometry().size(), QSize(700, 500));
}
