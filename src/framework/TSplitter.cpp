#include "TSplitter.h"

#include <QMouseEvent>

#include <algorithm>

TSplitter::TSplitter(QWidget* parent)
    : QWidget(parent)
{
}

void TSplitter::SetMinSize(int size)
{
    FMinSize = std::max(size, 0);
}

bool TSplitter::Horizontal() const
{
    const TAlign align = AlignOf(this);
    return align == alLeft || align == alRight;
}

int TSplitter::Along(const QPointF& point) const
{
    return Horizontal() ? qRound(point.x()) : qRound(point.y());
}

QWidget* TSplitter::Control() const
{
    QWidget* parent = parentWidget();
    const TAlign align = AlignOf(this);
    if (!parent || align == alNone || align == alClient)
        return nullptr;
    QWidget* found = nullptr;
    for (QObject* child : parent->children()) {
        if (!child->isWidgetType() || child == this)
            continue;
        auto* control = static_cast<QWidget*>(child);
        if (control->isHidden() || AlignOf(control) != align)
            continue;
        const QRect r = control->geometry();
        const bool touches = (align == alLeft && r.x() + r.width() == x())
            || (align == alRight && r.x() == x() + width())
            || (align == alTop && r.y() + r.height() == y())
            || (align == alBottom && r.y() == y() + height());
        // Of several (a control of no width beside another), the one created last lies
        // next to the splitter.
        if (touches)
            found = control;
    }
    return found;
}

int TSplitter::MaxSize(const QWidget* control) const
{
    const QWidget* parent = parentWidget();
    const QRect room = parent->contentsRect();
    int max = (Horizontal() ? room.width() : room.height()) - FMinSize;
    for (const QObject* child : parent->children()) {
        if (!child->isWidgetType() || child == control)
            continue;
        const auto* other = static_cast<const QWidget*>(child);
        const TAlign align = AlignOf(other);
        if (other->isHidden())
            continue;
        if (Horizontal() && (align == alLeft || align == alRight))
            max -= other->width();
        if (!Horizontal() && (align == alTop || align == alBottom))
            max -= other->height();
    }
    return max;
}

int TSplitter::SizeFor(int delta) const
{
    const QWidget* control = FControl ? FControl.data() : Control();
    if (!control)
        return 0;
    const int size = FControl ? FOldSize : (Horizontal() ? control->width() : control->height());
    const TAlign align = AlignOf(this);
    // The control lies before a left or top splitter, after a right or bottom one.
    const int proposed = align == alLeft || align == alTop ? size + delta : size - delta;
    return std::max(FMinSize, std::min(proposed, MaxSize(control)));
}

QRect TSplitter::LineRect(int size) const
{
    const QRect bar = geometry();
    const int moved = size - FOldSize;
    switch (AlignOf(this)) {
    case alLeft:
        return bar.translated(moved, 0);
    case alRight:
        return bar.translated(-moved, 0);
    case alTop:
        return bar.translated(0, moved);
    case alBottom:
        return bar.translated(0, -moved);
    case alNone:
    case alClient:
        break;
    }
    return bar;
}

void TSplitter::enterEvent(QEnterEvent* event)
{
    setCursor(Horizontal() ? Qt::SplitHCursor : Qt::SplitVCursor);
    QWidget::enterEvent(event);
}

void TSplitter::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !parentWidget()) {
        QWidget::mousePressEvent(event);
        return;
    }
    FControl = Control();
    if (!FControl)
        return;
    FStart = Along(event->globalPosition());
    FOldSize = Horizontal() ? FControl->width() : FControl->height();
    FNewSize = FOldSize;
    if (!FLine) {
        FLine = new QWidget(parentWidget());
        FLine->setAttribute(Qt::WA_TransparentForMouseEvents);
        FLine->setAutoFillBackground(true);
        QPalette colours = FLine->palette();
        colours.setColor(QPalette::Window, colours.color(QPalette::Dark));
        FLine->setPalette(colours);
    }
    FLine->setGeometry(LineRect(FNewSize));
    FLine->raise();
    FLine->show();
}

void TSplitter::mouseMoveEvent(QMouseEvent* event)
{
    if (!FControl) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    FNewSize = SizeFor(Along(event->globalPosition()) - FStart);
    if (FLine)
        FLine->setGeometry(LineRect(FNewSize));
}

void TSplitter::mouseReleaseEvent(QMouseEvent* event)
{
    if (!FControl || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    FNewSize = SizeFor(Along(event->globalPosition()) - FStart);
    if (FLine)
        FLine->hide();
    QWidget* control = FControl;
    FControl = nullptr;
    if (Horizontal())
        control->resize(FNewSize, control->height());
    else
        control->resize(control->width(), FNewSize);
    emit Moved();
}
