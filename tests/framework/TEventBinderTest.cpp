#include "framework/TEventBinder.h"
#include "QtPrinters.h"
#include "TErrorRecorder.h"
#include "TMouse.h"
#include "TTestFolder.h"
#include "framework/TApplication.h"
#include "framework/TDirectoryListBox.h"
#include "framework/TSpeedButton.h"
#include "platform/Exception.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class TTestSplitter : public QSplitter
{
public:
    using QSplitter::moveSplitter;
};

template <class T> T* Named(QWidget* parent, const char* name)
{
    auto* widget = new T(parent);
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

// A window with one control of each kind the program's windows bind.
class TTestWindow : public QWidget
{
public:
    TTestWindow()
    {
        setObjectName("FTest");
        resize(400, 300);
        Button1 = Named<QPushButton>(this, "Button1");
        SpeedButton1 = Named<TSpeedButton>(this, "SpeedButton1");
        CheckBox1 = Named<QCheckBox>(this, "CheckBox1");
        RadioButton1 = Named<QRadioButton>(this, "RadioButton1");
        RadioButton2 = Named<QRadioButton>(this, "RadioButton2");
        ComboBox1 = Named<QComboBox>(this, "ComboBox1");
        Edit1 = Named<QLineEdit>(this, "Edit1");
        Panel1 = Named<QFrame>(this, "Panel1");
        Label1 = Named<QLabel>(this, "Label1");
        Splitter1 = new TTestSplitter;
        Splitter1->setParent(this);
        Splitter1->setObjectName("Splitter1");
        Timer1 = new QTimer(this);
        Timer1->setObjectName("Timer1");
        DirectoryListBox1 = Named<TDirectoryListBox>(this, "DirectoryListBox1");

        SpeedButton1->setGeometry(0, 0, 60, 22);
        Panel1->setGeometry(100, 0, 80, 40);
        Label1->setGeometry(200, 0, 80, 20);
        Label1->setText("link");
        CheckBox1->setText("Check");
        CheckBox1->setGeometry(0, 50, 80, 20);
        ComboBox1->addItems({ "a", "b", "c" });
        RadioButton1->setChecked(true);
        Splitter1->setGeometry(0, 100, 200, 50);
        Splitter1->addWidget(new QFrame);
        Splitter1->addWidget(new QFrame);
    }

    void FormCreate() { Log.push_back("FormCreate"); }
    void FormCreateAgain() { Log.push_back("FormCreateAgain"); }
    void Button1Click() { Log.push_back("Button1Click"); }
    void ComboBox1Change() { Log.push_back("ComboBox1Change:" + ComboBox1->currentText()); }

    QPushButton* Button1;
    TSpeedButton* SpeedButton1;
    QCheckBox* CheckBox1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QComboBox* ComboBox1;
    QLineEdit* Edit1;
    QFrame* Panel1;
    QLabel* Label1;
    TTestSplitter* Splitter1;
    QTimer* Timer1;
    TDirectoryListBox* DirectoryListBox1;
    std::vector<QString> Log;
};

class TEventBinderTest : public ::testing::Test
{
protected:
    TEventBinderTest()
        : Errors(Application)
    {
        Application.SetTitle("Conveyor");
    }

    // Binds a counter to a control's event, or to the window's, and returns it.
    template <class TControl, class TEvent> int& Count(TControl* control, TEvent event)
    {
        int& counter = NewCounter();
        TEventBinder::Bind(Application, control, event, [&counter] { ++counter; });
        return counter;
    }
    template <class TEvent> int& CountWindow(TEvent event)
    {
        int& counter = NewCounter();
        TEventBinder::Bind(Application, Window, event, [&counter] { ++counter; });
        return counter;
    }
    int& NewCounter()
    {
        Counters.push_back(std::make_unique<int>(0));
        return *Counters.back();
    }

    TApplication Application;
    TErrorRecorder Errors;
    TTestWindow Window;
    std::vector<std::unique_ptr<int>> Counters;
};

} // namespace

