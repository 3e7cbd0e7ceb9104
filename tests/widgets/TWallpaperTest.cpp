#include "widgets/TWallpaper.h"
#include "TestWidgets.h"
#include "framework/TPicture.h"

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

const QColor Face(200, 200, 200);
const QColor Light(255, 255, 0);
const QColor Shadow(0, 0, 255);

// A 128 x 128 tile whose every pixel tells where in the tile it lies: red is twice x,
// green twice y, blue a fixed mark that no panel colour uses.
QPixmap PositionTile()
{
    QImage tile(128, 128, QImage::Format_RGB32);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            tile.setPixel(x, y, qRgb(2 * x, 2 * y, 77));
    return QPixmap::fromImage(tile);
}

bool IsTilePixel(QRgb pixel)
{
    return qBlue(pixel) == 77;
}

// The origin of the tile that painted the panel's pixel (x, y).
QPoint TileOrigin(const QImage& image, int x, int y)
{
    const QRgb pixel = image.pixel(x, y);
    return QPoint(x - qRed(pixel) / 2, y - qGreen(pixel) / 2);
}

// A paint device that records where pixmaps are drawn instead of drawing them, so tiles
// that fall wholly outside the visible area are counted too.
class TTileRecorder : public QPaintDevice
{
public:
    explicit TTileRecorder(QSize size)
        : FSize(size)
        , FEngine(this)
    {
    }

    QPaintEngine* paintEngine() const override { return &FEngine; }
    const std::vector<QPoint>& Tiles() const { return FEngine.Tiles; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return FSize.width();
        case PdmHeight:
            return FSize.height();
        case PdmWidthMM:
        case PdmHeightMM:
            return FSize.width() * 254 / 960;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 1 << 24;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    class TEngine : public QPaintEngine
    {
    public:
        explicit TEngine(TTileRecorder*)
            : QPaintEngine(QPaintEngine::AllFeatures)
        {
        }
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& state) override
        {
            if (state.state() & QPaintEngine::DirtyTransform)
                FTransform = state.transform();
        }
        void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override
        {
            Tiles.push_back(FTransform.map(r.topLeft()).toPoint());
        }
        void drawRects(const QRect*, int) override { }
        void drawRects(const QRectF*, int) override { }
        void drawLines(const QLine*, int) override { }
        void drawLines(const QLineF*, int) override { }
        void drawPath(const QPainterPath&) override { }
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override { }
        void drawPolygon(const QPoint*, int, PolygonDrawMode) override { }
        void drawTextItem(const QPointF&, const QTextItem&) override { }
        void drawImage(
            const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override
        {
        }
        Type type() const override { return QPaintEngine::User; }

        std::vector<QPoint> Tiles;

    private:
        QTransform FTransform;
    };

    QSize FSize;
    mutable TEngine FEngine;
};

class WallpaperTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SetBevelColours(Panel, Face, Light, Shadow);
        Tile.SetGraphic(PositionTile());
    }

    QImage Snapshot() { return ::Snapshot(Panel); }

    std::vector<QPoint> RecordTiles()
    {
        TTileRecorder recorder(Panel.size());
        Panel.render(&recorder);
        return recorder.Tiles();
    }

    // Every distinct tile origin seen in the panel's pixels.
    std::set<std::pair<int, int>> VisibleOrigins(const QImage& image)
    {
        std::set<std::pair<int, int>> origins;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QPoint origin = TileOrigin(image, x, y);
                origins.insert({ origin.x(), origin.y() });
            }
        return origins;
    }

    TWallpaper Panel;
    TPicture Tile;
};

using Origins = std::set<std::pair<int, int>>;

} // namespace

TEST_F(WallpaperTest, NarrowStripGetsOneColumnOfThreeTiles)
{
    Panel.SetBevelOuter(bvNone);
    Panel.resize(21, 293);
    Panel.SetWallpaper(Tile);

    EXPECT_EQ(RecordTiles(), (std::vector<QPoint> { { 0, 0 }, { 0, 128 }, { 0, 256 } }));
    const QImage image = Snapshot();
    EXPECT_EQ(VisibleOrigins(image), (Origins { { 0, 0 }, { 0, 128 }, { 0, 256 } }));
    EXPECT_EQ(TileOrigin(image, 20, 292), QPoint(0, 256));
}

TEST_F(WallpaperTest, ExactFitDrawsAnExtraColumnAndRowColumnByColumn)
{
    Panel.SetBevelOuter(bvNone);
    Panel.resize(256, 128);
    Panel.SetWallpaper(Tile);

    const std::vector<QPoint> expected { { 0, 0 }, { 0, 128 }, { 128, 0 }, { 128, 128 }, { 256, 0 },
        { 256, 128 } };
    EXPECT_EQ(RecordTiles(), expected);
    EXPECT_EQ(VisibleOrigins(Snapshot()), (Origins { { 0, 0 }, { 128, 0 } }));
}

TEST_F(WallpaperTest, DefaultBevelStaysVisibleAroundTilesStartingInsideIt)
{
    Panel.resize(300, 140);
    Panel.SetWallpaper(Tile);
    ASSERT_EQ(Panel.FrameSize(), 1);

    EXPECT_EQ(RecordTiles().front(), QPoint(1, 1));
    const QImage image = Snapshot();
    EXPECT_EQ(TileOrigin(image, 1, 1), QPoint(1, 1));
    EXPECT_EQ(TileOrigin(image, 298, 138), QPoint(257, 129));
    EXPECT_EQ(image.pixelColor(0, 0), Light);
    EXPECT_EQ(image.pixelColor(150, 0), Light);
    EXPECT_EQ(image.pixelColor(299, 70), Shadow);
    EXPECT_EQ(image.pixelColor(150, 139), Shadow);
}

