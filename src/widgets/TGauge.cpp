#include "TGauge.h"

#include "framework/EInvalidOperation.h"
#include "widgets/ShareOfLength.h"
#include "widgets/TBltBitmap.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

// Fills the image with black, as the raster operation BLACKNESS would.
void Blacken(QImage& image)
{
    image.fill(Qt::black);
}

// Combines `source` into `target` pixel by pixel with exclusive-or.
void XorOnto(QImage& target, const QImage& source)
{
    QPainter canvas(&target);
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    canvas.drawImage(0, 0, source);
}

// Rectangles of the classic drawing calls exclude their right and bottom coordinates.
QRect FromEdges(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

// The rectangle that an aliased one-pixel outline of an ellipse touches when the classic
// bounds (right and bottom excluded) are given.
QRectF EllipseBounds(int left, int top, int right, int bottom)
{
    return QRectF(left, top, right - left - 1, bottom - top - 1);
}

// The angle, in degrees counter-clockwise from three o'clock, of the radial from the
// ellipse's centre through `point`, measured the way arcs are parameterised.
qreal RadialAngle(const QRectF& ellipse, const QPointF& point)
{
    const QPointF centre = ellipse.center();
    const qreal rx = std::max(ellipse.width() / 2, qreal(0.5));
    const qreal ry = std::max(ellipse.height() / 2, qreal(0.5));
    return std::atan2(-(point.y() - centre.y()) / ry, (point.x() - centre.x()) / rx) * 180
        / std::numbers::pi;
}

// A pie of the ellipse from the radial through `start` counter-clockwise to the radial
// through `end`; equal radials give the whole ellipse.
void DrawPie(QPainter& canvas, const QRectF& ellipse, QPointF start, QPointF end)
{
    const qreal from = RadialAngle(ellipse, start);
    qreal span = RadialAngle(ellipse, end) - from;
    while (span <= 0)
        span += 360;
    QPainterPath path(ellipse.center());
    path.arcTo(ellipse, from, span);
    path.closeSubpath();
    canvas.drawPath(path);
}

// A one-pixel line that, like the classic pen, leaves out its end point.
void DrawLine(QImage& image, QPoint from, QPoint to, const QColor& color)
{
    const QRgb rgb = color.rgb();
    const int dx = std::abs(to.x() - from.x()), sx = from.x() < to.x() ? 1 : -1;
    const int dy = -std::abs(to.y() - from.y()), sy = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    QPoint p = from;
    while (p != to) {
        if (image.rect().contains(p))
            image.setPixel(p, rgb);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            p.rx() += sx;
        }
        if (twice <= dx) {
            error += dx;
            p.ry() += sy;
        }
    }
}

