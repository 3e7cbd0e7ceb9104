#pragma once

#include "framework/ConnectEvent.h"

#include <concepts>
#include <functional>

// One row of a window's event table: the control, the event and the window's handler, named
// control + event (SpeedButton8Click, FormCreate). The control is a member of the window's
// generated form (&Ui::TFMain::SpeedButton8) or, for what a form cannot hold (a timer, an
// invisible list), of the window itself (&TFMain::FTimer1); a row without a control binds an
// event of the window itself. A misspelt control or handler, or an event the control cannot
// raise, does not compile.
template <class TWindow, class TForm = TWindow> class TEventBinding
{
public:
    using THandler = void (TWindow::*)();
    // Connects a guarded handler for a row to its control.
    using TConnect = std::function<void(TWindow& window, TForm& form, TEventHandler guarded)>;

    // (uic declares a form's members in a base class of the form: Ui_TFMain for Ui::TFMain.)
    template <class TControl, class TFormBase, class TEvent>
    requires std::derived_from<TForm, TFormBase> && TRaises<TControl, TEvent> TEventBinding(
        TControl* TFormBase::*control, TEvent event, THandler handler)
        : Handler(handler)
        , Connect([control, event](TWindow&, TForm& form, TEventHandler guarded) {
            ConnectEvent(form.*control, event, std::move(guarded));
        })
    {
    }

    template <class TControl, class TWindowBase, class TEvent>
    requires(!std::same_as<TWindow, TForm>) && std::derived_from<TWindow, TWindowBase>
        && (!std::derived_from<TForm, TWindowBase>) && TRaises<TControl, TEvent>
    TEventBinding(TControl* TWindowBase::*control, TEvent event, THandler handler)
        : Handler(handler)
        , Connect([control, event](TWindow& window, TForm&, TEventHandler guarded) {
            ConnectEvent(window.*control, event, std::move(guarded));
        })
    {
    }

    template <class TEvent>
    requires TWindowEvent<TEvent> TEventBinding(TEvent event, THandler handler)
        : Handler(handler)
        , Connect([event](TWindow& window, TForm&, TEventHandler guarded) {
            ConnectWindowEvent(window, event, std::move(guarded));
        })
    {
    }

    // Create handlers run once the whole table is bound, in table order.
    TEventBinding(TCreateEvent, THandler handler)
        : Handler(handler)
    {
    }

    THandler Handler;
    // Empty for a create handler.
    TConnect Connect;
};
