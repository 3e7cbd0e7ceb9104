#include "widgets/TGauge.h"
#include "TestWidgets.h"
#include "framework/EInvalidOperation.h"
#include "framework/TPanel.h"
#include "widgets/TBltBitmap.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>

namespace {

const QColor Black(Qt::black);
const QColor White(Qt::white);
const QColor Red(255, 0, 0);
const QColor Cyan(0, 255, 255);
const QColor Green(0, 160, 0);

// Counts the paint events a widget receives.
class TPaintCounter : public QObject
{
public:
    int Count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++Count;
        return false;
    }
};

class GaugeTest : public testing::Test
{
protected:
    QImage Snapshot() { return ::Snapshot(Gauge); }

    // A gauge that draws only its picture, without the percentage text.
    void Plain(TGaugeKind kind, TBorderStyle border, int width, int height)
    {
        Gauge.SetKind(kind);
        Gauge.SetBorderStyle(border);
        Gauge.SetShowText(false);
        Gauge.resize(width, height);
    }

    // The message of the EInvalidOperation that `action` raises, or "none".
    template <typename Action> QString FailureOf(Action action)
    {
        try {
            action();
        } catch (const EInvalidOperation& error) {
            return error.Message();
        }
        return QStringLiteral("none");
    }

    TGauge Gauge;
};

} // namespace

TEST_F(GaugeTest, StartsAsABorderedHorizontalBarOverZeroToHundred)
{
    EXPECT_EQ(Gauge.MinValue(), 0);
    EXPECT_EQ(Gauge.MaxValue(), 100);
    EXPECT_EQ(Gauge.Progress(), 0);
    EXPECT_EQ(Gauge.Kind(), gkHorizontalBar);
    EXPECT_TRUE(Gauge.ShowText());
    EXPECT_EQ(Gauge.BorderStyle(), bsSingle);
    EXPECT_EQ(Gauge.ForeColor(), Black);
    EXPECT_EQ(Gauge.BackColor(), White);
    EXPECT_EQ(Gauge.size(), QSize(100, 100));
    EXPECT_TRUE(Gauge.testAttribute(Qt::WA_OpaquePaintEvent));
}

TEST_F(GaugeTest, PercentIsTheTruncatedWholeShareOfTheRange)
{
    Gauge.SetMaxValue(3);
    Gauge.SetProgress(1);
    EXPECT_EQ(Gauge.Percent(), 33);
    Gauge.SetProgress(2);
    EXPECT_EQ(Gauge.Percent(), 66);

    Gauge.SetMinValue(-3);
    Gauge.SetProgress(-2);
    EXPECT_EQ(Gauge.Percent(), 16);
}

TEST_F(GaugeTest, EmptyRangeHasZeroPercent)
{
    Gauge.SetMaxValue(0);
    EXPECT_EQ(Gauge.Percent(), 0);
    Gauge.SetMaxValue(50);
    Gauge.SetMinValue(50);
    EXPECT_EQ(Gauge.Progress(), 50);
    EXPECT_EQ(Gauge.Percent(), 0);
}

TEST_F(GaugeTest, PercentOfTheWidestRangeDoesNotOverflow)
{
    Gauge.SetMinValue(INT_MIN);
    Gauge.SetMaxValue(INT_MAX);
    Gauge.SetProgress(0);
    EXPECT_EQ(Gauge.Percent(), 50);
    Gauge.SetProgress(INT_MAX);
    EXPECT_EQ(Gauge.Percent(), 100);
}

TEST_F(GaugeTest, ProgressIsClampedIntoTheRange)
{
    Gauge.SetProgress(150);
    EXPECT_EQ(Gauge.Progress(), 100);
    Gauge.SetProgress(-5);
    EXPECT_EQ(Gauge.Progress(), 0);
}

