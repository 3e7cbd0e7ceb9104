#include "delivery/TFprog.h"
#include "delivery/TDeliveryStatistics.h"
#include "framework/TAnimate.h"
#include "framework/TPanel.h"
#include "widgets/TGauge.h"

#include <QAbstractButton>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <QWindow>

#include <gtest/gtest.h>

namespace {

QStringList Texts(const QList<QLabel*>& labels)
{
    QStringList texts;
    for (const QLabel* label : labels)
        texts.append(label->text());
    return texts;
}

QRect InWindow(const QWidget* widget)
{
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

} // namespace

TEST(TFprog, IsAToolWindowWithoutBorderIconsCentredOnTheScreen)
{
    TFprog window;
    EXPECT_EQ(window.objectName(), "Fprog");
    EXPECT_EQ(window.windowTitle(), "Conveyor Progress Information");
    EXPECT_EQ(window.windowType(), Qt::Tool);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowTitleHint);

    window.show();
    // The figures keep their 412 x 413; "Stop" takes a strip along the bottom edge.
    EXPECT_EQ(window.size(), QSize(412, 446));
    const auto* stop = window.findChild<QAbstractButton*>(QStringLiteral("SpeedButton1"));
    ASSERT_NE(stop, nullptr);
    EXPECT_EQ(stop->text(), "Stop");
    EXPECT_GE(stop->geometry().top(), 413);
    EXPECT_EQ(window.frameGeometry().center(), window.screen()->availableGeometry().center());
    window.close();
    EXPECT_FALSE(window.isVisible());
}

TEST(TFprog, BelongsToTheMainWindowSoItStaysAboveIt)
{
    QWidget mainWindow;
    mainWindow.show();
    TFprog window(&mainWindow);
    window.show();
    // A window that belongs to another is transient for it: the window manager keeps it
    // above its owner and offers it no close box of its own.
    ASSERT_NE(window.windowHandle(), nullptr);
    EXPECT_EQ(window.windowHandle()->transientParent(), mainWindow.windowHandle());
    EXPECT_EQ(window.windowType(), Qt::Tool);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(window.frameGeometry().center(), window.screen()->availableGeometry().center());
}

TEST(TFprog, HoldsTheGaugePanelAndEightCaptionedRows)
{
    TFprog window;
    window.show();

    auto* panel = window.findChild<TPanel*>("Panel1");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 22, 413));
    EXPECT_EQ(panel->BevelOuter(), bvLowered);
    EXPECT_EQ(panel->BevelWidth(), 2);
    EXPECT_EQ(panel->BorderWidth(), 5);
    TGauge* gauge = window.Gauge5();
    ASSERT_EQ(gauge, window.findChild<TGauge*>("Gauge5"));
    EXPECT_EQ(gauge->parentWidget(), panel);
    EXPECT_EQ(gauge->geometry(), QRect(7, 7, 8, 413 - 14));
    EXPECT_EQ(gauge->Kind(), gkVerticalBar);
    EXPECT_FALSE(gauge->ShowText());
    EXPECT_EQ(gauge->BorderStyle(), bsNone);
    EXPECT_EQ(gauge->MaxValue(), 100);
    EXPECT_EQ(gauge->BackColor(), window.palette().color(QPalette::Button));

    const QStringList captions = { "Percentage Completed:  ",
        "Estimated Time For a Complete Delivery:  ", "Time to Wait For The Ongoing Delivery:  ",
        "Ongoing Time For This Deliver:  ", "MegaBits to Deliver:  ", "MegaBits Left to Deliver:  ",
        "MegaBits Delivered:  ", "MegaBits per Second:  " };
    const QStringList values
        = { "Label9", "Label7", "Label13", "Label5", "Label11", "Label1", "Label3", "Label15" };
    const QList<QLabel*> figures = window.FigureLabels();
    ASSERT_EQ(figures.size(), 8);
    for (int row = 0; row < 8; ++row) {
        SCOPED_TRACE(row);
        QLabel* value = figures[row];
        EXPECT_EQ(value->objectName(), values[row]);
        QWidget* rowPanel = value->parentWidget();
        EXPECT_EQ(InWindow(rowPanel), QRect(22, 28 * row, 390, 28));
        EXPECT_EQ(value->width(), 50);
        // The value sits at the right end, inside the row's bevels and border.
        EXPECT_EQ(value->geometry().right(), rowPanel->width() - 1 - 5);
        const QList<QLabel*> labels = rowPanel->findChildren<QLabel*>();
        ASSERT_EQ(labels.size(), 2);
        QLabel* caption = labels[0] == value ? labels[1] : labels[0];
        EXPECT_EQ(caption->text(), captions[row]);
        EXPECT_TRUE(caption->alignment() & Qt::AlignRight);
        EXPECT_EQ(caption->geometry().right() + 1, value->geometry().left());
        EXPECT_TRUE(caption->font().bold());
        EXPECT_EQ(caption->font().family(), "Arial");
        EXPECT_EQ(caption->font().pixelSize(), row == 2 ? 15 : 13);
        EXPECT_EQ(value->font().pixelSize(), 13);
    }

    auto* animate = window.findChild<TAnimate*>("Animate1");
    ASSERT_NE(animate, nullptr);
    EXPECT_EQ(InWindow(animate), QRect(22, 8 * 28, 390, 413 - 8 * 28));
    EXPECT_EQ(animate->CommonAVI(), TAnimate::aviCopyFile);
    EXPECT_EQ(animate->StopFrame(), 26);
}

TEST(TFprog, TheCopyAnimationPlaysWhileTheWindowIsShown)
{
    TFprog window;
    auto* animate = window.findChild<TAnimate*>("Animate1");
    ASSERT_NE(animate, nullptr);
    EXPECT_TRUE(animate->Active());
    const int first = animate->CurrentFrame();
    QTest::qWait(3 * animate->Interval());
    EXPECT_EQ(animate->CurrentFrame(), first);

    window.show();
    QTRY_VERIFY(animate->CurrentFrame() != first);
    window.close();
    const int stopped = animate->CurrentFrame();
    QTest::qWait(3 * animate->Interval());
    EXPECT_EQ(animate->CurrentFrame(), stopped);
}

TEST(TFprog, ShowsTheFiguresOfAnUpdateAndEmptiesThem)
{
    TFprog window;
    window.SetProgress(25);
    EXPECT_EQ(window.Gauge5()->Progress(), 25);
    window.ShowStatistics(TDeliveryStatistics(25, 10, QStringLiteral("256 MBIT"), QLocale::c()));
    EXPECT_EQ(Texts(window.FigureLabels()),
        QStringList({ "25 %", "0:40", "0:30", "0:10", "256", "192", "64", "6.400" }));

    // An update without figures (nothing sent yet) leaves them as they are.
    window.ShowStatistics(TDeliveryStatistics(0, 11, QStringLiteral("256 MBIT"), QLocale::c()));
    EXPECT_EQ(window.FigureLabels()[0]->text(), "25 %");

    window.ClearFigures();
    EXPECT_EQ(Texts(window.FigureLabels()), QStringList(8, QString()));
    EXPECT_EQ(window.Gauge5()->Progress(), 25);
    window.SetProgress(130);
    EXPECT_EQ(window.Gauge5()->Progress(), 100);
}
