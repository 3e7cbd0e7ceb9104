#include "InnerEdge.h"

#include <QPainter>

void DrawInnerEdge(QPainter& painter, const QRect& rect, TInnerEdge edge, const QPalette& palette)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const QColor topLeft = palette.color(edge == ieRaised ? QPalette::Light : QPalette::Shadow);
    const QColor bottomRight
        = palette.color(edge == ieRaised ? QPalette::Dark : QPalette::Midlight);
    const int left = rect.left();
    const int top = rect.top();
    const int width = rect.width();
    const int height = rect.height();
    painter.fillRect(QRect(left, top + height - 1, width, 1), bottomRight);
    painter.fillRect(QRect(left + width - 1, top, 1, height), bottomRight);
    painter.fillRect(QRect(left, top, width, 1), topLeft);
    painter.fillRect(QRect(left, top, 1, height), topLeft);
}