TEST_F(GaugeTest, RangeEndsThatWouldCrossAreRefusedWithTheirBounds)
{
    EXPECT_EQ(FailureOf([&] { Gauge.SetMinValue(101); }),
        QStringLiteral("Value must be between -2147483647 and 99"));
    EXPECT_EQ(Gauge.MinValue(), 0);
    EXPECT_EQ(FailureOf([&] { Gauge.SetMaxValue(-1); }),
        QStringLiteral("Value must be between 1 and 2147483647"));
    EXPECT_EQ(Gauge.MaxValue(), 100);

    // Meeting ends are accepted and pull the progress along.
    EXPECT_EQ(FailureOf([&] { Gauge.SetMinValue(100); }), QStringLiteral("none"));
    EXPECT_EQ(Gauge.Progress(), 100);
    Gauge.SetMinValue(0);
    Gauge.SetProgress(0);
    EXPECT_EQ(FailureOf([&] { Gauge.SetMaxValue(0); }), QStringLiteral("none"));
}

TEST_F(GaugeTest, RangeErrorsAtTheOuterLimitsNameTrueBounds)
{
    Gauge.SetMinValue(INT_MIN);
    Gauge.SetMaxValue(INT_MIN);
    EXPECT_EQ(FailureOf([&] { Gauge.SetMinValue(0); }),
        QStringLiteral("Value must be between -2147483647 and -2147483649"));

    Gauge.SetMaxValue(INT_MAX);
    Gauge.SetMinValue(INT_MAX);
    EXPECT_EQ(FailureOf([&] { Gauge.SetMaxValue(0); }),
        QStringLiteral("Value must be between 2147483648 and 2147483647"));
}

TEST_F(GaugeTest, RangeErrorsAreTheProgramsOwnExceptions)
{
    try {
        Gauge.SetMinValue(1000);
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Value must be between -2147483647 and 99");
    }
}

TEST_F(GaugeTest, WhileLoadingTheRangeMayArriveInAnyOrder)
{
    Gauge.SetLoading(true);
    Gauge.SetMinValue(500);
    Gauge.SetMaxValue(1000);
    Gauge.SetLoading(false);
    EXPECT_EQ(Gauge.MinValue(), 500);
    EXPECT_EQ(Gauge.MaxValue(), 1000);
    EXPECT_EQ(Gauge.Progress(), 500);
    EXPECT_THROW(Gauge.SetMaxValue(100), EInvalidOperation);
}

class GaugeRepaintTest : public GaugeTest
{
protected:
    void SetUp() override
    {
        Gauge.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Gauge));
        QCoreApplication::processEvents();
        Gauge.installEventFilter(&Paints);
    }
    void TearDown() override { Gauge.removeEventFilter(&Paints); }

    TPaintCounter Paints;
};

TEST_F(GaugeRepaintTest, ProgressRepaintsAtOnceOnlyWhenTheWholePercentMoves)
{
    Gauge.SetMaxValue(1000);
    Paints.Count = 0;

    Gauge.SetProgress(10);
    EXPECT_EQ(Paints.Count, 1) << "0 % to 1 % repaints before the setter returns";
    Gauge.SetProgress(19);
    EXPECT_EQ(Gauge.Progress(), 19);
    EXPECT_EQ(Paints.Count, 1) << "still 1 %";
    Gauge.SetProgress(20);
    EXPECT_EQ(Paints.Count, 2);
    Gauge.SetProgress(20);
    EXPECT_EQ(Paints.Count, 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(Paints.Count, 2) << "nothing left waiting for the next cycle";
}

TEST_F(GaugeRepaintTest, LoweringTheMaximumBelowTheProgressPullsItDownAndRepaints)
{
    Gauge.SetProgress(80);
    Paints.Count = 0;
    Gauge.SetMaxValue(60);
    EXPECT_EQ(Gauge.Progress(), 60);
    EXPECT_EQ(Paints.Count, 1);
}

TEST_F(GaugeRepaintTest, LookSettersRepaintOnlyOnARealChange)
{
    Paints.Count = 0;
    Gauge.SetKind(gkHorizontalBar);
    Gauge.SetShowText(true);
    Gauge.SetBorderStyle(bsSingle);
    Gauge.SetForeColor(Black);
    Gauge.SetBackColor(White);
    EXPECT_EQ(Paints.Count, 0);

    Gauge.SetKind(gkPie);
    Gauge.SetShowText(false);
    Gauge.SetBorderStyle(bsNone);
    Gauge.SetForeColor(Red);
    Gauge.SetBackColor(Cyan);
    EXPECT_EQ(Paints.Count, 5);
}

TEST_F(GaugeTest, SingleBorderIsABlackFrameAroundTheBackground)
{
    Plain(gkText, bsSingle, 30, 20);
    Gauge.SetBackColor(Cyan);
    const QImage image = Snapshot();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool frame = x == 0 || y == 0 || x == 29 || y == 19;
            ASSERT_EQ(At(image, x, y), frame ? Black : Cyan) << x << "," << y;
        }
}

