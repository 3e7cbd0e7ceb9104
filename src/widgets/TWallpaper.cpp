#include "TWallpaper.h"

#include "framework/TPicture.h"

#include <QPainter>

#include <mutex>

namespace {

// Restores the painter's state however the drawing in between ends.
class TPainterStateSaver
{
public:
    explicit TPainterStateSaver(QPainter& painter)
        : FPainter(painter)
    {
        FPainter.save();
    }
    ~TPainterStateSaver() { FPainter.restore(); }
    TPainterStateSaver(const TPainterStateSaver&) = delete;
    TPainterStateSaver& operator=(const TPainterStateSaver&) = delete;

private:
    QPainter& FPainter;
};

// The clip for the tiles inside a frame of `frame` pixels. The classic computation took
// the inner rectangle's width and height plus one as its right and bottom coordinates:
// for a frame of 0 or 1 pixels that is (visibly) the inner rectangle, for wider frames
// it stopped short of it and left a strip of background. Wider frames clip to exactly
// the inner rectangle instead.
QRect TileClip(const QRect& inner, int frame)
{
    if (frame >= 2)
        return inner;
    const int right = inner.width() + 1;
    const int bottom = inner.height() + 1;
    return QRect(QPoint(inner.left(), inner.top()), QPoint(right - 1, bottom - 1));
}

} // namespace

// Outside any namespace: the resource registration names a function of the global one.
static void RegisterResources()
{
    // The stone texture and the other pictures of the controls live in this library's
    // resources; a static library has to register them itself.
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(widgets); });
}

TWallpaper::TWallpaper(QWidget* parent)
    : TCustomPanel(parent)
    , FWallpaper(std::make_unique<TPicture>())
{
    RegisterResources();
    connect(FWallpaper.get(), &TPicture::Changed, this, qOverload<>(&QWidget::update));
}

TWallpaper::~TWallpaper()
{
    // Cut the notification first, so freeing the picture cannot reach a half-destroyed panel.
    disconnect(FWallpaper.get(), nullptr, this, nullptr);
}

void TWallpaper::SetWallpaper(const TPicture& picture)
{
    FWallpaper->Assign(picture);
}

QPixmap TWallpaper::WallpaperGraphic() const
{
    return FWallpaper->Graphic();
}

void TWallpaper::SetWallpaperGraphic(const QPixmap& graphic)
{
    FWallpaper->SetGraphic(graphic);
}

void TWallpaper::Paint(QPainter& canvas)
{
    TCustomPanel::Paint(canvas);

    const QPixmap& graphic = FWallpaper->Graphic();
    const int pw = graphic.width();
    const int ph = graphic.height();
    if (graphic.isNull() || pw <= 0 || ph <= 0)
        return;

    const int frame = FrameSize();
    const QRect inner = rect().adjusted(frame, frame, -frame, -frame);
    const TPainterStateSaver saver(canvas);
    canvas.setClipRect(TileClip(inner, frame), Qt::IntersectClip);

    // One column and one row more than fit whole, so the cut-off remainder is covered too.
    const int columns = (width() - 2 * frame) / pw;
    const int rows = (height() - 2 * frame) / ph;
    for (int c = 0; c <= columns; ++c)
        for (int r = 0; r <= rows; ++r)
            canvas.drawPixmap(inner.left() + c * pw, inner.top() + r * ph, graphic);
}
