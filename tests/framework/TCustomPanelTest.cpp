#include "TestWidgets.h"
#include "framework/TPanel.h"

#include <QImage>
#include <QPalette>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

const QColor Face(200, 200, 200);
const QColor Light(255, 255, 0);
const QColor Shadow(0, 0, 255);
const QColor Text(255, 0, 0);

class PanelTest : public testing::Test
{
protected:
    // A panel whose palette tells the bevel colours apart.
    void SetUp() override
    {
        SetBevelColours(Panel, Face, Light, Shadow);
        QPalette palette = Panel.palette();
        palette.setColor(QPalette::WindowText, Text);
        Panel.setPalette(palette);
        Panel.resize(40, 30);
    }

    QImage Snapshot() { return ::Snapshot(Panel); }

    TPanel Panel;
};

} // namespace

TEST_F(PanelTest, StartsAsARaisedPanelOfTheButtonFace)
{
    EXPECT_EQ(Panel.BevelOuter(), bvRaised);
    EXPECT_EQ(Panel.BevelInner(), bvNone);
    EXPECT_EQ(Panel.BevelWidth(), 1);
    EXPECT_EQ(Panel.BorderWidth(), 0);
    EXPECT_EQ(Panel.Color(), Face);
    EXPECT_TRUE(Panel.Caption().isEmpty());
    EXPECT_EQ(Panel.FrameSize(), 1);
}

TEST_F(PanelTest, RaisedBevelIsLightAtTopLeftAndShadowAtBottomRight)
{
    const QImage image = Snapshot();
    // The top row and the left column are light except the far corners, which belong to
    // the shadow of the right and bottom edges.
    EXPECT_EQ(At(image, 0, 0), Light);
    EXPECT_EQ(At(image, 38, 0), Light);
    EXPECT_EQ(At(image, 0, 28), Light);
    EXPECT_EQ(At(image, 39, 0), Shadow);
    EXPECT_EQ(At(image, 0, 29), Shadow);
    EXPECT_EQ(At(image, 39, 29), Shadow);
    EXPECT_EQ(At(image, 39, 15), Shadow);
    EXPECT_EQ(At(image, 20, 29), Shadow);
    EXPECT_EQ(At(image, 1, 1), Face);
    EXPECT_EQ(At(image, 38, 28), Face);
}

TEST_F(PanelTest, LoweredBevelSwapsTheColours)
{
    Panel.SetBevelOuter(bvLowered);
    const QImage image = Snapshot();
    EXPECT_EQ(At(image, 0, 0), Shadow);
    EXPECT_EQ(At(image, 20, 0), Shadow);
    EXPECT_EQ(At(image, 39, 0), Light);
    EXPECT_EQ(At(image, 39, 29), Light);
    EXPECT_EQ(At(image, 0, 29), Light);
    EXPECT_EQ(At(image, 1, 1), Face);
}

TEST_F(PanelTest, NoBevelIsAPlainFace)
{
    Panel.SetBevelOuter(bvNone);
    const QImage image = Snapshot();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(At(image, x, y), Face) << x << "," << y;
    EXPECT_EQ(Panel.FrameSize(), 0);
}

TEST_F(PanelTest, OuterBevelBorderAndInnerBevelNestInThatOrder)
{
    const QColor red(180, 20, 20);
    Panel.SetColor(red);
    Panel.SetBevelWidth(2);
    Panel.SetBorderWidth(3);
    Panel.SetBevelInner(bvLowered);
    EXPECT_EQ(Panel.FrameSize(), 7);

    const QImage image = Snapshot();
    // Walk in from the left edge at mid-height: two raised rings, three of border in the
    // panel's colour, two lowered rings, then the face.
    const QColor expected[] = { Light, Light, red, red, red, Shadow, Shadow, red };
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(At(image, x, 15), expected[x]) << x;
    // And in from the right edge.
    const QColor fromRight[] = { Shadow, Shadow, red, red, red, Light, Light, red };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(At(image, 39 - i, 15), fromRight[i]) << i;
}

TEST_F(PanelTest, ChildrenAreLaidOutInsideTheBevelsAndBorder)
{
    Panel.SetBorderWidth(4);
    Panel.SetBevelInner(bvRaised);
    auto* layout = new QVBoxLayout(&Panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* child = new QWidget;
    layout->addWidget(child);
    Panel.resize(60, 50);
    layout->activate();
    EXPECT_EQ(child->geometry(), QRect(6, 6, 48, 38));
}

TEST_F(PanelTest, CaptionIsCentred)
{
    Panel.resize(120, 40);
    Panel.SetCaption(QStringLiteral("WWW"));
    const QImage image = Snapshot();

    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 1; y < image.height() - 1; ++y)
        for (int x = 1; x < image.width() - 1; ++x)
            if (At(image, x, y) != Face) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, left) << "no caption drawn";
    // The glyphs' ink sits inside its advance, so allow a pixel or two either way.
    EXPECT_NEAR((left + right) / 2.0, 59.5, 2.0);
    EXPECT_NEAR((top + bottom) / 2.0, 19.5, 4.0);
}

TEST_F(PanelTest, PropertiesCanBeSetByNameAsWindowDeclarationsDo)
{
    EXPECT_TRUE(Panel.setProperty("BevelOuter", QVariant::fromValue(int(bvLowered))));
    EXPECT_EQ(Panel.BevelOuter(), bvLowered);
    EXPECT_TRUE(Panel.setProperty("BorderWidth", 2));
    EXPECT_TRUE(Panel.setProperty("Caption", QStringLiteral("Ready")));
    EXPECT_TRUE(Panel.setProperty("Color", QColor(Qt::green)));
    EXPECT_EQ(Panel.BorderWidth(), 2);
    EXPECT_EQ(Panel.Caption(), QStringLiteral("Ready"));
    EXPECT_EQ(Panel.Color(), QColor(Qt::green));
}
