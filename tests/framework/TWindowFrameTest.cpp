#include "framework/TWindowFrame.h"
#include "TestWidgets.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Shows the window and lets it be painted, by which time its frame is known.
void ShowAndPaint(QWidget& window)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(20);
}

} // namespace

TEST(TWindowFrame, AWindowNeverShownEndsWithItsOuterFrameWhereAsked)
{
    // Before the first showing nothing is known of the frame; the window is sized and
    // placed again once it is.
    QWidget window;
    TWindowFrame::Place(window, [](const QMargins&) { return QRect(40, 30, 500, 400); });
    ShowAndPaint(window);

    EXPECT_NE(Frame(window), QMargins());
    EXPECT_EQ(window.frameGeometry(), QRect(40, 30, 500, 400));
    EXPECT_EQ(window.size(), QSize(500, 400).shrunkBy(Frame(window)));
}

TEST(TWindowFrame, ARuleThatDependsOnTheFrameSeesTheRealOneInTheEnd)
{
    // A dialog centred on its owner needs its own frame's size.
    QWidget owner;
    owner.setGeometry(100, 100, 600, 400);
    ShowAndPaint(owner);
    const QRect ownerFrame = owner.frameGeometry();

    QWidget dialog(nullptr, Qt::Tool);
    dialog.setFixedSize(201, 101);
    QList<QMargins> seen;
    const auto centred = [&](const QMargins& margins) {
        seen.append(margins);
        QRect frame(QPoint(), dialog.size().grownBy(margins));
        frame.moveCenter(ownerFrame.center());
        return frame;
    };
    // Placed as it is shown, as a show handler does.
    dialog.show();
    TWindowFrame::Place(dialog, centred);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(20);

    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.back(), Frame(dialog));
    QRect wanted(QPoint(), QSize(201, 101).grownBy(Frame(dialog)));
    wanted.moveCenter(ownerFrame.center());
    EXPECT_EQ(dialog.frameGeometry(), wanted);

    // Shown again, it is placed by the frame it now has, at once and to the same place.
    dialog.hide();
    seen.clear();
    dialog.show();
    TWindowFrame::Place(dialog, centred);
    QTest::qWait(20);
    EXPECT_EQ(dialog.frameGeometry(), wanted);
}

TEST(TWindowFrame, TheFrameOfAnotherShownWindowStandsInBeforeTheWindowIsFramed)
{
    QWidget shown;
    ShowAndPaint(shown);
    QWidget fresh;
    EXPECT_EQ(TWindowFrame::Margins(fresh), Frame(shown));
    // Once framed, a window's own frame counts.
    ShowAndPaint(fresh);
    EXPECT_EQ(TWindowFrame::Margins(fresh), Frame(fresh));
}
