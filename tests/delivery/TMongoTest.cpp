#include "TTestClock.h"
#include "TTestFolder.h"
#include "TTestMainWindow.h"
#include "TestBytes.h"
#include "delivery/TFprog.h"
#include "simulator/TDoctor64.h"
#include "widgets/TGauge.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using TTexts = std::vector<std::string>;

constexpr int Block = TGameDoctor::BlockSize;
// With a hundred blocks the progress of block k is k %.
constexpr int HundredBlocks = 100 * Block;
// "GD6R", the file count, the size and the 11-byte name precede the data.
constexpr std::uint64_t HeaderBytes = 5 + 4 + 11;

TTexts Figures(const TFprog& window)
{
    TTexts texts;
    for (const QLabel* label : window.FigureLabels())
        texts.push_back(label->text().toStdString());
    return texts;
}

// What the error box would have shown, and what the windows showed at that moment.
struct TBox
{
    QString Text;
    QString Status;
    bool ProgressVisible = false;
};

class TMongoTest : public ::testing::Test
{
protected:
    TMongoTest()
    {
        Application.SetTitle(QStringLiteral("Conveyor"));
        Application.SetErrorPresenter([this](const QString&, const QString& text) {
            Boxes.push_back({ text, Window.Label6->text(), Window.Fprog.isVisible() });
        });
        Window.Settings.BeepWhenFinished = true;
    }

    // A file in the listed folder and the row that shows it.
    void SelectImage(const QString& diskName, const QByteArray& content,
        const QString& sizeText = QStringLiteral("256 MBIT"))
    {
        Content = content;
        Folder.Write(diskName, content);
        Window.Row = { QStringLiteral("SUPER RACER"), sizeText, diskName.toUpper(),
            Folder.Path() + QLatin1Char('/') + diskName };
    }

    QByteArray Received(const QString& name) const
    {
        return Folder.Read(QStringLiteral("received/") + name);
    }

    // Before each update the clock is moved to the time the schedule gives for the progress
    // that update will carry, so the seconds counted follow the schedule. The two start
    // events carry 0, block k of a hundred carries k.
    void FollowSchedule(std::function<int(int progress)> milliseconds)
    {
        Clock.Set(12, 0, 0);
        Window.Pumps = 0;
        Window.OnPump = [this, milliseconds] {
            const int next = Window.Pumps < 2 ? 0 : Window.Pumps - 1;
            Clock.Set(12, 0, 0);
            Clock.Advance(milliseconds(next));
            Snapshots[Window.Fprog.Gauge5()->Progress()] = Figures(Window.Fprog);
        };
    }

    TTestFolder Folder;
    TTestClock Clock;
    TDoctor64 Device { Folder.Path(QStringLiteral("received")) };
    TApplication Application;
    TTestMainWindow Window { Application, Clock, Device };
    std::vector<TBox> Boxes;
    QByteArray Content;
    // The figures shown at each progress, as the pump after that update saw them.
    std::map<int, TTexts> Snapshots;
};

} // namespace

TEST_F(TMongoTest, AWholeDeliveryArrivesUnchangedWithItsTextsInOrder)
{
    SelectImage(QStringLiteral("Racer.v64"), RandomBytes(10 * Block + 1234, 6));
    QStringList statusAtProgress(101);
    Window.OnPump = [this, &statusAtProgress] {
        statusAtProgress[Window.Fprog.Gauge5()->Progress()] = Window.Label6->text();
    };

    Window.SpeedButton8->click();

    EXPECT_TRUE(Boxes.empty());
    ASSERT_EQ(Device.Files().size(), 1u);
    EXPECT_TRUE(Device.Files().front().Complete);
    EXPECT_EQ(Received(QStringLiteral("RACER.V64")), Content);
    const QString sending = QStringLiteral(" Sending SUPER RACER(RACER.V64) ... ");
    EXPECT_EQ(Window.StatusLog, QStringList({ " Checking port...", sending, " Done..." }));
    // Blocks of 9 % and more: the sending text from the first of them on.
    EXPECT_EQ(statusAtProgress[0], " Checking port...");
    EXPECT_EQ(statusAtProgress[9], sending);
    EXPECT_EQ(Window.Label6->text(), " Done...");
    EXPECT_EQ(Window.Beeps, QStringList({ " Done..." }));
    EXPECT_FALSE(Window.Fprog.isVisible());
    EXPECT_FALSE(Window.Mongo.Delivering());
    EXPECT_EQ(Window.Fprog.Gauge5()->Progress(), 100);
    EXPECT_EQ(Window.Mongo.Path(), Folder.Path() + QStringLiteral("/Racer.v64"));
}

