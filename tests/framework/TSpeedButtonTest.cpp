#include "framework/TSpeedButton.h"
#include "QtPrinters.h"
#include "framework/FrameworkPictures.h"
#include "framework/TStatusBar.h"

#include <QDir>
#include <QImage>
#include <QSet>
#include <QSizeGrip>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QPixmap Solid(QSize size, QColor colour)
{
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return pixmap;
}

// The leftmost column in which the picture's colour appears.
int LeftmostOf(const QImage& image, QColor colour)
{
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(x, y) == colour)
                return x;
    return -1;
}

} // namespace

TEST(TSpeedButton, PictureAtTheMarginThenTheCaption)
{
    TSpeedButton button;
    button.resize(130, 15);
    button.setText("Filename");
    button.SetGlyph(Solid(QSize(9, 13), Qt::red));
    button.SetMargin(5);

    EXPECT_EQ(button.GlyphRect(), QRect(5, 1, 9, 13));
    EXPECT_EQ(button.CaptionRect().left(), 5 + 9 + 4);
    EXPECT_EQ(LeftmostOf(button.grab().toImage(), Qt::red), 5);

    // Centred as a whole when there is no margin.
    button.SetMargin(-1);
    const int block = 9 + 4 + button.CaptionRect().width();
    EXPECT_EQ(button.GlyphRect().left(), (130 - block) / 2);
    EXPECT_EQ(LeftmostOf(button.grab().toImage(), Qt::red), (130 - block) / 2);

    // Pressed, the contents move down and right by one pixel.
    button.setDown(true);
    EXPECT_EQ(button.GlyphRect().topLeft(), QPoint((130 - block) / 2 + 1, 2));
}

TEST(TSpeedButton, FlatShowsNoEdgeUntilHoveredAndGreysWhenDisabled)
{
    QWidget parent;
    parent.resize(100, 40);
    auto* button = new TSpeedButton(&parent);
    button->setGeometry(10, 10, 73, 25);
    button->setText("Deliver");
    button->SetGlyph(Solid(QSize(16, 16), Qt::red));
    parent.show();

    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    const QImage flat = button->grab().toImage();
    EXPECT_EQ(flat.pixelColor(0, 0), flat.pixelColor(1, 12)) << "no edge";

    button->SetFlat(false);
    const QImage raised = button->grab().toImage();
    EXPECT_NE(raised.pixelColor(0, 12), raised.pixelColor(72, 12)) << "light and dark edges";

    button->setEnabled(false);
    const QImage disabled = button->grab().toImage();
    EXPECT_EQ(LeftmostOf(disabled, Qt::red), -1) << "the picture is greyed";
}

TEST(TSpeedButton, ClickingEmitsClicked)
{
    TSpeedButton button;
    button.resize(60, 22);
    int clicks = 0;
    QObject::connect(&button, &TSpeedButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST(FrameworkPictures, AreSixteenBySixteenInFewColours)
{
    InitFrameworkPictures();
    const QStringList names = QDir(":/images").entryList({ "*.png" });
    EXPECT_GE(names.size(), 11);
    for (const char* name : { "deliver", "rename", "refresh", "preferences", "about", "quit",
             "folder-open", "folder-closed", "drive-fixed", "drive-removable", "drive-home" }) {
        const QImage image = FrameworkPicture(QString::fromUtf8(name)).toImage();
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(image.size(), QSize(16, 16)) << name;
        QSet<QRgb> colours;
        int transparent = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                colours.insert(image.pixel(x, y));
                transparent += qAlpha(image.pixel(x, y)) == 0;
            }
        EXPECT_LE(colours.size(), 16) << name;
        EXPECT_GE(colours.size(), 3) << name;
        EXPECT_GT(transparent, 0) << name << ": the button face shows through";
    }
    EXPECT_TRUE(FrameworkPicture("no-such-picture").isNull());
}

TEST(TStatusBar, ShowsASizeGripInAResizableWindow)
{
    QWidget window;
    window.resize(300, 200);
    auto* bar = new TStatusBar(&window);
    bar->setGeometry(280, 182, 20, 18);
    window.show();
    const QSizeGrip* grip = bar->findChild<QSizeGrip*>();
    ASSERT_NE(grip, nullptr);
    EXPECT_TRUE(grip->isVisible());
}
