#include "TSpeedButton.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <qdrawutil.h>

#include <algorithm>

namespace {

constexpr Qt::TextFlag CaptionFlags = Qt::TextShowMnemonic;

} // namespace

TSpeedButton::TSpeedButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void TSpeedButton::SetGlyph(const QPixmap& glyph)
{
    FGlyph = glyph;
    updateGeometry();
    update();
}

void TSpeedButton::SetFlat(bool flat)
{
    FFlat = flat;
    update();
}

void TSpeedButton::SetMargin(int margin)
{
    FMargin = margin;
    updateGeometry();
    update();
}

void TSpeedButton::SetSpacing(int spacing)
{
    FSpacing = spacing;
    updateGeometry();
    update();
}

QRect TSpeedButton::GlyphRect() const
{
    QRect glyph;
    QRect caption;
    Layout(&glyph, &caption);
    return glyph;
}

QRect TSpeedButton::CaptionRect() const
{
    QRect glyph;
    QRect caption;
    Layout(&glyph, &caption);
    return caption;
}

QSize TSpeedButton::GlyphSize() const
{
    return FGlyph.isNull() ? QSize(0, 0) : FGlyph.deviceIndependentSize().toSize();
}

int TSpeedButton::CaptionWidth() const
{
    return text().isEmpty() ? 0 : fontMetrics().size(CaptionFlags, text()).width();
}

void TSpeedButton::Layout(QRect* glyph, QRect* caption) const
{
    const QSize glyphSize = GlyphSize();
    const int captionWidth = CaptionWidth();
    const int captionHeight = fontMetrics().height();
    const bool both = glyphSize.width() > 0 && captionWidth > 0;

    int spacing = both ? FSpacing : 0;
    int left = FMargin;
    if (FSpacing < 0) {
        // The classic rule: spread picture and caption evenly over the free width.
        const int free = width() - std::max(FMargin, 0) - glyphSize.width() - captionWidth;
        spacing = both ? free / (FMargin < 0 ? 3 : 2) : 0;
        if (FMargin < 0)
            left = spacing;
    }
    if (left < 0)
        left = (width() - glyphSize.width() - spacing - captionWidth) / 2;

    const QPoint shift = isDown() ? QPoint(1, 1) : QPoint(0, 0);
    *glyph = QRect(QPoint(left, (height() - glyphSize.height()) / 2) + shift, glyphSize);
    *caption
        = QRect(QPoint(left + glyphSize.width() + spacing, (height() - captionHeight) / 2) + shift,
            QSize(captionWidth, captionHeight));
}

QSize TSpeedButton::sizeHint() const
{
    const QSize glyphSize = GlyphSize();
    const int captionWidth = CaptionWidth();
    const int spacing = glyphSize.width() > 0 && captionWidth > 0 ? std::max(FSpacing, 4) : 0;
    const int margin = std::max(FMargin, 4);
    return QSize(2 * margin + glyphSize.width() + spacing + captionWidth,
        std::max(glyphSize.height(), fontMetrics().height()) + 6);
}

QSize TSpeedButton::minimumSizeHint() const
{
    return QSize(0, 0);
}

void TSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colours = palette();

    if (!FFlat)
        painter.fillRect(rect(), colours.button());
    if (isDown() || isChecked())
        qDrawShadePanel(&painter, rect(), colours, true, 1);
    else if (!FFlat || (FHot && isEnabled()))
        qDrawShadePanel(&painter, rect(), colours, false, 1);

    QRect glyph;
    QRect caption;
    Layout(&glyph, &caption);

    if (!FGlyph.isNull()) {
        if (isEnabled()) {
            painter.drawPixmap(glyph, FGlyph);
        } else {
            QStyleOption option;
            option.initFrom(this);
            painter.drawPixmap(
                glyph, style()->generatedIconPixmap(QIcon::Disabled, FGlyph, &option));
        }
    }
    // A window that puts the button in its Tab order needs the focus to show.
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(2, 2, -2, -2);
        focus.backgroundColor = colours.color(QPalette::Button);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
    if (!caption.isEmpty()) {
        const int flags = CaptionFlags | Qt::AlignLeft | Qt::AlignVCenter;
        if (isEnabled()) {
            painter.setPen(colours.color(QPalette::Active, QPalette::ButtonText));
            painter.drawText(caption, flags, text());
        } else {
            // Engraved, as the classic controls draw a disabled caption.
            painter.setPen(colours.color(QPalette::Light));
            painter.drawText(caption.translated(1, 1), flags, text());
            painter.setPen(colours.color(QPalette::Disabled, QPalette::ButtonText));
            painter.drawText(caption, flags, text());
        }
    }
}

void TSpeedButton::keyPressEvent(QKeyEvent* event)
{
    // A button with the focus answers Enter as well as Space, as desktop buttons do.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (isEnabled())
            click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void TSpeedButton::enterEvent(QEnterEvent* event)
{
    FHot = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TSpeedButton::leaveEvent(QEvent* event)
{
    FHot = false;
    update();
    QAbstractButton::leaveEvent(event);
}
