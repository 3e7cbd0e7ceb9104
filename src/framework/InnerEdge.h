#pragma once

#include <QPalette>
#include <QRect>

class QPainter;

enum TInnerEdge
{
    ieRaised,
    ieSunken
};

// The one-pixel inner edge of a 3-D cell: bottom and right first, then top and left over them,
// in the classic colours (raised: highlight over shadow; sunken: dark shadow over light).
void DrawInnerEdge(QPainter& painter, const QRect& rect, TInnerEdge edge, const QPalette& palette);