TEST_F(TEventBinderTest, ATableBindsMemberHandlersAndRunsCreateLast)
{
    TEventBinder::Bind(Application, Window,
        {
            { ekCreate, &TTestWindow::FormCreate },
            { &TTestWindow::Button1, ekClick, &TTestWindow::Button1Click },
            { &TTestWindow::ComboBox1, ekChange, &TTestWindow::ComboBox1Change },
            { ekCreate, &TTestWindow::FormCreateAgain },
        });
    EXPECT_EQ(Window.Log, (std::vector<QString> { "FormCreate", "FormCreateAgain" }));

    QTest::mouseClick(Window.Button1, Qt::LeftButton);
    Window.ComboBox1->setCurrentIndex(2);
    EXPECT_EQ(Window.Log,
        (std::vector<QString> {
            "FormCreate", "FormCreateAgain", "Button1Click", "ComboBox1Change:c" }));
    EXPECT_TRUE(Errors.Boxes.empty());
}

// A row whose control cannot raise its event does not compile; these are the rows the
// windows must never be able to write.
static_assert(TRaises<QPushButton, TClickEvent> && TRaises<TSpeedButton, TClickEvent>);
static_assert(TRaises<TDirectoryListBox, TChangeEvent> && TRaises<QTimer, TTimerEvent>);
static_assert(TRaises<QFrame, TClickEvent> && TRaises<QLabel, TMouseDownEvent>);
static_assert(!TRaises<QLineEdit, TMovedEvent>);
static_assert(!TRaises<QTimer, TClickEvent>);
static_assert(!TRaises<QFrame, TChangeEvent>);
static_assert(!TRaises<QFrame, TExitEvent>);
// Creation, activation and closing belong to the window, not to a control.
static_assert(!TRaises<QPushButton, TCloseEvent> && !TRaises<QPushButton, TCreateEvent>);
static_assert(!TRaises<QWidget, TActivateEvent>);
static_assert(TWindowEvent<TCloseEvent> && TWindowEvent<TActivateEvent>);
static_assert(!TWindowEvent<TChangeEvent> && !TWindowEvent<TCreateEvent>);