TEST_F(TMongoTest, TheSendingTextWaitsForTwoPercent)
{
    SelectImage(QStringLiteral("big.v64"), RandomBytes(HundredBlocks, 6));
    std::map<int, QString> statusAtProgress;
    Window.OnPump = [this, &statusAtProgress] {
        statusAtProgress[Window.Fprog.Gauge5()->Progress()] = Window.Label6->text();
    };

    Window.SpeedButton8->click();

    EXPECT_EQ(statusAtProgress[0], " Checking port...");
    EXPECT_EQ(statusAtProgress[1], " Checking port...");
    EXPECT_EQ(statusAtProgress[2], " Sending SUPER RACER(BIG.V64) ... ");
    EXPECT_EQ(Received(QStringLiteral("BIG.V64")), Content);
}

TEST_F(TMongoTest, TheMessageQueueIsPumpedOnceAfterEachBlockOnly)
{
    SelectImage(QStringLiteral("racer.v64"), RandomBytes(3 * Block + 5, 6));
    std::vector<std::uint64_t> streamAtPump;
    Window.OnPump = [this, &streamAtPump] { streamAtPump.push_back(Device.StreamBytes()); };

    Window.SpeedButton8->click();

    // The two start events, then one pump after each block has gone out whole.
    const std::vector<std::uint64_t> expected = { 0, 0, HeaderBytes + Block,
        HeaderBytes + 2 * Block, HeaderBytes + 3 * Block, HeaderBytes + 3 * Block + 5 };
    EXPECT_EQ(streamAtPump, expected);
}