// Rounds to the nearest integer, halves to even.
int RoundHalfEven(long double value)
{
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

TGauge::TGauge(QWidget* parent)
    : QWidget(parent)
{
    // Every pixel is painted, so nothing beneath needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
}

void TGauge::SetKind(TGaugeKind kind)
{
    if (kind == FKind)
        return;
    FKind = kind;
    repaint();
}

void TGauge::SetShowText(bool showText)
{
    if (showText == FShowText)
        return;
    FShowText = showText;
    repaint();
}

void TGauge::SetBorderStyle(TBorderStyle style)
{
    if (style == FBorderStyle)
        return;
    FBorderStyle = style;
    repaint();
}

void TGauge::SetForeColor(const QColor& color)
{
    if (color == FForeColor)
        return;
    FForeColor = color;
    repaint();
}

void TGauge::SetBackColor(const QColor& color)
{
    if (color == FBackColor)
        return;
    FBackColor = color;
    repaint();
}

QColor TGauge::Color() const
{
    if (FColor.isValid())
        return FColor;
    if (parentWidget() != nullptr) {
        const QVariant parentColor = parentWidget()->property("Color");
        if (parentColor.canConvert<QColor>() && parentColor.value<QColor>().isValid())
            return parentColor.value<QColor>();
    }
    return palette().color(QPalette::Window);
}

void TGauge::SetColor(const QColor& color)
{
    FColor = color;
    update();
}

void TGauge::SetMinValue(int value)
{
    if (value == FMinValue)
        return;
    if (value > FMaxValue && !FLoading)
        // The bound is formed in 64 bits: at the lowest maximum it lies below 32 bits.
        throw EInvalidOperation(QStringLiteral("Value must be between %1 and %2")
                                    .arg(-2147483647)
                                    .arg(std::int64_t(FMaxValue) - 1));
    FMinValue = value;
    if (FProgress < value)
        FProgress = value;
    repaint();
}

void TGauge::SetMaxValue(int value)
{
    if (value == FMaxValue)
        return;
    if (value < FMinValue && !FLoading)
        throw EInvalidOperation(QStringLiteral("Value must be between %1 and %2")
                                    .arg(std::int64_t(FMinValue) + 1)
                                    .arg(2147483647));
    FMaxValue = value;
    if (FProgress > value)
        FProgress = value;
    repaint();
}

void TGauge::SetProgress(int value)
{
    const std::int64_t before = Percent();
    if (value < FMinValue)
        value = FMinValue;
    else if (value > FMaxValue)
        value = FMaxValue;
    if (value == FProgress)
        return;
    FProgress = value;
    if (Percent() != before)
        repaint();
}

std::int64_t TGauge::Percent() const
{
    // Differences in 64 bits: the full 32-bit range is wider than 32 bits can hold.
    const std::int64_t range = std::int64_t(FMaxValue) - FMinValue;
    if (range == 0)
        return 0;
    return (std::int64_t(FProgress) - FMinValue) * 100 / range;
}

void TGauge::SetLoading(bool loading)
{
    FLoading = loading;
    if (!loading)
        update();
}

QRect TGauge::PaintRect() const
{
    QRect paintRect = rect();
    if (FBorderStyle == bsSingle)
        paintRect.adjust(1, 1, -1, -1);
    return paintRect;
}

QImage TGauge::PaintImage() const
{
    QImage image(width(), height(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    Blacken(image);
    const QRect paintRect = PaintRect();

    TBltBitmap overlay;
    overlay.MakeLike(image);
    Blacken(overlay);
    switch (FKind) {
    case gkText:
        PaintBackground(overlay, paintRect);
        break;
    case gkHorizontalBar:
    case gkVerticalBar:
        PaintAsBar(overlay, paintRect);
        break;
    case gkPie:
        PaintAsPie(overlay, paintRect);
        break;
    case gkNeedle:
        PaintAsNeedle(overlay, paintRect);
        break;
    }
    // The image is black, so this makes it the overlay; what lies outside the paint
    // rectangle stays black and is the frame.
    XorOnto(image, overlay);

    if (FShowText)
        PaintAsText(image, paintRect);
    return image;
}

void TGauge::paintEvent(QPaintEvent*)
{
    const QImage image = PaintImage();
    QPainter canvas(this);
    canvas.setCompositionMode(QPainter::CompositionMode_Source);
    canvas.drawImage(0, 0, image);
}

void TGauge::PaintBackground(QImage& image, const QRect& paintRect) const
{
    QPainter canvas(&image);
    canvas.fillRect(paintRect, FBackColor);
}

void TGauge::PaintAsBar(QImage& image, const QRect& paintRect) const
{
    // The classic paint rectangle excludes its right and bottom edges, so these are one
    // more than its size.
    const int w = paintRect.width() + 1;
    const int h = paintRect.height() + 1;
    QPainter canvas(&image);
    canvas.fillRect(paintRect, FBackColor);

    // The lengths below serve as right and bottom coordinates, not as sizes added to the
    // paint rectangle's corner: the bars have always been drawn that way.
    if (FKind == gkHorizontalBar) {
        std::int64_t n = ShareOfLength(Percent(), w);
        if (n > w)
            n = w;
        if (n > 0)
            canvas.fillRect(FromEdges(paintRect.left(), paintRect.top(), int(n), h), FForeColor);
    } else {
        std::int64_t n = ShareOfLength(Percent(), h);
        if (n >= h)
            n = h - 1;
        const std::int64_t top = h - n;
        if (top < h)
            canvas.fillRect(FromEdges(paintRect.left(), int(top), w, h), FForeColor);
    }
}

void TGauge::PaintAsPie(QImage& image, const QRect& paintRect) const
{
    const int left = paintRect.left(), top = paintRect.top();
    int w = paintRect.right() + 1 - left;
    int h = paintRect.bottom() + 1 - top;
    if (FBorderStyle == bsSingle) {
        ++w;
        ++h;
    }
    QPainter canvas(&image);
    canvas.fillRect(paintRect, Color());
    canvas.setPen(QPen(FForeColor, 0));
    canvas.setBrush(FBackColor);
    const QRectF ellipse = EllipseBounds(left, top, w, h);
    canvas.drawEllipse(ellipse);

    const std::int64_t percent = Percent();
    if (percent <= 0)
        return;
    canvas.setBrush(FForeColor);
    const int mx = w / 2;
    const int my = h / 2;
    const double angle
        = ((static_cast<long double>(percent) * 0.02L) + 0.5L) * std::numbers::pi_v<long double>;
    const QPoint start(RoundHalfEven(mx * (1 - std::cos(static_cast<long double>(angle)))),
        RoundHalfEven(my * (1 - std::sin(static_cast<long double>(angle)))));
    DrawPie(canvas, ellipse, start, QPoint(mx, 0));
}

void TGauge::PaintAsNeedle(QImage& image, const QRect& paintRect) const
{
    const int left = paintRect.left(), top = paintRect.top();
    const int bottom = paintRect.bottom() + 1;
    int w = paintRect.right() + 1 - left;
    int h = bottom - top;
    if (FBorderStyle == bsSingle) {
        ++w;
        ++h;
    }
    {
        QPainter canvas(&image);
        canvas.fillRect(paintRect, Color());
        canvas.setPen(QPen(FForeColor, 0));
        canvas.setBrush(FBackColor);
        // The upper half of an ellipse twice as tall as the paint rectangle: the dial.
        const QRectF dial = EllipseBounds(left, top, w, 2 * h - 1);
        DrawPie(canvas, dial, QPointF(left + w, bottom - 1), QPointF(left, bottom - 1));
        canvas.fillRect(FromEdges(left, bottom, left + w, bottom + 1), FForeColor);
    }

    const std::int64_t percent = Percent();
    if (percent <= 0)
        return;
    // The needle's pivot is the middle of the whole control, not of the paint rectangle.
    const int half = width() / 2;
    const double angle
        = (static_cast<long double>(percent) * 0.01L) * std::numbers::pi_v<long double>;
    const QPoint tip(RoundHalfEven(half * (1 - std::cos(static_cast<long double>(angle)))),
        RoundHalfEven((bottom - 1) * (1 - std::sin(static_cast<long double>(angle)))));
    DrawLine(image, QPoint(half, bottom - 1), tip, FForeColor);
}

void TGauge::PaintAsText(QImage& image, const QRect& paintRect) const
{
    TBltBitmap textImage;
    textImage.MakeLike(image);
    Blacken(textImage);

    const QString text = QStringLiteral("%1%").arg(Percent());
    QFont textFont = font();
    // Glyph pixels must be pure white, or the exclusive-or would tint instead of invert.
    textFont.setStyleStrategy(QFont::NoAntialias);
    {
        QPainter canvas(&textImage);
        canvas.setFont(textFont);
        canvas.setPen(Qt::white);
        canvas.setBrush(Qt::NoBrush);
        const QFontMetrics metrics = canvas.fontMetrics();
        const int textWidth = metrics.horizontalAdvance(text);
        const int textHeight = metrics.height();
        // Centred in the paint rectangle's size but measured from the image's origin, as
        // the gauge has always placed it.
        const int x = (paintRect.width() + 1 - textWidth) / 2;
        const int y = (paintRect.height() + 1 - textHeight) / 2;
        canvas.setClipRect(paintRect);
        canvas.drawText(QRect(x, y, textWidth, textHeight), Qt::AlignLeft | Qt::AlignTop, text);
    }
    XorOnto(image, textImage);
}
