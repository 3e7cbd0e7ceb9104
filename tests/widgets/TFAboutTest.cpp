#include "widgets/TFAbout.h"
#include "QtPrinters.h"
#include "TMouse.h"
#include "TestWidgets.h"
#include "framework/TApplication.h"
#include "framework/TSpeedButton.h"
#include "platform/TShellOpen.h"
#include "widgets/TWallpaper.h"

#include <QLabel>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

void PrintTo(const QColor& colour, std::ostream* out)
{
    *out << colour.name().toStdString();
}

namespace {

class TFAboutTest : public testing::Test
{
protected:
    TFAboutTest()
    {
        Main.show();
        PlaceFrame(Main, QRect(100, 50, 640, 480));
    }

    template <class T> T* Control(const char* name)
    {
        T* control = About.findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    // What the main window's "About" button does.
    void ShowAbout()
    {
        Main.setEnabled(false);
        About.show();
    }

    QWindow* Window() { return About.windowHandle(); }
    // Where a control's middle lies in the window, for input the window system routes.
    QPoint Middle(const char* name)
    {
        QWidget* control = Control<QWidget>(name);
        return control->mapTo(&About, control->rect().center());
    }
    void ClickAt(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(Window(), button, {}, at);
    }

    QColor FontColour(const char* label)
    {
        return Control<QLabel>(label)->palette().color(QPalette::Active, QPalette::WindowText);
    }

    TApplication Application;
    QWidget Main;
    QStringList Opened;
    TShellOpen Shell { [this](const QString& link) { Opened << link; } };
    TFAbout About { Application, Main, Shell };
};

} // namespace

TEST_F(TFAboutTest, IsBuiltFromItsDeclaration)
{
    EXPECT_EQ(About.objectName(), "FAbout");
    EXPECT_EQ(About.windowTitle(), "Conveyor About");
    EXPECT_FALSE(About.isVisible());
    EXPECT_EQ(About.size(), QSize(517, 313));
    EXPECT_EQ(About.minimumSize(), About.maximumSize());
    EXPECT_EQ(About.windowType(), Qt::Tool);
    EXPECT_FALSE(About.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(About.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(About.parentWidget(), nullptr);

    EXPECT_EQ(Control<QWidget>("Panel2")->geometry(), QRect(10, 9, 251, 296));
    const QLabel* logo = Control<QLabel>("Image1");
    const QLabel* second = Control<QLabel>("Image2");
    EXPECT_EQ(logo->pixmap().size(), QSize(215, 250));
    EXPECT_TRUE(logo->hasScaledContents());
    EXPECT_EQ(logo->geometry(), QRect(3, 3, 245, 290));
    EXPECT_EQ(second->pixmap().size(), QSize(245, 290));
    EXPECT_FALSE(second->isEnabled());
    // The logo lies above the second picture.
    EXPECT_EQ(Control<QWidget>("Panel2")->childAt(120, 140), logo);

    const QTextEdit* memo = Control<QTextEdit>("Memo1");
    EXPECT_EQ(memo->toPlainText().split(QLatin1Char('\n')),
        (QStringList { "Conveyor v64", "", "Made by the Conveyor project",
            "Programming: the Conveyor developers", "", "", "Please visit our homepage",
            "for more info about the nicest", "send util you've ever seen." }));
    EXPECT_FALSE(memo->isEnabled());
    for (QTextBlock line = memo->document()->begin(); line.isValid(); line = line.next())
        EXPECT_EQ(line.blockFormat().alignment(), Qt::AlignHCenter) << line.blockNumber();

    // The link targets are the labels' captions.
    EXPECT_EQ(Control<QLabel>("Label1")->text(), TFAbout::HomePage);
    EXPECT_EQ(Control<QLabel>("Label2")->text(), TFAbout::MailLink);
    for (const char* link : { "Label1", "Label2" }) {
        EXPECT_TRUE(Control<QLabel>(link)->isEnabled()) << link;
        EXPECT_EQ(FontColour(link), TFAbout::LinkColour) << link;
        EXPECT_TRUE(Control<QLabel>(link)->font().underline()) << link;
    }

    const auto* close = Control<TSpeedButton>("SpeedButton1");
    EXPECT_EQ(close->text(), "Close About");
    EXPECT_EQ(close->Glyph().size(), QSize(16, 16));
    EXPECT_TRUE(close->Flat());
    EXPECT_EQ(Control<TWallpaper>("Wallpaper1")->WallpaperGraphic().size(), QSize(128, 128));
}

TEST_F(TFAboutTest, CentresOverTheMainWindowOnEveryShowingWhereverThatLies)
{
    // Main window at 100, 50, 640 x 480 and this window 523 x 333 outside.
    EXPECT_EQ(TFAbout::CentredOrigin(QRect(100, 50, 640, 480), QSize(523, 333)), QPoint(159, 124));

    ShowAbout();
    const QSize outer = About.frameGeometry().size();
    EXPECT_EQ(About.frameGeometry().topLeft(),
        QPoint(100 + 320 - outer.width() / 2, 50 + 240 - outer.height() / 2));
    About.close();

    // Moved partly off the screen, the main window takes the next showing with it.
    PlaceFrame(Main, QRect(-500, -100, 641, 481));
    ShowAbout();
    EXPECT_EQ(About.frameGeometry().topLeft(),
        QPoint(-500 + 320 - outer.width() / 2, -100 + 240 - outer.height() / 2));
    EXPECT_LT(About.frameGeometry().left(), 0);
}

TEST_F(TFAboutTest, EveryWayOutEnablesTheMainWindow)
{
    const std::vector<std::pair<const char*, std::function<void()>>> ways {
        { "Close About", [this] { ClickAt(Middle("SpeedButton1")); } },
        { "the background", [this] { ClickAt(QPoint(300, 15)); } },
        { "the logo", [this] { ClickAt(Middle("Image1")); } },
        { "the memo, which passes it to the background", [this] { ClickAt(Middle("Memo1")); } },
        { "Escape", [this] { QTest::keyClick(&About, Qt::Key_Escape); } },
        { "Enter", [this] { QTest::keyClick(&About, Qt::Key_Return); } },
        { "Space on Close About, which is in the Tab order",
            [this] {
                auto* button = About.findChild<QWidget*>(QStringLiteral("SpeedButton1"));
                ASSERT_EQ(button->focusPolicy(), Qt::TabFocus);
                QTest::keyClick(button, Qt::Key_Space);
            } },
        { "the window system", [this] { About.close(); } },
    };
    for (const auto& [way, leave] : ways) {
        SCOPED_TRACE(way);
        ShowAbout();
        ASSERT_TRUE(About.isVisible());
        ASSERT_FALSE(Main.isEnabled());
        leave();
        EXPECT_FALSE(About.isVisible());
        EXPECT_TRUE(Main.isEnabled());
    }
    // No link was pressed: each kept its colour and nothing was opened.
    EXPECT_EQ(FontColour("Label1"), TFAbout::LinkColour);
    EXPECT_EQ(FontColour("Label2"), TFAbout::LinkColour);
    EXPECT_TRUE(Opened.isEmpty());
}

// The home page link is a link like the mail link: a click opens it and leaves the window
// open, where a greyed label would pass the click to the background and close the window.
TEST_F(TFAboutTest, TheHomePageLinkOpensAndKeepsTheWindow)
{
    ShowAbout();
    const QPoint link = Middle("Label1");
    QTest::mousePress(Window(), Qt::LeftButton, {}, link);
    EXPECT_EQ(FontColour("Label1"), TFAbout::PressedLinkColour);
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, link);
    EXPECT_EQ(FontColour("Label1"), TFAbout::VisitedLinkColour);
    EXPECT_EQ(Opened, QStringList { TFAbout::HomePage });
    EXPECT_TRUE(About.isVisible());
    EXPECT_FALSE(Main.isEnabled());
}

TEST_F(TFAboutTest, TheMailLinkGreysWhilePressedAndOpensRedOnReleaseOfAnyButton)
{
    ShowAbout();
    const QPoint link = Middle("Label2");
    QTest::mousePress(Window(), Qt::LeftButton, {}, link);
    EXPECT_EQ(FontColour("Label2"), TFAbout::PressedLinkColour);
    EXPECT_TRUE(Opened.isEmpty());
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, link);
    EXPECT_EQ(FontColour("Label2"), TFAbout::VisitedLinkColour);
    EXPECT_EQ(Opened, QStringList { TFAbout::MailLink });

    ClickAt(link, Qt::RightButton);
    EXPECT_EQ(Opened, (QStringList { TFAbout::MailLink, TFAbout::MailLink }));
    // Opening a link does not leave the window.
    EXPECT_TRUE(About.isVisible());
    EXPECT_FALSE(Main.isEnabled());

    // The clicked link stays red for the next showing.
    About.close();
    ShowAbout();
    EXPECT_EQ(FontColour("Label2"), TFAbout::VisitedLinkColour);
}

TEST_F(TFAboutTest, ADoubleClickOnTheStripSwapsThePicturesForGood)
{
    ShowAbout();
    auto* strip = Control<QWidget>("Wallpaper1");
    DoubleClick(strip, strip->rect().center());
    EXPECT_FALSE(Control<QLabel>("Image1")->isVisible());
    EXPECT_TRUE(Control<QLabel>("Image2")->isVisible());

    // The second picture is greyed: a click on it reaches its panel, which does nothing.
    ClickAt(Middle("Image2"));
    EXPECT_TRUE(About.isVisible());
    EXPECT_FALSE(Main.isEnabled());

    ClickAt(Middle("SpeedButton1"));
    EXPECT_FALSE(About.isVisible());
    EXPECT_TRUE(Main.isEnabled());

    ShowAbout();
    EXPECT_FALSE(Control<QLabel>("Image1")->isVisible());
    EXPECT_TRUE(Control<QLabel>("Image2")->isVisible());
}