TEST_F(TMongoTest, FiguresFollowTheClockAtChosenProgressPoints)
{
    // A second every 0.4 % gives 10 seconds at 25 % and 40 at 100 %.
    SelectImage(
        QStringLiteral("racer.v64"), RandomBytes(HundredBlocks, 6), QStringLiteral("256 MBIT"));
    FollowSchedule([](int progress) { return progress * 400; });
    Window.SpeedButton8->click();

    EXPECT_EQ(
        Snapshots[25], TTexts({ "25 %", "0:40", "0:30", "0:10", "256", "192", "64", "6.400" }));
    EXPECT_EQ(
        Snapshots[100], TTexts({ "100 %", "0:40", "0:0", "0:40", "256", "0", "256", "6.400" }));
    // The window keeps its last figures once it is closed.
    EXPECT_EQ(Figures(Window.Fprog), Snapshots[100]);
    EXPECT_EQ(Window.Mongo.Clock().ElapsedSeconds(), 40);

    // The next delivery starts from empty figures and a reset clock: a second every 0.5 %
    // gives 25 seconds at 50 %.
    Snapshots.clear();
    SelectImage(
        QStringLiteral("chess.usa"), RandomBytes(HundredBlocks, 6), QStringLiteral("064 MBIT"));
    FollowSchedule([](int progress) { return progress * 500; });
    Window.SpeedButton8->click();

    EXPECT_EQ(Snapshots[0], TTexts(8, ""));
    EXPECT_EQ(Snapshots[50], TTexts({ "50 %", "0:50", "0:25", "0:25", "64", "32", "32", "1.280" }));
    EXPECT_EQ(Received(QStringLiteral("CHESS.USA")), Content);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(TMongoTest, FiguresFollowTheSecondsWhileTheProgressStands)
{
    // Two hundred blocks: each percentage stands for two updates, and every update sees the
    // clock's second changed, so update n counts n seconds.
    SelectImage(
        QStringLiteral("racer.v64"), RandomBytes(2 * HundredBlocks, 6), QStringLiteral("256 MBIT"));
    Clock.Set(12, 0, 0);
    QStringList timeSoFar;
    QStringList expected;
    Window.OnPump = [&] {
        const int update = Window.Pumps - 1;
        if (Window.Fprog.Gauge5()->Progress() > 0) {
            timeSoFar.append(Window.Fprog.FigureLabels()[3]->text());
            expected.append(QStringLiteral("%1:%2").arg(update / 60).arg(update % 60));
        }
        Clock.Advance(1000);
    };

    Window.SpeedButton8->click();

    ASSERT_EQ(timeSoFar.size(), 199);
    EXPECT_EQ(timeSoFar, expected);
    EXPECT_EQ(Figures(Window.Fprog),
        TTexts({ "100 %", "3:21", "0:0", "3:21", "256", "0", "256", "1.273" }));
}

TEST_F(TMongoTest, ASizeWithoutNumberShowsDashesAndTheDeliveryGoesOn)
{
    SelectImage(QStringLiteral("odd.v64"), RandomBytes(4 * Block, 6), QStringLiteral("-- MBIT"));
    FollowSchedule([](int) { return 1000; });
    Window.SpeedButton8->click();

    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(
        Figures(Window.Fprog), TTexts({ "100 %", "0:1", "0:0", "0:1", "--", "--", "--", "--" }));
    EXPECT_EQ(Received(QStringLiteral("ODD.V64")), Content);
    EXPECT_EQ(Window.Label6->text(), " Done...");
}

TEST_F(TMongoTest, NoFileSelectedTouchesNeitherPortNorWindow)
{
    int shows = 0;
    TEventBinder::Bind(Application, Window.Fprog, ekShow, [&shows] { ++shows; });

    Window.SpeedButton8->click();
    Window.Row
        = { QStringLiteral("SUPER RACER"), QStringLiteral("256 MBIT"), QString(), QString() };
    Window.SpeedButton8->click();

    EXPECT_EQ(Window.StatusLog, QStringList({ "No File Selected!" }));
    EXPECT_EQ(Device.Reads() + Device.Writes(), 0u);
    EXPECT_EQ(shows, 0);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_TRUE(Window.Beeps.isEmpty());
    EXPECT_FALSE(Window.Mongo.Delivering());
}

TEST_F(TMongoTest, ATimeOutClosesTheWindowBeforeTheBoxAndAFreshDeliveryThenWorks)
{
    SelectImage(QStringLiteral("racer.v64"), RandomBytes(2 * Block, 6));
    Device.SetAbsent(true);
    Window.SpeedButton8->click();

    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Warning, could not locate any doctor on LPT1.");
    EXPECT_EQ(Boxes[0].Status, "  Done... ");
    EXPECT_FALSE(Boxes[0].ProgressVisible);
    EXPECT_EQ(Window.StatusLog, QStringList({ " Checking port...", "  Done... " }));
    EXPECT_TRUE(Window.Beeps.isEmpty());
    EXPECT_FALSE(Window.Mongo.Delivering());
    EXPECT_TRUE(Device.Files().empty());

    Device.SetAbsent(false);
    Window.SpeedButton8->click();
    EXPECT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Received(QStringLiteral("RACER.V64")), Content);
    EXPECT_EQ(Window.Label6->text(), " Done...");
    EXPECT_EQ(Window.Beeps, QStringList({ " Done..." }));
}

TEST_F(TMongoTest, ATimeOutOnLpt2NamesLpt2)
{
    SelectImage(QStringLiteral("racer.v64"), RandomBytes(Block, 6));
    // The device sits on LPT1; nothing answers on LPT2.
    Window.GameDoctor1.SetPort(ppLPT2);
    Window.SpeedButton8->click();

    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Warning, could not locate any doctor on LPT2.");
    EXPECT_EQ(Boxes[0].Status, "  Done... ");
    EXPECT_FALSE(Boxes[0].ProgressVisible);
    EXPECT_TRUE(Window.Beeps.isEmpty());
}

