#pragma once

#include "framework/TEventKind.h"

#include <QObject>

#include <functional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSplitter;
class QTimer;
class QWidget;

using TEventHandler = std::function<void()>;

// How each kind of control raises each event. Overload resolution picks the most specific
// overload for a control (a check box before a button, a button before any widget), so a
// control and an event that no overload takes are a compile error, not a failure at start-up.

// Qt's controls.
void ConnectEvent(QAbstractButton* control, TClickEvent, TEventHandler handler);
// Check and radio boxes count a change of state as a click, from code as from the mouse; a
// radio box only when it becomes checked.
void ConnectEvent(QCheckBox* control, TClickEvent, TEventHandler handler);
void ConnectEvent(QRadioButton* control, TClickEvent, TEventHandler handler);
void ConnectEvent(QComboBox* control, TChangeEvent, TEventHandler handler);
// An editable combo box's typed text confirmed by Enter or by leaving it.
void ConnectEvent(QComboBox* control, TExitEvent, TEventHandler handler);
void ConnectEvent(QLineEdit* control, TChangeEvent, TEventHandler handler);
void ConnectEvent(QLineEdit* control, TExitEvent, TEventHandler handler);
void ConnectEvent(QSplitter* control, TMovedEvent, TEventHandler handler);
void ConnectEvent(QTimer* control, TTimerEvent, TEventHandler handler);

// Any widget, by its mouse, key and window events. A click is a press and a release of the
// left button, both inside the widget, as the classic controls count one.
void ConnectEvent(QWidget* control, TClickEvent, TEventHandler handler);
void ConnectEvent(QWidget* control, TDblClickEvent, TEventHandler handler);
void ConnectEvent(QWidget* control, TMouseDownEvent, TEventHandler handler);
void ConnectEvent(QWidget* control, TMouseUpEvent, TEventHandler handler);
void ConnectEvent(QWidget* control, TKeyUpEvent, TEventHandler handler);
void ConnectEvent(QWidget* control, TShowEvent, TEventHandler handler);
void ConnectEvent(QWidget* control, TResizeEvent, TEventHandler handler);

// The program's own controls raise their events as signals named after them.
template <class TControl>
requires requires
{
    &TControl::Click;
}
void ConnectEvent(TControl* control, TClickEvent, TEventHandler handler)
{
    QObject::connect(control, &TControl::Click, control, std::move(handler));
}

template <class TControl>
requires requires
{
    &TControl::DblClick;
}
void ConnectEvent(TControl* control, TDblClickEvent, TEventHandler handler)
{
    QObject::connect(control, &TControl::DblClick, control, std::move(handler));
}

template <class TControl>
requires requires
{
    &TControl::Change;
}
void ConnectEvent(TControl* control, TChangeEvent, TEventHandler handler)
{
    QObject::connect(control, &TControl::Change, control, std::move(handler));
}

template <class TControl>
requires requires
{
    &TControl::Moved;
}
void ConnectEvent(TControl* control, TMovedEvent, TEventHandler handler)
{
    QObject::connect(control, &TControl::Moved, control, std::move(handler));
}

// Events only a window raises.
void ConnectWindowEvent(QWidget& window, TActivateEvent, TEventHandler handler);
void ConnectWindowEvent(QWidget& window, TCloseEvent, TEventHandler handler);
void ConnectWindowEvent(QWidget& window, TShowEvent, TEventHandler handler);
void ConnectWindowEvent(QWidget& window, TResizeEvent, TEventHandler handler);

// A control that raises the event.
template <class TControl, class TEvent>
concept TRaises = requires(TControl* control, TEvent event, TEventHandler handler)
{
    ConnectEvent(control, event, handler);
};

// An event of the window itself (its creation aside, which the binder runs).
template <class TEvent>
concept TWindowEvent = requires(QWidget& window, TEvent event, TEventHandler handler)
{
    ConnectWindowEvent(window, event, handler);
};
