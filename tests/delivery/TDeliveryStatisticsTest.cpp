#include "delivery/TDeliveryStatistics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TTexts = std::vector<std::string>;

// The eight figures in the order of the window's rows, the rate last.
TTexts Figures(const TDeliveryStatistics& statistics)
{
    TTexts texts;
    for (const QString* figure : { &statistics.Percentage(), &statistics.EstimatedTotal(),
             &statistics.TimeLeft(), &statistics.TimeSoFar(), &statistics.MegabitsToDeliver(),
             &statistics.MegabitsLeft(), &statistics.MegabitsDelivered(), &statistics.Rate() })
        texts.push_back(figure->toStdString());
    return texts;
}

TTexts Times(const TDeliveryStatistics& statistics)
{
    return { statistics.EstimatedTotal().toStdString(), statistics.TimeLeft().toStdString(),
        statistics.TimeSoFar().toStdString() };
}

std::string Rate(quint8 progress, qint32 elapsedSeconds, const QString& sizeText,
    const QLocale& locale = QLocale::c())
{
    return TDeliveryStatistics(progress, elapsedSeconds, sizeText, locale).Rate().toStdString();
}

} // namespace

TEST(TDeliveryStatistics, WorkedExamples)
{
    const TDeliveryStatistics quarter(25, 10, QStringLiteral("256 MBit"), QLocale::c());
    EXPECT_TRUE(quarter.HasFigures());
    EXPECT_EQ(quarter.Gauge(), 25);
    EXPECT_EQ(
        Figures(quarter), TTexts({ "25 %", "0:40", "0:30", "0:10", "256", "192", "64", "6.400" }));

    const TDeliveryStatistics half(50, 25, QStringLiteral("064 MBit"), QLocale::c());
    EXPECT_EQ(Figures(half), TTexts({ "50 %", "0:50", "0:25", "0:25", "64", "32", "32", "1.280" }));

    const TDeliveryStatistics done(100, 40, QStringLiteral("008 MBit"), QLocale::c());
    EXPECT_EQ(Figures(done), TTexts({ "100 %", "0:40", "0:0", "0:40", "8", "0", "8", "0.200" }));
}

TEST(TDeliveryStatistics, TimesAreUnpaddedMinutesAndSeconds)
{
    EXPECT_EQ(Times(TDeliveryStatistics(100, 125, QStringLiteral("256 MBit"))),
        TTexts({ "2:5", "0:0", "2:5" }));
    EXPECT_EQ(Times(TDeliveryStatistics(50, 3600, QStringLiteral("256 MBit"))),
        TTexts({ "120:0", "60:0", "60:0" }));
}

TEST(TDeliveryStatistics, NoFiguresBeforeProgressOrACountedSecond)
{
    const TDeliveryStatistics starting(0, 5, QStringLiteral("256 MBit"), QLocale::c());
    EXPECT_FALSE(starting.HasFigures());
    EXPECT_EQ(starting.Gauge(), 0);

    const TDeliveryStatistics noSecond(40, 0, QStringLiteral("256 MBit"), QLocale::c());
    EXPECT_FALSE(noSecond.HasFigures());
    EXPECT_EQ(noSecond.Gauge(), 40);

    EXPECT_FALSE(TDeliveryStatistics(40, -1, QStringLiteral("256 MBit")).HasFigures());
}

TEST(TDeliveryStatistics, RateTextReadsAsItsValueInFiveCharacters)
{
    EXPECT_EQ(Rate(2, 100, "5333 MBit"), "1.066"); // 1.0666, cut, not rounded
    EXPECT_EQ(Rate(50, 1, "021 MBit"), "10.50"); // 10.5
    EXPECT_EQ(Rate(50, 1, "001 MBit"), "0.500"); // 0.5
    EXPECT_EQ(Rate(100, 3, "001 MBit"), "0.333"); // 0.333333333333333
    EXPECT_EQ(Rate(100, 1, "002 MBit"), "2.000"); // a whole 2, not 2000
    EXPECT_EQ(Rate(100, 1, "010 MBit"), "10.00"); // a whole 10, not 10000
    EXPECT_EQ(Rate(100, 1, "100 MBit"), "100.0");
    EXPECT_EQ(Rate(1, 1000, "001 MBit"), "0.000"); // 1E-5, not 1E-50
    EXPECT_EQ(Rate(1, 100000, "001 MBit"), "0.000"); // 1E-7
    EXPECT_EQ(Rate(100, 1, "000 MBit"), "0.000");
    EXPECT_EQ(Rate(100, 1, "123456 MBit"), "123456"); // never cut inside the whole part

    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(Rate(25, 10, "256 MBit", german), "6,400");
    EXPECT_EQ(Rate(100, 1, "002 MBit", german), "2,000");
}

TEST(TDeliveryStatistics, MegabitsAreTheWholeNumberBeforeTheUnit)
{
    EXPECT_EQ(Figures(TDeliveryStatistics(50, 10, QStringLiteral("1024 MBit"), QLocale::c())),
        TTexts({ "50 %", "0:20", "0:10", "0:10", "1024", "512", "512", "51.20" }));
    EXPECT_EQ(Figures(TDeliveryStatistics(50, 10, QStringLiteral("000 MBit"), QLocale::c())),
        TTexts({ "50 %", "0:20", "0:10", "0:10", "0", "0", "0", "0.000" }));
}

TEST(TDeliveryStatistics, ASizeWithoutNumberShowsDashesAndKeepsTheTimes)
{
    for (const QString& size : { QStringLiteral("-- MBIT"), QString(), QStringLiteral("12a MBit"),
             QStringLiteral("-12 MBit") }) {
        const TDeliveryStatistics statistics(25, 10, size, QLocale::c());
        EXPECT_TRUE(statistics.HasFigures());
        EXPECT_EQ(
            Figures(statistics), TTexts({ "25 %", "0:40", "0:30", "0:10", "--", "--", "--", "--" }))
            << "size text " << size.toStdString();
    }
}

TEST(TDeliveryStatistics, WholeResultsDoNotTruncateOneTooLow)
{
    // 1 % after 15 seconds: exactly 1500 seconds in all.
    EXPECT_EQ(Times(TDeliveryStatistics(1, 15, QStringLiteral("256 MBit"))),
        TTexts({ "25:0", "24:45", "0:15" }));

    // 84 % of 50 megabits is exactly 42.
    EXPECT_EQ(Figures(TDeliveryStatistics(84, 10, QStringLiteral("050 MBit"), QLocale::c())),
        TTexts({ "84 %", "0:11", "0:1", "0:10", "50", "8", "42", "4.200" }));
}