TEST_F(TMongoTest, ADeviceThatStopsMidwayEndsLikeATimeOut)
{
    SelectImage(QStringLiteral("racer.v64"), RandomBytes(5 * Block, 6));
    Device.SetStallAfter(2 * Block);
    Window.SpeedButton8->click();

    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Warning, could not locate any doctor on LPT1.");
    EXPECT_EQ(Boxes[0].Status, "  Done... ");
    EXPECT_FALSE(Boxes[0].ProgressVisible);
    EXPECT_TRUE(Window.Beeps.isEmpty());
    EXPECT_FALSE(QFile::exists(Folder.Path(QStringLiteral("received/RACER.V64"))));
}

TEST_F(TMongoTest, AVanishedFileClosesTheWindowAndShowsTheError)
{
    SelectImage(QStringLiteral("gone.v64"), RandomBytes(Block, 6));
    QFile::remove(Folder.Path(QStringLiteral("gone.v64")));
    Window.SpeedButton8->click();

    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text,
        "Cannot open file " + Folder.Path() + "/gone.v64: No such file or directory.");
    EXPECT_FALSE(Boxes[0].ProgressVisible);
    EXPECT_FALSE(Window.Fprog.isVisible());
    // Neither end text, and nothing that says the delivery still runs.
    EXPECT_EQ(Boxes[0].Status, " Delivery failed");
    EXPECT_TRUE(Window.Beeps.isEmpty());
    EXPECT_FALSE(Window.Mongo.Delivering());
}