TEST_F(GaugeTest, HorizontalBarOfAHundredPixelsFillsTheWholeWidthAtHundredPercent)
{
    Plain(gkHorizontalBar, bsNone, 100, 10);
    Gauge.SetProgress(100);
    const QImage image = Snapshot();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(At(image, x, y), Black) << x << "," << y;
}

TEST_F(GaugeTest, HorizontalBarLengthsFollowTheExtendedHundredth)
{
    Plain(gkHorizontalBar, bsNone, 4, 6);
    // Without a border the bar's length is the share of the width plus one.
    Gauge.SetProgress(20);
    EXPECT_EQ(At(Snapshot(), 0, 3), White) << "20 % of 5 is 0";

    Gauge.resize(9, 6);
    Gauge.SetProgress(10);
    EXPECT_EQ(At(Snapshot(), 0, 3), White) << "10 % of 10 is 0";
    Gauge.SetProgress(20);
    const QImage image = Snapshot();
    EXPECT_EQ(At(image, 0, 3), Black) << "20 % of 10 is 1";
    EXPECT_EQ(At(image, 1, 3), White);
}

TEST_F(GaugeTest, HorizontalBarLengthIsARightEdgeNotAWidth)
{
    Plain(gkHorizontalBar, bsSingle, 101, 8);
    Gauge.SetProgress(50);
    // 50 % of the 100-pixel paint width is 50, taken as the right edge: columns 1 to 49.
    const QImage image = Snapshot();
    EXPECT_EQ(At(image, 1, 4), Black);
    EXPECT_EQ(At(image, 49, 4), Black);
    EXPECT_EQ(At(image, 50, 4), White);
}

TEST_F(GaugeTest, VerticalBarWithoutBorderKeepsItsTopRowAtHundredPercent)
{
    Plain(gkVerticalBar, bsNone, 10, 100);
    Gauge.SetProgress(100);
    const QImage image = Snapshot();
    for (int x = 0; x < 10; ++x) {
        ASSERT_EQ(At(image, x, 0), White) << x;
        for (int y = 1; y < 100; ++y)
            ASSERT_EQ(At(image, x, y), Black) << x << "," << y;
    }
}

TEST_F(GaugeTest, VerticalBarWithBorderFillsThePaintRectangleAtHundredPercent)
{
    Plain(gkVerticalBar, bsSingle, 10, 100);
    Gauge.SetForeColor(Red);
    Gauge.SetProgress(100);
    const QImage image = Snapshot();
    for (int y = 1; y < 99; ++y)
        for (int x = 1; x < 9; ++x)
            ASSERT_EQ(At(image, x, y), Red) << x << "," << y;
    EXPECT_EQ(At(image, 5, 0), Black);
    EXPECT_EQ(At(image, 5, 99), Black);
}

TEST_F(GaugeTest, VerticalBarGrowsFromTheBottom)
{
    Plain(gkVerticalBar, bsNone, 10, 100);
    Gauge.SetProgress(0);
    const QImage empty = Snapshot();
    EXPECT_EQ(At(empty, 5, 99), White);
    Gauge.SetProgress(50);
    // 50 % of 101 is 50: rows 51 to 100, the last outside the control.
    const QImage half = Snapshot();
    EXPECT_EQ(At(half, 5, 50), White);
    EXPECT_EQ(At(half, 5, 51), Black);
    EXPECT_EQ(At(half, 5, 99), Black);
}

TEST_F(GaugeTest, EmptyRangeShowsEmptyBars)
{
    Plain(gkHorizontalBar, bsNone, 20, 20);
    Gauge.SetMaxValue(0);
    const QImage image = Snapshot();
    EXPECT_EQ(At(image, 0, 10), White);
    EXPECT_EQ(At(image, 19, 10), White);
}

