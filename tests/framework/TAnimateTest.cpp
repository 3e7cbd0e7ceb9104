#include "framework/TAnimate.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QImage Picture(TAnimate& animate)
{
    return animate.grab().toImage();
}

// Waits long enough for several frames at the test's interval.
void WaitFrames()
{
    QTest::qWait(60);
}

} // namespace

TEST(TAnimate, TheClipsHaveTheirFrameCounts)
{
    TAnimate animate;
    EXPECT_EQ(animate.FrameCount(), 0);
    animate.SetCommonAVI(TAnimate::aviFindFolder);
    EXPECT_EQ(animate.FrameCount(), 30);
    EXPECT_EQ(animate.StopFrame(), 29);
    animate.SetCommonAVI(TAnimate::aviCopyFile);
    EXPECT_EQ(animate.FrameCount(), 27);
    EXPECT_EQ(animate.StopFrame(), 26);
    animate.SetStopFrame(40);
    EXPECT_EQ(animate.StopFrame(), 26);
}

TEST(TAnimate, FramesAdvanceOnlyWhileActiveAndShown)
{
    TAnimate animate;
    animate.SetCommonAVI(TAnimate::aviFindFolder);
    animate.SetInterval(5);
    animate.resize(300, 80);
    animate.show();

    WaitFrames();
    EXPECT_EQ(animate.CurrentFrame(), 0) << "inactive";

    animate.SetActive(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return animate.CurrentFrame() > 2; }, 2000));

    animate.SetActive(false);
    const int stopped = animate.CurrentFrame();
    WaitFrames();
    EXPECT_EQ(animate.CurrentFrame(), stopped) << "stopped";

    animate.SetActive(true);
    animate.hide();
    const int hidden = animate.CurrentFrame();
    WaitFrames();
    EXPECT_EQ(animate.CurrentFrame(), hidden) << "hidden";

    animate.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return animate.CurrentFrame() != hidden; }, 2000))
        << "shown again";
}

TEST(TAnimate, PlaysFromStartFrameToStopFrameAndRoundAgain)
{
    TAnimate animate;
    animate.SetCommonAVI(TAnimate::aviCopyFile);
    animate.SetStartFrame(3);
    animate.SetStopFrame(5);
    animate.SetInterval(2);
    animate.show();
    animate.SetActive(true);
    EXPECT_EQ(animate.CurrentFrame(), 3);

    bool wrapped = false;
    int last = animate.CurrentFrame();
    const bool done = QTest::qWaitFor(
        [&] {
            const int frame = animate.CurrentFrame();
            EXPECT_GE(frame, 3);
            EXPECT_LE(frame, 5);
            wrapped = wrapped || (last == 5 && frame == 3);
            last = frame;
            return wrapped;
        },
        2000);
    EXPECT_TRUE(done);
}

TEST(TAnimate, EachFrameIsDrawnAndNoClipDrawsNothing)
{
    TAnimate animate;
    animate.resize(272, 60);
    const QImage empty = Picture(animate);
    EXPECT_EQ(empty.pixel(136, 30), empty.pixel(0, 0));

    for (const TAnimate::TCommonAVI clip : { TAnimate::aviFindFolder, TAnimate::aviCopyFile }) {
        animate.SetCommonAVI(clip);
        const QImage first = Picture(animate);
        EXPECT_NE(first, empty);
        // Show a later frame by letting it play a little.
        animate.SetInterval(1);
        animate.show();
        animate.SetActive(true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return animate.CurrentFrame() >= 8; }, 2000));
        animate.SetActive(false);
        EXPECT_NE(Picture(animate), first);
        animate.hide();
    }
}
