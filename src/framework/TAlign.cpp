#include "TAlign.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace {

const char* const AlignProperty = "Align";

const char* const AlignNames[] = { "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient" };

bool HasAlignedChildren(const QWidget* container)
{
    for (const QObject* child : container->children())
        if (child->isWidgetType() && AlignOf(static_cast<const QWidget*>(child)) != alNone)
            return true;
    return false;
}

// Re-places containers as their sizes change, and parents as aligned children come and
// go. One watcher serves the whole tree.
class TAlignWatcher : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::Resize:
            if (HasAlignedChildren(widget))
                AlignControls(widget);
            break;
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            if (widget->parentWidget() && AlignOf(widget) != alNone)
                AlignControls(widget->parentWidget());
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

TAlign AlignOf(const QWidget* control)
{
    const QVariant value = control->property(AlignProperty);
    if (!value.isValid())
        return alNone;
    if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray)
        return AlignFromName(value.toString());
    const int number = value.toInt();
    return number >= alNone && number <= alClient ? TAlign(number) : alNone;
}

void SetAlign(QWidget* control, TAlign align)
{
    control->setProperty(AlignProperty, QString::fromLatin1(AlignNames[align]));
}

TAlign AlignFromName(const QString& name)
{
    for (int align = alNone; align <= alClient; ++align)
        if (name == QLatin1String(AlignNames[align]))
            return TAlign(align);
    return alNone;
}

void AlignControls(QWidget* container)
{
    std::vector<QWidget*> controls;
    for (QObject* child : container->children())
        if (child->isWidgetType()) {
            auto* control = static_cast<QWidget*>(child);
            if (!control->isHidden() && !control->isWindow() && AlignOf(control) != alNone)
                controls.push_back(control);
        }

    QRect free = container->contentsRect();
    const auto place = [](QWidget* control, int x, int y, int width, int height) {
        control->setGeometry(x, y, std::max(width, 0), std::max(height, 0));
    };
    for (QWidget* control : controls)
        if (AlignOf(control) == alTop) {
            const int height = control->height();
            place(control, free.left(), free.top(), free.width(), height);
            free.setTop(free.top() + height);
        }
    for (QWidget* control : controls)
        if (AlignOf(control) == alBottom) {
            const int height = control->height();
            place(control, free.left(), free.bottom() + 1 - height, free.width(), height);
            free.setBottom(free.bottom() - height);
        }
    for (QWidget* control : controls)
        if (AlignOf(control) == alLeft) {
            const int width = control->width();
            place(control, free.left(), free.top(), width, free.height());
            free.setLeft(free.left() + width);
        }
    for (QWidget* control : controls)
        if (AlignOf(control) == alRight) {
            const int width = control->width();
            place(control, free.right() + 1 - width, free.top(), width, free.height());
            free.setRight(free.right() - width);
        }
    for (QWidget* control : controls)
        if (AlignOf(control) == alClient)
            place(control, free.left(), free.top(), free.width(), free.height());
}

void AlignTree(QWidget* root)
{
    if (HasAlignedChildren(root))
        AlignControls(root);
    for (QObject* child : root->children())
        if (child->isWidgetType() && !static_cast<QWidget*>(child)->isWindow())
            AlignTree(static_cast<QWidget*>(child));
}

void KeepAligned(QWidget* root)
{
    auto* watcher = new TAlignWatcher(root);
    root->installEventFilter(watcher);
    for (QWidget* widget : root->findChildren<QWidget*>())
        if (!widget->isWindow() && (HasAlignedChildren(widget) || AlignOf(widget) != alNone))
            widget->installEventFilter(watcher);
    AlignTree(root);
}