class GaugeRoundTest : public GaugeTest
{
protected:
    void SetUp() override
    {
        Gauge.SetForeColor(Red);
        Gauge.SetColor(Green);
    }

    // The colour at a point given in units of the ellipse's radii from its centre.
    QColor AtPolar(
        const QImage& image, double degrees, double radius, QPointF centre, QPointF radii)
    {
        const double a = degrees * M_PI / 180;
        return At(image, int(std::lround(centre.x() + radius * radii.x() * std::cos(a))),
            int(std::lround(centre.y() - radius * radii.y() * std::sin(a))));
    }
};

TEST_F(GaugeRoundTest, PieWithoutProgressIsAnOutlinedEllipse)
{
    Plain(gkPie, bsSingle, 81, 61);
    const QImage image = Snapshot();
    const QPointF centre(40, 30), radii(39, 29);
    for (int degrees = 0; degrees < 360; degrees += 15)
        ASSERT_EQ(AtPolar(image, degrees, 0.85, centre, radii), White) << degrees;
    EXPECT_EQ(At(image, 2, 2), Green) << "outside the ellipse";
    EXPECT_EQ(At(image, 40, 1), Red) << "outline at the top";
    EXPECT_EQ(At(image, 0, 0), Black) << "frame";
}

TEST_F(GaugeRoundTest, PieWedgeGrowsClockwiseFromTwelve)
{
    Plain(gkPie, bsSingle, 81, 61);
    Gauge.SetProgress(25);
    const QImage image = Snapshot();
    const QPointF centre(40, 30), radii(39, 29);
    // The quarter between twelve and three o'clock is filled, the rest is not.
    for (int degrees : { 15, 45, 75 })
        EXPECT_EQ(AtPolar(image, degrees, 0.7, centre, radii), Red) << degrees;
    for (int degrees : { 105, 180, 225, 270, 345 })
        EXPECT_EQ(AtPolar(image, degrees, 0.7, centre, radii), White) << degrees;
}

TEST_F(GaugeRoundTest, PieAtHundredPercentIsFilledWhole)
{
    Plain(gkPie, bsNone, 80, 60);
    Gauge.SetProgress(100);
    const QImage image = Snapshot();
    const QPointF centre(39.5, 29.5), radii(39.5, 29.5);
    for (int degrees = 0; degrees < 360; degrees += 10)
        for (double radius : { 0.1, 0.5, 0.9 })
            ASSERT_EQ(AtPolar(image, degrees, radius, centre, radii), Red)
                << degrees << " at " << radius;
    EXPECT_EQ(At(image, 1, 1), Green);
    EXPECT_EQ(At(image, 78, 58), Green);
}

TEST_F(GaugeRoundTest, NeedleAtZeroShowsTheDialAlone)
{
    Plain(gkNeedle, bsSingle, 81, 41);
    const QImage image = Snapshot();
    // The dial is the upper half of an ellipse whose centre sits on the bottom edge.
    const QPointF centre(40, 39), radii(39, 38);
    for (int degrees = 10; degrees <= 170; degrees += 10)
        for (double radius : { 0.2, 0.6, 0.9 })
            ASSERT_EQ(AtPolar(image, degrees, radius, centre, radii), White)
                << degrees << " at " << radius;
    EXPECT_EQ(At(image, 40, 1), Red) << "rim of the dial";
    EXPECT_EQ(At(image, 2, 2), Green) << "outside the dial";
    // The base line runs along the bottom row, over the frame.
    EXPECT_EQ(At(image, 1, 40), Red);
    EXPECT_EQ(At(image, 80, 40), Red);
    EXPECT_EQ(At(image, 0, 40), Black);
}

