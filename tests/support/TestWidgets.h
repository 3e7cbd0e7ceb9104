#pragma once

#include <QColor>
#include <QImage>
#include <QMargins>
#include <QPalette>
#include <QRect>
#include <QWidget>

// Placing and picturing widgets in tests. Link Qt6::Widgets to use these.

// Gives a shown window the outer bounds asked for, whatever frame the platform draws.
inline void PlaceFrame(QWidget& window, const QRect& frame)
{
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    window.move(frame.topLeft());
    window.resize(frame.width() - (outer.width() - inner.width()),
        frame.height() - (outer.height() - inner.height()));
}

// The margins of the frame the platform draws around a shown window.
inline QMargins Frame(const QWidget& window)
{
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return { inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
        outer.bottom() - inner.bottom() };
}

// What the widget paints, over magenta so that a pixel it leaves alone shows.
inline QImage Snapshot(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

inline QColor At(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

// Gives a bevelled widget a palette whose face, light and shadow colours tell them apart.
inline void SetBevelColours(
    QWidget& widget, const QColor& face, const QColor& light, const QColor& shadow)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::Light, light);
    palette.setColor(QPalette::Dark, shadow);
    widget.setPalette(palette);
}
