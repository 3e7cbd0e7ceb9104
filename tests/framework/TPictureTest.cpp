#include "framework/TPicture.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

class PictureTest : public testing::Test
{
protected:
};

TEST_F(PictureTest, EveryChangeOfTheGraphicIsAnnounced)
{
    TPicture picture;
    QSignalSpy changes(&picture, &TPicture::Changed);
    EXPECT_TRUE(picture.Empty());

    QPixmap graphic(16, 8);
    graphic.fill(Qt::red);
    picture.SetGraphic(graphic);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(picture.Width(), 16);
    EXPECT_EQ(picture.Height(), 8);

    picture.Clear();
    EXPECT_EQ(changes.count(), 2);
    EXPECT_TRUE(picture.Empty());
    EXPECT_EQ(picture.Width(), 0);
}

TEST_F(PictureTest, AssignCopiesAndLeavesTheSourceItsOwn)
{
    TPicture source;
    QPixmap graphic(4, 4);
    graphic.fill(Qt::blue);
    source.SetGraphic(graphic);

    TPicture copy;
    QSignalSpy changes(&copy, &TPicture::Changed);
    copy.Assign(source);
    EXPECT_EQ(changes.count(), 1);
    source.Clear();
    EXPECT_FALSE(copy.Empty());
    EXPECT_EQ(copy.Graphic().toImage().pixelColor(0, 0), QColor(Qt::blue));
}