TEST_F(WallpaperTest, WideFramesClipTilesToExactlyTheInnerRectangle)
{
    const QColor border(90, 30, 30);
    Panel.SetColor(border);
    Panel.SetBevelWidth(2);
    Panel.SetBorderWidth(3);
    Panel.SetBevelInner(bvRaised);
    Panel.resize(200, 150);
    Panel.SetWallpaper(Tile);
    const int frame = Panel.FrameSize();
    ASSERT_EQ(frame, 7);

    const QImage image = Snapshot();
    EXPECT_EQ(TileOrigin(image, frame, frame), QPoint(frame, frame));
    // The last column and row inside the frame carry tile pixels ...
    EXPECT_TRUE(IsTilePixel(image.pixel(200 - frame - 1, 75)));
    EXPECT_TRUE(IsTilePixel(image.pixel(100, 150 - frame - 1)));
    // ... and nothing of a tile reaches the frame itself.
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool inner = x >= frame && x < 200 - frame && y >= frame && y < 150 - frame;
            ASSERT_EQ(IsTilePixel(image.pixel(x, y)), inner) << x << "," << y;
        }
    EXPECT_EQ(image.pixelColor(3, 75), border);
}

TEST_F(WallpaperTest, EmptyPictureLeavesAPlainPanelWithItsCaption)
{
    Panel.SetBevelOuter(bvNone);
    Panel.resize(120, 40);
    Panel.SetCaption(QStringLiteral("WWW"));
    Panel.SetWallpaper(Tile);
    ASSERT_TRUE(IsTilePixel(Snapshot().pixel(60, 20)));

    Panel.SetWallpaper(TPicture());
    const QImage image = Snapshot();
    int faceCount = 0, captionCount = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            ASSERT_FALSE(IsTilePixel(image.pixel(x, y)));
            if (image.pixelColor(x, y) == Face)
                ++faceCount;
            else
                ++captionCount;
        }
    EXPECT_GT(faceCount, 4000);
    EXPECT_GT(captionCount, 0);
}

TEST_F(WallpaperTest, PanelNarrowerThanItsFrameShowsNoTile)
{
    Panel.resize(2, 40);
    Panel.SetWallpaper(Tile);
    const QImage image = Snapshot();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_FALSE(IsTilePixel(image.pixel(x, y))) << x << "," << y;
}

TEST_F(WallpaperTest, PictureChangesRepaintAtTheNextPaintCycleNotAtOnce)
{
    Panel.SetBevelOuter(bvNone);
    Panel.resize(64, 64);
    Panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Panel));

    int paints = 0;
    class TPaintCounter : public QObject
    {
    public:
        explicit TPaintCounter(int& count)
            : FCount(count)
        {
        }
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                ++FCount;
            return false;
        }

    private:
        int& FCount;
    } counter(paints);
    Panel.installEventFilter(&counter);

    Panel.SetWallpaper(Tile);
    EXPECT_EQ(paints, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return paints > 0; }));

    // A graphic replaced inside the panel's own picture is noticed as well.
    const int before = paints;
    Panel.Wallpaper()->Clear();
    EXPECT_EQ(paints, before);
    EXPECT_TRUE(QTest::qWaitFor([&] { return paints > before; }));
    Panel.removeEventFilter(&counter);
}

TEST_F(WallpaperTest, CallerKeepsItsOwnPicture)
{
    Panel.SetWallpaper(Tile);
    Tile.Clear();
    EXPECT_FALSE(Panel.Wallpaper()->Empty());
    EXPECT_EQ(Panel.Wallpaper()->Width(), 128);
}

// A panel built on the wallpaper that paints after it: whatever it draws must not be
// confined to the tiles' clip.
class TOverpaintedWallpaper : public TWallpaper
{
protected:
    void Paint(QPainter& canvas) override
    {
        TWallpaper::Paint(canvas);
        canvas.fillRect(rect(), Qt::green);
    }
};

TEST_F(WallpaperTest, PainterStateIsRestoredAfterTheTiles)
{
    TOverpaintedWallpaper panel;
    panel.resize(50, 50);
    panel.SetBorderWidth(5);
    panel.SetWallpaper(Tile);
    const QImage image = ::Snapshot(panel);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(49, 49), QColor(Qt::green));
}

TEST_F(WallpaperTest, WindowDeclarationsCanSetThePictureByName)
{
    EXPECT_TRUE(Panel.setProperty("Wallpaper", PositionTile()));
    EXPECT_EQ(Panel.Wallpaper()->Width(), 128);
}

TEST(StoneTexture, IsA128PixelGreyTextureInTheLibrarysResources)
{
    TWallpaper panel;
    const QImage stone(QStringLiteral(":/images/stone.png"));
    ASSERT_FALSE(stone.isNull());
    EXPECT_EQ(stone.size(), QSize(128, 128));
    std::set<int> levels;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const QRgb pixel = stone.pixel(x, y);
            ASSERT_TRUE(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel));
            levels.insert(qRed(pixel));
        }
    EXPECT_GT(levels.size(), 64u);
}