TEST_F(TMongoTest, DeliverPressedBetweenBlocksStartsNoSecondTransfer)
{
    SelectImage(QStringLiteral("racer.v64"), RandomBytes(20 * Block, 6));
    const QString sending = QStringLiteral(" Sending SUPER RACER(RACER.V64) ... ");
    QStringList statusAfterPress;
    std::vector<qint32> secondsBefore;
    std::vector<qint32> secondsAfter;
    // A second per update, so that a reset of the clock would show.
    FollowSchedule([](int progress) { return progress * 1000; });
    const auto schedule = Window.OnPump;
    Window.OnPump = [&, schedule] {
        schedule();
        // Once right after the first start event, still at " Checking port...", and once
        // between two blocks.
        if (Window.Pumps == 1 || Window.Pumps == 8) {
            secondsBefore.push_back(Window.Mongo.Clock().ElapsedSeconds());
            Window.SpeedButton8->click();
            statusAfterPress.append(Window.Label6->text());
            secondsAfter.push_back(Window.Mongo.Clock().ElapsedSeconds());
        }
    };

    Window.SpeedButton8->click();

    EXPECT_EQ(statusAfterPress, QStringList({ sending, sending }));
    EXPECT_EQ(secondsAfter, secondsBefore);
    ASSERT_EQ(secondsAfter.size(), 2u);
    EXPECT_GT(secondsAfter[1], 0);
    EXPECT_EQ(Device.Handshakes(), 1);
    ASSERT_EQ(Device.Files().size(), 1u);
    EXPECT_EQ(Received(QStringLiteral("RACER.V64")), Content);
    EXPECT_EQ(Device.TrailingBytes(), 0u);
    EXPECT_EQ(Window.Label6->text(), " Done...");
    EXPECT_EQ(Window.Beeps, QStringList({ " Done..." }));
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(TMongoTest, StopEndsTheDeliveryAtTheEndOfItsBlockWithoutABoxAndTheNextOneWorks)
{
    SelectImage(QStringLiteral("racer.v64"), RandomBytes(10 * Block, 6));
    int blocks = 0;
    Window.OnPump = [this, &blocks] {
        if (Window.Fprog.Gauge5()->Progress() > 0 && ++blocks == 3)
            Window.Fprog.findChild<QAbstractButton*>(QStringLiteral("SpeedButton1"))->click();
    };

    Window.SpeedButton8->click();

    EXPECT_EQ(blocks, 3) << "a block went out after Stop";
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(Window.Label6->text(), " Delivery stopped");
    EXPECT_FALSE(Window.Fprog.isVisible());
    EXPECT_FALSE(Window.Mongo.Delivering());
    EXPECT_TRUE(Window.Beeps.isEmpty());
    // The device holds no image under the file's name: it never arrived whole.
    EXPECT_FALSE(QFile::exists(Folder.Path(QStringLiteral("received/RACER.V64"))));

    // The stop was for that delivery only.
    Window.OnPump = nullptr;
    Window.SpeedButton8->click();
    EXPECT_EQ(Window.Label6->text(), " Done...");
    EXPECT_EQ(Received(QStringLiteral("RACER.V64")), Content);
}

// The window manager's close of the progress window (it offers none, but a task list or
// Alt+F4 may send one) is a "Stop": the window stays until the delivery has ended.
TEST_F(TMongoTest, TheWindowManagersCloseOfTheProgressWindowStopsTheDelivery)
{
    SelectImage(QStringLiteral("racer.v64"), RandomBytes(10 * Block, 6));
    int blocks = 0;
    bool shownAfterClose = false;
    Window.OnPump = [this, &blocks, &shownAfterClose] {
        if (Window.Fprog.Gauge5()->Progress() > 0 && ++blocks == 2) {
            // As the window system delivers it: a spontaneous close event.
            QCloseEvent close;
            QSpontaneKeyEvent::setSpontaneous(&close);
            QCoreApplication::instance()->notify(&Window.Fprog, &close);
            shownAfterClose = Window.Fprog.isVisible() && !close.isAccepted();
        }
    };

    Window.SpeedButton8->click();

    EXPECT_TRUE(shownAfterClose);
    EXPECT_EQ(blocks, 2);
    EXPECT_EQ(Window.Label6->text(), " Delivery stopped");
    EXPECT_FALSE(Window.Fprog.isVisible());
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(TMongoTest, AnotherRowSelectedDuringTheDeliveryChangesNothingShown)
{
    SelectImage(
        QStringLiteral("racer.v64"), RandomBytes(10 * Block, 6), QStringLiteral("064 MBIT"));
    Folder.Write(QStringLiteral("chess.usa"), RandomBytes(Block, 6));
    FollowSchedule([](int progress) { return progress * 100; });
    const auto schedule = Window.OnPump;
    Window.OnPump = [&, schedule] {
        schedule();
        if (Window.Pumps == 3)
            Window.Row = { QStringLiteral("CHESS"), QStringLiteral("008 MBIT"),
                QStringLiteral("CHESS.USA"), Folder.Path(QStringLiteral("chess.usa")) };
    };

    Window.SpeedButton8->click();

    EXPECT_EQ(Window.StatusLog,
        QStringList({ " Checking port...", " Sending SUPER RACER(RACER.V64) ... ", " Done..." }));
    EXPECT_EQ(Figures(Window.Fprog)[4], "64");
    ASSERT_EQ(Device.Files().size(), 1u);
    EXPECT_EQ(Received(QStringLiteral("RACER.V64")), Content);
}

TEST_F(TMongoTest, AnAbandonedDeliveryEndsBetweenBlocksWithoutABoxAndTheNextOneWorks)
{
    SelectImage(QStringLiteral("Racer.v64"), RandomBytes(10 * Block, 6));
    int blocks = 0;
    // The program closes while the third block is on its way.
    Window.OnPump = [this, &blocks] {
        if (Window.Fprog.Gauge5()->Progress() > 0 && ++blocks == 3)
            Window.Mongo.Abandon();
    };

    Window.SpeedButton8->click();

    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(blocks, 3) << "no block went out after the close";
    EXPECT_FALSE(Window.Fprog.isVisible());
    EXPECT_FALSE(Window.Mongo.Delivering());
    EXPECT_TRUE(Window.Beeps.isEmpty());
    // The device holds no image under the file's name: it never arrived whole.
    EXPECT_FALSE(QFile::exists(Folder.Path(QStringLiteral("received/RACER.V64"))));

    // Abandoning with nothing under way changes nothing for the next delivery.
    Window.OnPump = nullptr;
    Window.Mongo.Abandon();
    Window.SpeedButton8->click();
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(Received(QStringLiteral("RACER.V64")), Content);
}
