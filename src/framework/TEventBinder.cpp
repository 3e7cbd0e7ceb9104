#include "TEventBinder.h"

#include "EBindError.h"
#include "TApplication.h"
#include "TBindableControl.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QRadioButton>
#include <QSplitter>
#include <QTimer>
#include <QWidget>

#include <utility>

const char* EventKindName(TEventKind event)
{
    switch (event) {
    case ekClick:
        return "Click";
    case ekDblClick:
        return "DblClick";
    case ekChange:
        return "Change";
    case ekKeyUp:
        return "KeyUp";
    case ekMouseDown:
        return "MouseDown";
    case ekMouseUp:
        return "MouseUp";
    case ekMoved:
        return "Moved";
    case ekTimer:
        return "Timer";
    case ekCreate:
        return "Create";
    case ekActivate:
        return "Activate";
    case ekShow:
        return "Show";
    case ekResize:
        return "Resize";
    case ekClose:
        return "Close";
    }
    return "?";
}

namespace {

// Watches one object's events for one binding. It is a child of the watched object, so it
// goes when that goes.
class TEventHook : public QObject
{
public:
    TEventHook(QObject* watched, TEventKind event, std::function<void()> handler)
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
            // The handler may destroy the watched object and this hook with it.
            const std::function<void()> handler = FHandler;
            handler();
        }
        return false;
    }

private:
    bool Matches(QObject* watched, QEvent* event)
    {
        switch (FEvent) {
        case ekClick:
            return IsClick(watched, event);
        case ekDblClick:
            return event->type() == QEvent::MouseButtonDblClick
                && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        case ekMouseDown:
            return event->type() == QEvent::MouseButtonPress;
        case ekMouseUp:
            return event->type() == QEvent::MouseButtonRelease;
        case ekKeyUp:
            return event->type() == QEvent::KeyRelease
                && !static_cast<QKeyEvent*>(event)->isAutoRepeat();
        case ekActivate:
            return event->type() == QEvent::WindowActivate;
        case ekShow:
            // A window coming back from the task bar is not shown by the program.
            return event->type() == QEvent::Show && !event->spontaneous();
        case ekResize:
            return event->type() == QEvent::Resize;
        case ekClose:
            return event->type() == QEvent::Close;
        case ekChange:
        case ekMoved:
        case ekTimer:
        case ekCreate:
            break;
        }
        return false;
    }

    // A press and a release of the left button, both inside the widget, as the classic
    // controls count a click.
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

    TEventKind FEvent;
    std::function<void()> FHandler;
    bool FPressed = false;
};

// Scroll areas get their mouse events on the viewport.
QObject* MouseTarget(QWidget* widget)
{
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
        return area->viewport();
    return widget;
}

QString WindowName(const QWidget& window)
{
    return window.objectName().isEmpty() ? QString::fromUtf8(window.metaObject()->className())
                                         : window.objectName();
}

QObject* FindControl(QWidget& window, const QString& name, TEventKind event)
{
    if (name.isEmpty() || name == window.objectName())
        return &window;
    const QList<QObject*> found = window.findChildren<QObject*>(name);
    if (found.size() == 1)
        return found.front();
    const QString problem = found.isEmpty() ? QStringLiteral("has no control named")
                                            : QStringLiteral("has more than one control named");
    throw EBindError(
        QStringLiteral("%1 %2 \"%3\" for %3%4")
            .arg(WindowName(window), problem, name, QString::fromUtf8(EventKindName(event))));
}

// Connects a guarded handler; false when the control cannot raise the event.
bool Connect(
    QObject* control, QWidget& window, TEventKind event, const std::function<void()>& handler)
{
    if (auto* own = dynamic_cast<TBindableControl*>(control); own && own->BindEvent(event, handler))
        return true;

    auto* widget = qobject_cast<QWidget*>(control);
    switch (event) {
    case ekClick:
        // Check and radio boxes count a change of state as a click, from code as from the
        // mouse; a radio box only when it becomes checked.
        if (auto* box = qobject_cast<QCheckBox*>(control)) {
            QObject::connect(box, &QCheckBox::toggled, box, [handler](bool) { handler(); });
            return true;
        }
        if (auto* radio = qobject_cast<QRadioButton*>(control)) {
            QObject::connect(radio, &QRadioButton::toggled, radio, [handler](bool checked) {
                if (checked)
                    handler();
            });
            return true;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            QObject::connect(button, &QAbstractButton::clicked, button, [handler] { handler(); });
            return true;
        }
        if (widget) {
            new TEventHook(MouseTarget(widget), event, handler);
            return true;
        }
        return false;
    case ekDblClick:
    case ekMouseDown:
    case ekMouseUp:
        if (widget) {
            new TEventHook(MouseTarget(widget), event, handler);
            return true;
        }
        return false;
    case ekKeyUp:
    case ekShow:
    case ekResize:
        if (widget) {
            new TEventHook(widget, event, handler);
            return true;
        }
        return false;
    case ekChange:
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            QObject::connect(
                combo, &QComboBox::currentIndexChanged, combo, [handler](int) { handler(); });
            return true;
        }
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            QObject::connect(edit, &QLineEdit::textChanged, edit, [handler] { handler(); });
            return true;
        }
        return false;
    case ekMoved:
        if (auto* splitter = qobject_cast<QSplitter*>(control)) {
            QObject::connect(
                splitter, &QSplitter::splitterMoved, splitter, [handler] { handler(); });
            return true;
        }
        return false;
    case ekTimer:
        if (auto* timer = qobject_cast<QTimer*>(control)) {
            QObject::connect(timer, &QTimer::timeout, timer, [handler] { handler(); });
            return true;
        }
        return false;
    case ekActivate:
    case ekClose:
        if (control == &window) {
            new TEventHook(&window, event, handler);
            return true;
        }
        return false;
    case ekCreate:
        return false;
    }
    return false;
}

void BindOne(TApplication& application, QWidget& window, const QString& controlName,
    TEventKind event, const std::function<void()>& handler,
    std::vector<std::function<void()>>& creates)
{
    QObject* control = FindControl(window, controlName, event);
    const QPointer<TApplication> guard(&application);
    std::function<void()> guarded
        = [guard, handler] { TApplication::Guard(guard.data(), handler); };

    if (event == ekCreate && control == &window) {
        creates.push_back(std::move(guarded));
        return;
    }
    if (!Connect(control, window, event, guarded))
        throw EBindError(
            QStringLiteral("\"%1\" (%2) in %3 raises no %4 event")
                .arg(control->objectName(), QString::fromUtf8(control->metaObject()->className()),
                    WindowName(window), QString::fromUtf8(EventKindName(event))));
}

void AttachApplication(TApplication& application, QWidget& window)
{
    if (auto* own = dynamic_cast<TBindableControl*>(&window))
        own->SetApplication(&application);
    for (QObject* child : window.findChildren<QObject*>())
        if (auto* own = dynamic_cast<TBindableControl*>(child))
            own->SetApplication(&application);
}

} // namespace

void TEventBinder::Bind(TApplication& application, QWidget& window, const QString& control,
    TEventKind event, std::function<void()> handler)
{
    BindRows(application, window, { TRow { control, event, std::move(handler) } });
}

void TEventBinder::BindRows(
    TApplication& application, QWidget& window, const std::vector<TRow>& rows)
{
    std::vector<std::function<void()>> creates;
    for (const TRow& row : rows)
        BindOne(application, window, row.Control, row.Event, row.Handler, creates);
    AttachApplication(application, window);
    for (const std::function<void()>& create : creates)
        create();
}
