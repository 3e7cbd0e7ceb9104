#pragma once

#include "framework/TAlignLayout.h"
#include "framework/TBindableControl.h"

#include <QPointer>
#include <QWidget>

// The classic splitter: a thin aligned bar that drags the width (or height) of the aligned
// control it touches, on the same edge. While the button is held a line shows where the
// edge will go; the control takes the new size when the button is released, the parent is
// laid out again and Moved is raised. The control keeps at least MinSize pixels, and so
// does the parent's filling control, as far as the room allows.
//
// Give the splitter an Align like the controls it separates (see TAlignLayout.h); in a .ui file
// set MinSize with stdset="0".
class TSplitter : public QWidget, public TBindableControl
{
    Q_OBJECT
    Q_PROPERTY(int MinSize READ MinSize WRITE SetMinSize)

public:
    explicit TSplitter(QWidget* parent = nullptr);

    int MinSize() const { return FMinSize; }
    void SetMinSize(int size);

    // The control this splitter sizes now; none when nothing aligned touches it.
    QWidget* Control() const;
    // The size the control would get for an edge moved by delta pixels (to the right or
    // down), held within the limits above.
    int SizeFor(int delta) const;

signals:
    // The user released the splitter; the control has its new size.
    void Moved();

protected:
    void enterEvent(QEnterEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool Horizontal() const;
    int Along(const QPointF& point) const;
    int MaxSize(const QWidget* control) const;
    // Where the line stands for the given new size, in the parent.
    QRect LineRect(int size) const;

    int FMinSize = 30;
    QPointer<QWidget> FControl;
    QPointer<QWidget> FLine;
    int FStart = 0;
    int FOldSize = 0;
    int FNewSize = 0;
};
