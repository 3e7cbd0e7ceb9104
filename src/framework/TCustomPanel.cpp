#include "TCustomPanel.h"

#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace {

// Draws `width` rings inward from `rect`, each with its top and left edges in `topColor`
// and its right and bottom edges in `bottomColor`, and returns what lies inside them. The
// bottom colour owns the top-right and bottom-left corner pixels.
QRect Frame3D(
    QPainter& canvas, QRect rect, const QColor& topColor, const QColor& bottomColor, int width)
{
    for (; width > 0 && !rect.isEmpty(); --width) {
        const int left = rect.left(), top = rect.top(), right = rect.right(),
                  bottom = rect.bottom();
        canvas.fillRect(QRect(left, top, 1, bottom - top), topColor);
        canvas.fillRect(QRect(left, top, right - left, 1), topColor);
        canvas.fillRect(QRect(right, top, 1, bottom - top + 1), bottomColor);
        canvas.fillRect(QRect(left, bottom, right - left + 1, 1), bottomColor);
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

} // namespace

TCustomPanel::TCustomPanel(QWidget* parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    FrameChanged();
}

QColor TCustomPanel::Color() const
{
    return FColor.isValid() ? FColor : palette().color(QPalette::Button);
}

void TCustomPanel::SetColor(const QColor& color)
{
    FColor = color;
    update();
}

void TCustomPanel::SetCaption(const QString& caption)
{
    if (caption == FCaption)
        return;
    FCaption = caption;
    update();
}

void TCustomPanel::SetBevelInner(TPanelBevel bevel)
{
    FBevelInner = bevel;
    FrameChanged();
}

void TCustomPanel::SetBevelOuter(TPanelBevel bevel)
{
    FBevelOuter = bevel;
    FrameChanged();
}

void TCustomPanel::SetBevelWidth(int width)
{
    FBevelWidth = std::max(width, 1);
    FrameChanged();
}

void TCustomPanel::SetBorderWidth(int width)
{
    FBorderWidth = std::max(width, 0);
    FrameChanged();
}

int TCustomPanel::FrameSize() const
{
    int size = FBorderWidth;
    if (FBevelOuter != bvNone)
        size += FBevelWidth;
    if (FBevelInner != bvNone)
        size += FBevelWidth;
    return size;
}

void TCustomPanel::FrameChanged()
{
    const int size = FrameSize();
    setContentsMargins(size, size, size, size);
    update();
}

void TCustomPanel::paintEvent(QPaintEvent*)
{
    QPainter canvas(this);
    Paint(canvas);
}

void TCustomPanel::Paint(QPainter& canvas)
{
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor face = Color();

    QRect rect = this->rect();
    if (FBevelOuter != bvNone) {
        const bool lowered = FBevelOuter == bvLowered;
        rect = Frame3D(
            canvas, rect, lowered ? shadow : light, lowered ? light : shadow, FBevelWidth);
    }
    rect = Frame3D(canvas, rect, face, face, FBorderWidth);
    if (FBevelInner != bvNone) {
        const bool lowered = FBevelInner == bvLowered;
        rect = Frame3D(
            canvas, rect, lowered ? shadow : light, lowered ? light : shadow, FBevelWidth);
    }
    canvas.fillRect(rect, face);

    if (FCaption.isEmpty() || rect.isEmpty())
        return;
    // One text line centred in what the bevels leave, its cell as high as the font's line.
    const int lineHeight = fontMetrics().height();
    const int top = (rect.top() + rect.bottom() + 1 - lineHeight) / 2;
    canvas.setFont(font());
    canvas.setPen(palette().color(QPalette::WindowText));
    canvas.drawText(QRect(rect.left(), top, rect.width(), lineHeight),
        Qt::AlignHCenter | Qt::AlignTop | Qt::TextExpandTabs, FCaption);
}
