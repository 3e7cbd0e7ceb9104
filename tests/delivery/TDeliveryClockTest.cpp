#include "delivery/TDeliveryClock.h"
#include "TTestClock.h"
#include "delivery/TDeliveryStatistics.h"

#include <gtest/gtest.h>

TEST(TDeliveryClock, CountsTheUpdatesThatSeeANewSecond)
{
    TTestClock clock;
    TDeliveryClock delivery(clock);
    clock.Set(14, 25, 7, 120);
    delivery.Update();
    EXPECT_EQ(delivery.ElapsedSeconds(), 1);
    EXPECT_EQ(delivery.LastSecond(), 7);
    EXPECT_EQ(delivery.Hour(), 14);
    EXPECT_EQ(delivery.Minute(), 25);
    EXPECT_EQ(delivery.Second(), 7);
    EXPECT_EQ(delivery.Millisecond(), 120);

    clock.Advance(500); // the same second
    delivery.Update();
    EXPECT_EQ(delivery.ElapsedSeconds(), 1);
    EXPECT_EQ(delivery.Millisecond(), 620);

    clock.Advance(500); // 14:25:08.120
    delivery.Update();
    EXPECT_EQ(delivery.ElapsedSeconds(), 2);

    // A gap of several seconds between two updates still counts one.
    clock.Advance(5000);
    delivery.Update();
    EXPECT_EQ(delivery.ElapsedSeconds(), 3);
    EXPECT_EQ(delivery.LastSecond(), 13);

    // Over the full minute.
    clock.Set(14, 25, 59, 900);
    delivery.Update();
    clock.Advance(200);
    delivery.Update();
    EXPECT_EQ(delivery.ElapsedSeconds(), 5);
    EXPECT_EQ(delivery.Minute(), 26);
    EXPECT_EQ(delivery.LastSecond(), 0);
}

TEST(TDeliveryClock, ResetStartsTheCountAfreshFromSecondZero)
{
    TTestClock clock;
    TDeliveryClock delivery(clock);
    clock.Set(9, 30, 40);
    delivery.Update();
    delivery.Reset();
    EXPECT_EQ(delivery.ElapsedSeconds(), 0);
    EXPECT_EQ(delivery.LastSecond(), 0);
    EXPECT_EQ(delivery.Hour(), 0);

    // The first update after the reset counts unless the clock's second is then 0.
    clock.Set(9, 31, 0, 300);
    delivery.Update();
    EXPECT_EQ(delivery.ElapsedSeconds(), 0);
    clock.Advance(1000);
    delivery.Update();
    EXPECT_EQ(delivery.ElapsedSeconds(), 1);
}

TEST(TDeliveryClock, DrivesTheFiguresOfADelivery)
{
    // The two start events carry no progress but still count the clock; then one block a
    // second.
    TTestClock clock;
    TDeliveryClock delivery(clock);
    delivery.Reset();
    clock.Set(20, 0, 3, 10);
    delivery.Update();
    EXPECT_FALSE(TDeliveryStatistics(0, delivery.ElapsedSeconds(), "256 MBit").HasFigures());
    clock.Advance(400);
    delivery.Update();
    EXPECT_FALSE(TDeliveryStatistics(0, delivery.ElapsedSeconds(), "256 MBit").HasFigures());
    EXPECT_EQ(delivery.ElapsedSeconds(), 1);

    for (int block = 0; block < 9; ++block) {
        clock.Advance(1000);
        delivery.Update();
    }
    const TDeliveryStatistics statistics(25, delivery.ElapsedSeconds(), "256 MBit", QLocale::c());
    EXPECT_EQ(statistics.EstimatedTotal().toStdString(), "0:40");
    EXPECT_EQ(statistics.TimeSoFar().toStdString(), "0:10");
    EXPECT_EQ(statistics.Rate().toStdString(), "6.400");
}