TEST_F(GaugeRoundTest, NeedleSwingsFromLeftToRight)
{
    Plain(gkNeedle, bsSingle, 81, 41);
    Gauge.SetProgress(50);
    QImage image = Snapshot();
    // Straight up from the pivot in the middle of the control.
    for (int y = 2; y < 39; ++y)
        ASSERT_EQ(At(image, 40, y), Red) << y;
    EXPECT_EQ(At(image, 30, 20), White);

    Gauge.SetProgress(100);
    image = Snapshot();
    for (int x = 41; x < 78; ++x)
        ASSERT_EQ(At(image, x, 39), Red) << x;
    EXPECT_EQ(At(image, 40, 20), White);
}

TEST_F(GaugeRoundTest, PieAndNeedleTakeTheParentsColourUntilTheyHaveTheirOwn)
{
    TPanel parent;
    parent.SetColor(Cyan);
    TGauge gauge(&parent);
    gauge.SetKind(gkPie);
    gauge.SetShowText(false);
    QImage image(gauge.size(), QImage::Format_RGB32);
    gauge.render(&image);
    EXPECT_EQ(At(image, 2, 2), Cyan);
}

TEST_F(GaugeTest, WithoutTextOnlyTheBackgroundShows)
{
    Plain(gkText, bsSingle, 60, 30);
    Gauge.SetProgress(42);
    const QImage image = Snapshot();
    for (int y = 1; y < 29; ++y)
        for (int x = 1; x < 59; ++x)
            ASSERT_EQ(At(image, x, y), White) << x << "," << y;
}

TEST_F(GaugeTest, TextIsCentredAndInvertsWhatLiesBeneath)
{
    Gauge.SetKind(gkHorizontalBar);
    Gauge.SetBorderStyle(bsNone);
    Gauge.SetForeColor(Red);
    Gauge.resize(100, 40);
    Gauge.SetProgress(50);
    const QImage image = Snapshot();

    // The bar ends after column 49; the text "50%" straddles that edge.
    std::set<QRgb> colours;
    int left = 100, right = -1, top = 40, bottom = -1;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) {
            const QColor colour = At(image, x, y);
            colours.insert(colour.rgb());
            const bool bar = x < 50;
            if (colour == (bar ? Red : White))
                continue;
            ASSERT_EQ(colour, bar ? Cyan : Black) << x << "," << y;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    EXPECT_EQ(colours, (std::set<QRgb> { Red.rgb(), White.rgb(), Cyan.rgb(), Black.rgb() }));

    QFont font = Gauge.font();
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font, &image);
    const int x = (101 - metrics.horizontalAdvance(QStringLiteral("50%"))) / 2;
    const int y = (41 - metrics.height()) / 2;
    EXPECT_GE(left, x);
    EXPECT_LE(right, x + metrics.horizontalAdvance(QStringLiteral("50%")));
    EXPECT_GE(top, y);
    EXPECT_LE(bottom, y + metrics.height());
    EXPECT_NEAR((left + right) / 2.0, 50, 3);
}

TEST_F(GaugeTest, TextStaysInsideTheFrame)
{
    Plain(gkText, bsSingle, 14, 8);
    Gauge.SetShowText(true);
    Gauge.SetProgress(100);
    const QImage image = Snapshot();
    for (int x = 0; x < 14; ++x) {
        EXPECT_EQ(At(image, x, 0), Black);
        EXPECT_EQ(At(image, x, 7), Black);
    }
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(At(image, 0, y), Black);
        EXPECT_EQ(At(image, 13, y), Black);
    }
}

TEST_F(GaugeTest, UnknownKindFromADamagedDeclarationDrawsNothing)
{
    Plain(gkText, bsNone, 20, 20);
    EXPECT_TRUE(Gauge.setProperty("Kind", 7));
    const QImage image = Snapshot();
    EXPECT_EQ(At(image, 0, 0), Black);
    EXPECT_EQ(At(image, 10, 10), Black);
}

TEST(BltBitmap, MakeLikeTakesTheTemplatesShape)
{
    QImage model(7, 5, QImage::Format_RGB32);
    model.fill(Qt::white);
    TBltBitmap bitmap;
    bitmap.MakeLike(model);
    EXPECT_EQ(bitmap.size(), QSize(7, 5));
    EXPECT_EQ(bitmap.format(), QImage::Format_RGB32);
    EXPECT_EQ(bitmap.pixelColor(6, 4), QColor(Qt::black));
}
