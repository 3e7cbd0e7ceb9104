#pragma once

#include <QString>

class QWidget;

// How a control sits in its parent, as the classic windows lay themselves out: along the
// top, bottom, left or right edge (keeping its own height or width, stretched the other
// way), filling what those leave, or placed where it is. Controls give it with the dynamic
// property "Align", in a .ui file as <property name="Align" stdset="0"><string>alTop</string>.
enum TAlign
{
    alNone,
    alTop,
    alBottom,
    alLeft,
    alRight,
    alClient
};

TAlign AlignOf(const QWidget* control);
void SetAlign(QWidget* control, TAlign align);
// "alTop" and so on; alNone for any other text.
TAlign AlignFromName(const QString& name);

// Places the container's aligned children that are not hidden inside its contents rect:
// first the top ones stacked from the top, then the bottom ones from the bottom, then the
// left and the right ones in the height that remains, then every filling one in what is
// left. Within each edge the first child (in creation order) is the outermost. Controls
// may be squeezed to nothing; a width or height never goes below zero.
void AlignControls(QWidget* container);
// The same for the root and every container below it, parents before children, so each
// container is placed before its own children are.
void AlignTree(QWidget* root);
// Keeps the tree aligned from now on: a container places its children again whenever it
// changes size, and a parent whenever one of its aligned children is shown or hidden.
// Code that changes an aligned control's width or height calls AlignControls itself.
void KeepAligned(QWidget* root);
