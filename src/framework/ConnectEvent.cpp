#include "ConnectEvent.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSplitter>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace {

// Which event of a watched object a hook reacts to.
enum THookedEvent
{
    heClick,
    heDblClick,
    heMouseDown,
    heMouseUp,
    heKeyUp,
    heActivate,
    heShow,
    heResize,
    heClose,
};

// Watches one object's events for one binding. It is a child of the watched object, so it
// goes when that goes.
class TEventHook : public QObject
{
public:
    TEventHook(QObject* watched, THookedEvent event, TEventHandler handler)
        : QObject(watched)
        , FEvent(event)
        , FHandler(std::move(handler))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (Matches(watched, event)) {
            // Qt lays a widget's children out after its event filters have seen the new
            // size; a resize handler sees them placed already, as the classic controls did.
            if (FEvent == heResize)
                PlaceChildren(watched);
            // The handler may destroy the watched object and this hook with it.
            const TEventHandler handler = FHandler;
            handler();
        }
        return false;
    }

private:
    static void PlaceChildren(QObject* watched)
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (QLayout* layout = widget ? widget->layout() : nullptr)
            layout->setGeometry(widget->contentsRect());
    }

    bool Matches(QObject* watched, QEvent* event)
    {
        switch (FEvent) {
        case heClick:
            return IsClick(watched, event);
        case heDblClick:
            return event->type() == QEvent::MouseButtonDblClick
                && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        case heMouseDown:
            return event->type() == QEvent::MouseButtonPress;
        case heMouseUp:
            return event->type() == QEvent::MouseButtonRelease;
        case heKeyUp:
            return event->type() == QEvent::KeyRelease
                && !static_cast<QKeyEvent*>(event)->isAutoRepeat();
        case heActivate:
            return event->type() == QEvent::WindowActivate;
        case heShow:
            // A window coming back from the task bar is not shown by the program.
            return event->type() == QEvent::Show && !event->spontaneous();
        case heResize:
            return event->type() == QEvent::Resize;
        case heClose:
            return event->type() == QEvent::Close;
        }
        return false;
    }

    bool IsClick(QObject* watched, QEvent* event)
    {
        if (event->type() == QEvent::MouseButtonDblClick) {
            FPressed = false;
            return false;
        }
        if (event->type() != QEvent::MouseButtonPress
            && event->type() != QEvent::MouseButtonRelease)
            return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (event->type() == QEvent::MouseButtonPress) {
            FPressed = true;
            return false;
        }
        const bool pressed = std::exchange(FPressed, false);
        auto* widget = qobject_cast<QWidget*>(watched);
        return pressed && widget && widget->rect().contains(mouse->position().toPoint());
    }

    THookedEvent FEvent;
    TEventHandler FHandler;
    bool FPressed = false;
};

// Scroll areas get their mouse events on the viewport.
QObject* MouseTarget(QWidget* widget)
{
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
        return area->viewport();
    return widget;
}

} // namespace

void ConnectEvent(QAbstractButton* control, TClickEvent, TEventHandler handler)
{
    QObject::connect(control, &QAbstractButton::clicked, control, [handler] { handler(); });
}

void ConnectEvent(QCheckBox* control, TClickEvent, TEventHandler handler)
{
    QObject::connect(control, &QCheckBox::toggled, control, [handler](bool) { handler(); });
}

void ConnectEvent(QRadioButton* control, TClickEvent, TEventHandler handler)
{
    QObject::connect(control, &QRadioButton::toggled, control, [handler](bool checked) {
        if (checked)
            handler();
    });
}

void ConnectEvent(QComboBox* control, TChangeEvent, TEventHandler handler)
{
    QObject::connect(
        control, &QComboBox::currentIndexChanged, control, [handler](int) { handler(); });
}

void ConnectEvent(QComboBox* control, TExitEvent, TEventHandler handler)
{
    // A combo box made editable later gets a new line edit; the forms set it in the
    // declaration, before the table is bound.
    if (QLineEdit* edit = control->lineEdit())
        QObject::connect(edit, &QLineEdit::editingFinished, control, std::move(handler));
}

void ConnectEvent(QLineEdit* control, TChangeEvent, TEventHandler handler)
{
    QObject::connect(control, &QLineEdit::textChanged, control, [handler] { handler(); });
}

void ConnectEvent(QLineEdit* control, TExitEvent, TEventHandler handler)
{
    QObject::connect(control, &QLineEdit::editingFinished, control, std::move(handler));
}

void ConnectEvent(QSplitter* control, TMovedEvent, TEventHandler handler)
{
    QObject::connect(control, &QSplitter::splitterMoved, control, [handler] { handler(); });
}

void ConnectEvent(QTimer* control, TTimerEvent, TEventHandler handler)
{
    QObject::connect(control, &QTimer::timeout, control, std::move(handler));
}

void ConnectEvent(QWidget* control, TClickEvent, TEventHandler handler)
{
    new TEventHook(MouseTarget(control), heClick, std::move(handler));
}

void ConnectEvent(QWidget* control, TDblClickEvent, TEventHandler handler)
{
    new TEventHook(MouseTarget(control), heDblClick, std::move(handler));
}

void ConnectEvent(QWidget* control, TMouseDownEvent, TEventHandler handler)
{
    new TEventHook(MouseTarget(control), heMouseDown, std::move(handler));
}

void ConnectEvent(QWidget* control, TMouseUpEvent, TEventHandler handler)
{
    new TEventHook(MouseTarget(control), heMouseUp, std::move(handler));
}

void ConnectEvent(QWidget* control, TKeyUpEvent, TEventHandler handler)
{
    new TEventHook(control, heKeyUp, std::move(handler));
}

void ConnectEvent(QWidget* control, TShowEvent, TEventHandler handler)
{
    new TEventHook(control, heShow, std::move(handler));
}

void ConnectEvent(QWidget* control, TResizeEvent, TEventHandler handler)
{
    new TEventHook(control, heResize, std::move(handler));
}

void ConnectWindowEvent(QWidget& window, TActivateEvent, TEventHandler handler)
{
    new TEventHook(&window, heActivate, std::move(handler));
}

void ConnectWindowEvent(QWidget& window, TCloseEvent, TEventHandler handler)
{
    new TEventHook(&window, heClose, std::move(handler));
}

void ConnectWindowEvent(QWidget& window, TShowEvent event, TEventHandler handler)
{
    ConnectEvent(&window, event, std::move(handler));
}

void ConnectWindowEvent(QWidget& window, TResizeEvent event, TEventHandler handler)
{
    ConnectEvent(&window, event, std::move(handler));
}