TEST_F(TEventBinderTest, ButtonsClickOnceAndCheckBoxesOnEveryChange)
{
    int& button = Count(Window.Button1, ekClick);
    int& speed = Count(Window.SpeedButton1, ekClick);
    int& check = Count(Window.CheckBox1, ekClick);
    int& radio1 = Count(Window.RadioButton1, ekClick);
    int& radio2 = Count(Window.RadioButton2, ekClick);

    QTest::mouseClick(Window.Button1, Qt::LeftButton);
    QTest::mouseClick(Window.SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(button, 1);
    EXPECT_EQ(speed, 1);

    QTest::mouseClick(Window.CheckBox1, Qt::LeftButton, {}, QPoint(6, 10));
    ASSERT_TRUE(Window.CheckBox1->isChecked());
    Window.CheckBox1->setChecked(false);
    Window.CheckBox1->setChecked(false);
    EXPECT_EQ(check, 2);

    // Only the radio button that becomes checked clicks.
    Window.RadioButton2->setChecked(true);
    EXPECT_EQ(radio2, 1);
    EXPECT_EQ(radio1, 0);
    Window.RadioButton1->setChecked(true);
    EXPECT_EQ(radio1, 1);
    EXPECT_EQ(radio2, 1);
}

TEST_F(TEventBinderTest, AnyWidgetClicksOnPressAndReleaseInside)
{
    int& click = Count(Window.Panel1, ekClick);
    int& doubleClick = Count(Window.Panel1, ekDblClick);

    QTest::mouseClick(Window.Panel1, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(click, 1);

    QTest::mousePress(Window.Panel1, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(Window.Panel1, Qt::LeftButton, {}, QPoint(300, 10));
    EXPECT_EQ(click, 1) << "released outside";

    QTest::mouseClick(Window.Panel1, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(click, 1) << "right button";

    // The first click of a double-click is a click; the second is not.
    DoubleClick(Window.Panel1, QPoint(10, 10));
    EXPECT_EQ(doubleClick, 1);
    EXPECT_EQ(click, 2);
}

TEST_F(TEventBinderTest, MouseDownAndUpAreSeparateEvents)
{
    int& down = Count(Window.Label1, ekMouseDown);
    int& up = Count(Window.Label1, ekMouseUp);
    QTest::mousePress(Window.Label1, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(down, 1);
    EXPECT_EQ(up, 0);
    QTest::mouseRelease(Window.Label1, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(up, 1);
}

TEST_F(TEventBinderTest, ChangesKeysSplittersAndTimers)
{
    int& combo = Count(Window.ComboBox1, ekChange);
    int& edit = Count(Window.Edit1, ekChange);
    int& keyUp = Count(Window.Edit1, ekKeyUp);
    int& moved = Count(Window.Splitter1, ekMoved);
    int& timer = Count(Window.Timer1, ekTimer);
    int& directory = Count(Window.DirectoryListBox1, ekChange);

    Window.ComboBox1->setCurrentIndex(1);
    Window.ComboBox1->setCurrentIndex(1);
    EXPECT_EQ(combo, 1);

    QTest::keyClicks(Window.Edit1, "ab");
    EXPECT_EQ(edit, 2);
    EXPECT_EQ(keyUp, 2);
    // Holding a key down repeats releases that are not the key's real release.
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a", true);
    QCoreApplication::sendEvent(Window.Edit1, &repeat);
    EXPECT_EQ(keyUp, 2);

    Window.Splitter1->moveSplitter(60, 1);
    EXPECT_EQ(moved, 1);

    Window.Timer1->setSingleShot(true);
    Window.Timer1->start(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return timer == 1; }, 2000));

    const TTestFolder folder;
    Window.DirectoryListBox1->SetDirectory(folder.Path());
    EXPECT_EQ(directory, 1);
}

TEST_F(TEventBinderTest, FormEventsShowResizeActivateClose)
{
    int& show = CountWindow(ekShow);
    int& resize = CountWindow(ekResize);
    int& activate = CountWindow(ekActivate);
    int& close = CountWindow(ekClose);

    Window.show();
    EXPECT_EQ(show, 1);
    const int resizes = resize;
    Window.resize(500, 320);
    EXPECT_EQ(resize, resizes + 1);

    Window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Window));
    EXPECT_GE(activate, 1);

    Window.close();
    EXPECT_EQ(close, 1);
    EXPECT_FALSE(Window.isVisible());
    Window.show();
    EXPECT_EQ(show, 2);
}

TEST_F(TEventBinderTest, AFailingHandlerShowsTheBoxAndTheWindowGoesOn)
{
    int clicks = 0;
    TEventBinder::Bind(Application, Window.Button1, ekClick, [&] {
        if (++clicks == 1)
            throw Exception("Cannot open file x");
    });
    TEventBinder::Bind(
        Application, Window, ekClose, [] { throw Exception("Unable to write to Conveyor.ini"); });
    TEventBinder::Bind(Application, Window, ekCreate, [] { throw std::runtime_error("half-way"); });
    ASSERT_EQ(Errors.Boxes.size(), 1u);
    EXPECT_EQ(Errors.Boxes[0].Text, "half-way.");

    Window.show();
    QTest::mouseClick(Window.Button1, Qt::LeftButton);
    QTest::mouseClick(Window.Button1, Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
    ASSERT_EQ(Errors.Boxes.size(), 2u);
    EXPECT_EQ(Errors.Boxes[1].Caption, "Conveyor");
    EXPECT_EQ(Errors.Boxes[1].Text, "Cannot open file x.");

    Window.close();
    ASSERT_EQ(Errors.Boxes.size(), 3u);
    EXPECT_EQ(Errors.Boxes[2].Text, "Unable to write to Conveyor.ini.");
    EXPECT_FALSE(Window.isVisible());
}

TEST_F(TEventBinderTest, TheProgramsOwnControlsGetTheApplication)
{
    EXPECT_EQ(Window.DirectoryListBox1->Application(), nullptr);
    TEventBinder::Bind(
        Application, Window, { { &TTestWindow::Button1, ekClick, &TTestWindow::Button1Click } });
    EXPECT_EQ(Window.DirectoryListBox1->Application(), &Application);
}
