#include "framework/TAlignLayout.h"
#include "framework/TApplication.h"
#include "framework/TCustomPanel.h"
#include "framework/TEventBinder.h"
#include "framework/TSplitter.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QWidget* Child(QWidget* parent, TAlign align, QRect geometry, const char* name = "")
{
    auto* child = new QWidget(parent);
    child->setObjectName(QString::fromLatin1(name));
    child->setGeometry(geometry);
    SetAlign(child, align);
    return child;
}

void Drag(QWidget* splitter, int dx)
{
    const QPoint start(splitter->width() / 2, splitter->height() / 2);
    QTest::mousePress(splitter, Qt::LeftButton, {}, start);
    QTest::mouseMove(splitter, start + QPoint(dx, 0));
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, start + QPoint(dx, 0));
}

} // namespace

TEST(TAlignLayout, EdgesAreTakenInTheirOrderAndTheFillingControlGetsTheRest)
{
    TCustomPanel container;
    container.SetBorderWidth(4);
    container.SetBevelOuter(bvNone);
    container.resize(200, 100);
    QWidget* top = Child(&container, alTop, { 0, 0, 10, 20 });
    QWidget* bottom = Child(&container, alBottom, { 0, 0, 10, 10 });
    QWidget* left = Child(&container, alLeft, { 0, 0, 30, 10 });
    QWidget* right1 = Child(&container, alRight, { 0, 0, 15, 10 });
    QWidget* right2 = Child(&container, alRight, { 0, 0, 5, 10 });
    QWidget* fill = Child(&container, alClient, { 0, 0, 1, 1 });
    QWidget* placed = Child(&container, alNone, { 7, 8, 9, 10 });

    TAlignLayout::Install(&container);
    container.show();
    EXPECT_EQ(top->geometry(), QRect(4, 4, 192, 20));
    EXPECT_EQ(bottom->geometry(), QRect(4, 86, 192, 10));
    EXPECT_EQ(left->geometry(), QRect(4, 24, 30, 62));
    // The first right-hand control is the outermost.
    EXPECT_EQ(right1->geometry(), QRect(181, 24, 15, 62));
    EXPECT_EQ(right2->geometry(), QRect(176, 24, 5, 62));
    EXPECT_EQ(fill->geometry(), QRect(34, 24, 142, 62));
    EXPECT_EQ(placed->geometry(), QRect(7, 8, 9, 10));

    // The edges and the border make the container's minimum; a window gets it as its own.
    EXPECT_EQ(container.minimumSizeHint(), QSize(30 + 15 + 5 + 8, 20 + 10 + 8));
    EXPECT_EQ(container.minimumSize(), QSize(58, 38));

    // A hidden control takes no room.
    left->hide();
    EXPECT_EQ(fill->geometry(), QRect(4, 24, 172, 62));
}

TEST(TAlignLayout, TheTreeFollowsResizesOfTheWindowAndOfItsEdgeControls)
{
    QWidget window;
    window.resize(300, 200);
    QWidget* pane = Child(&window, alLeft, { 0, 0, 100, 10 });
    QWidget* inner = Child(pane, alClient, { 0, 0, 1, 1 });
    QWidget* bar = Child(&window, alTop, { 0, 0, 10, 30 });
    QWidget* fill = Child(&window, alClient, { 0, 0, 1, 1 });
    TAlignLayout::Install(&window);
    window.show();
    EXPECT_EQ(pane->geometry(), QRect(0, 30, 100, 170));
    EXPECT_EQ(inner->geometry(), QRect(0, 0, 100, 170));

    window.resize(300, 250);
    EXPECT_EQ(inner->height(), 220);
    bar->hide();
    EXPECT_EQ(pane->geometry(), QRect(0, 0, 100, 250));

    // Code that sets an edge control's width re-aligns its parent at once, as a classic
    // control's new size did.
    pane->resize(140, pane->height());
    EXPECT_EQ(fill->geometry(), QRect(140, 0, 160, 250));
    EXPECT_EQ(inner->width(), 140);
    // A control without a place of its own is left alone.
    EXPECT_EQ(AlignOf(&window), alNone);
    SetAlign(fill, alRight);
    EXPECT_EQ(AlignOf(fill), alRight);
}

TEST(TSplitter, DragsItsControlWithinTheMinimumsAndRaisesMovedOnRelease)
{
    TApplication application;
    QWidget window;
    window.resize(300, 100);
    QWidget* left = Child(&window, alLeft, { 0, 0, 100, 10 });
    auto* splitter = new TSplitter(&window);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setGeometry(100, 0, 4, 10);
    SetAlign(splitter, alLeft);
    splitter->SetMinSize(40);
    QWidget* fill = Child(&window, alClient, { 0, 0, 1, 1 });
    QWidget* right = Child(&window, alRight, { 0, 0, 50, 10 });
    auto* rightSplitter = new TSplitter(&window);
    rightSplitter->setGeometry(0, 0, 4, 10);
    SetAlign(rightSplitter, alRight);
    TAlignLayout::Install(&window);
    window.show();
    int moved = 0;
    TEventBinder::Bind(application, splitter, ekMoved, [&] { ++moved; });

    EXPECT_EQ(splitter->Control(), left);
    EXPECT_EQ(rightSplitter->Control(), right);
    Drag(splitter, 25);
    EXPECT_EQ(left->width(), 125);
    EXPECT_EQ(moved, 1);
    Drag(splitter, -1000);
    EXPECT_EQ(left->width(), 40);
    Drag(splitter, 1000);
    EXPECT_EQ(fill->width(), 40);
    EXPECT_EQ(moved, 3);

    // A right-hand splitter widens its control when dragged to the left.
    const int before = right->width();
    Drag(rightSplitter, -10);
    EXPECT_EQ(right->width(), before + 10);
}
