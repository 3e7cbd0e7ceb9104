#include "TAlignLayout.h"

#include <QEvent>
#include <QScopedValueRollback>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace {

const char* const AlignProperty = "Align";

bool HasAlignedChildren(const QWidget* container)
{
    for (const QObject* child : container->children())
        if (child->isWidgetType() && !static_cast<const QWidget*>(child)->isWindow()
            && AlignOf(static_cast<const QWidget*>(child)) != alNone)
            return true;
    return false;
}

} // namespace

TAlign AlignOf(const QWidget* control)
{
    const QVariant value = control->property(AlignProperty);
    if (!value.isValid() || !value.canConvert<int>())
        return alNone;
    const int number = value.toInt();
    return number >= alNone && number <= alClient ? TAlign(number) : alNone;
}

void SetAlign(QWidget* control, TAlign align)
{
    control->setProperty(AlignProperty, QVariant::fromValue(align));
}

TAlignLayout::TAlignLayout(QWidget* parent)
    : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
    // A hidden window gets no resize events and Qt runs no layout for it, yet the classic
    // windows are laid out as soon as their size is set; so the layout also watches its
    // parent itself.
    parent->installEventFilter(this);
}

TAlignLayout::~TAlignLayout()
{
    for (const TItem& item : std::as_const(FItems))
        delete item.Item;
}

void TAlignLayout::Install(QWidget* root)
{
    if (!root->layout() && HasAlignedChildren(root)) {
        auto* layout = new TAlignLayout(root);
        for (QObject* child : root->children())
            if (child->isWidgetType()) {
                auto* control = static_cast<QWidget*>(child);
                if (!control->isWindow() && AlignOf(control) != alNone)
                    layout->AddControl(control, AlignOf(control));
            }
    }
    for (QObject* child : root->children())
        if (child->isWidgetType() && !static_cast<QWidget*>(child)->isWindow())
            Install(static_cast<QWidget*>(child));
    if (auto* layout = qobject_cast<TAlignLayout*>(root->layout()))
        layout->Place();
}

void TAlignLayout::AddControl(QWidget* control, TAlign align)
{
    addChildWidget(control);
    FItems.append({ new QWidgetItem(control), align });
    control->installEventFilter(this);
    invalidate();
}

void TAlignLayout::addItem(QLayoutItem* item)
{
    FItems.append({ item, alClient });
    invalidate();
}

int TAlignLayout::count() const
{
    return int(FItems.size());
}

QLayoutItem* TAlignLayout::itemAt(int index) const
{
    return index >= 0 && index < FItems.size() ? FItems[index].Item : nullptr;
}

QLayoutItem* TAlignLayout::takeAt(int index)
{
    if (index < 0 || index >= FItems.size())
        return nullptr;
    QLayoutItem* item = FItems.takeAt(index).Item;
    if (item->widget())
        item->widget()->removeEventFilter(this);
    invalidate();
    return item;
}

Qt::Orientations TAlignLayout::expandingDirections() const
{
    return Qt::Horizontal | Qt::Vertical;
}

void TAlignLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    QRect free = rect;
    const auto place = [](QLayoutItem* item, int x, int y, int width, int height) {
        item->setGeometry(QRect(x, y, std::max(width, 0), std::max(height, 0)));
    };
    const QScopedValueRollback<bool> placing(FPlacing, true);
    for (const TItem& item : std::as_const(FItems))
        if (item.Align == alTop && !item.Item->isEmpty()) {
            const int height = item.Item->widget()->height();
            place(item.Item, free.left(), free.top(), free.width(), height);
            free.setTop(free.top() + height);
        }
    for (const TItem& item : std::as_const(FItems))
        if (item.Align == alBottom && !item.Item->isEmpty()) {
            const int height = item.Item->widget()->height();
            place(item.Item, free.left(), free.bottom() + 1 - height, free.width(), height);
            free.setBottom(free.bottom() - height);
        }
    for (const TItem& item : std::as_const(FItems))
        if (item.Align == alLeft && !item.Item->isEmpty()) {
            const int width = item.Item->widget()->width();
            place(item.Item, free.left(), free.top(), width, free.height());
            free.setLeft(free.left() + width);
        }
    for (const TItem& item : std::as_const(FItems))
        if (item.Align == alRight && !item.Item->isEmpty()) {
            const int width = item.Item->widget()->width();
            place(item.Item, free.right() + 1 - width, free.top(), width, free.height());
            free.setRight(free.right() - width);
        }
    for (const TItem& item : std::as_const(FItems))
        if (item.Align == alClient && !item.Item->isEmpty())
            place(item.Item, free.left(), free.top(), free.width(), free.height());
}

QSize TAlignLayout::Needed(bool preferred) const
{
    int edgeWidth = 0; // the left and right controls side by side
    int edgeHeight = 0; // the top and bottom controls stacked
    int acrossTop = 0; // the widest need of a top or bottom control
    int acrossSide = 0; // the tallest need of a left or right control
    QSize client(0, 0);
    for (const TItem& item : std::as_const(FItems)) {
        if (item.Item->isEmpty())
            continue;
        const QSize need = preferred ? item.Item->sizeHint() : item.Item->minimumSize();
        const QWidget* control = item.Item->widget();
        switch (item.Align) {
        case alTop:
        case alBottom:
            edgeHeight += control->height();
            acrossTop = std::max(acrossTop, need.width());
            break;
        case alLeft:
        case alRight:
            edgeWidth += control->width();
            acrossSide = std::max(acrossSide, need.height());
            break;
        case alClient:
        case alNone:
            client = client.expandedTo(need);
            break;
        }
    }
    return QSize(std::max(acrossTop, edgeWidth + client.width()),
        edgeHeight + std::max(acrossSide, client.height()));
}

QSize TAlignLayout::minimumSize() const
{
    return Needed(false);
}

QSize TAlignLayout::sizeHint() const
{
    return Needed(true);
}

void TAlignLayout::Place()
{
    if (auto* parent = parentWidget())
        setGeometry(parent->contentsRect());
}

bool TAlignLayout::eventFilter(QObject* watched, QEvent* event)
{
    if (FPlacing || !watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::Resize:
        // The parent's new size, or a size set by code: an edge control keeps its new width
        // or height, a filling one is put back.
        Place();
        break;
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        if (watched != parentWidget())
            Place();
        break;
    default:
        break;
    }
    return false;
}
