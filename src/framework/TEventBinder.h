#pragma once

#include "framework/ConnectEvent.h"
#include "framework/TEventBinding.h"

#include <QWidget>

#include <initializer_list>
#include <span>
#include <type_traits>
#include <vector>

class TApplication;

// Connects a window's event table to its controls. Every handler runs inside the
// application's guard, so an exception it raises ends in the error box, never in Qt.
class TEventBinder
{
public:
    // Binds every row, hands the application to the program's own controls in the window,
    // then runs the window's create handlers in table order.
    template <class TWindow, class TForm>
    static void Bind(TApplication& application, TWindow& window, TForm& form,
        std::span<const TEventBinding<std::type_identity_t<TWindow>, std::type_identity_t<TForm>>>
            table)
    {
        std::vector<TEventHandler> creates;
        for (const TEventBinding<TWindow, TForm>& row : table) {
            const auto handler = row.Handler;
            TEventHandler guarded
                = Guarded(application, [&window, handler] { (window.*handler)(); });
            if (row.Connect)
                row.Connect(window, form, std::move(guarded));
            else
                creates.push_back(std::move(guarded));
        }
        Finish(application, window, creates);
    }

    template <class TWindow, class TForm>
    static void Bind(TApplication& application, TWindow& window, TForm& form,
        std::initializer_list<
            TEventBinding<std::type_identity_t<TWindow>, std::type_identity_t<TForm>>>
            table)
    {
        Bind(application, window, form,
            std::span<const TEventBinding<TWindow, TForm>>(table.begin(), table.size()));
    }

    // A window without a generated form: its rows name members of the window itself.
    template <class TWindow>
    static void Bind(TApplication& application, TWindow& window,
        std::initializer_list<TEventBinding<std::type_identity_t<TWindow>>> table)
    {
        Bind(application, window, window,
            std::span<const TEventBinding<TWindow>>(table.begin(), table.size()));
    }

    // One binding of any callable to a control's event.
    template <class TControl, class TEvent>
    requires TRaises<TControl, TEvent>
    static void Bind(
        TApplication& application, TControl* control, TEvent event, TEventHandler handler)
    {
        ConnectEvent(control, event, Guarded(application, std::move(handler)));
    }

    // One binding of any callable to an event of a window; a create handler runs at once.
    template <class TEvent>
    requires TWindowEvent<TEvent>
    static void Bind(
        TApplication& application, QWidget& window, TEvent event, TEventHandler handler)
    {
        ConnectWindowEvent(window, event, Guarded(application, std::move(handler)));
    }
    static void Bind(
        TApplication& application, QWidget& window, TCreateEvent, TEventHandler handler);

private:
    static TEventHandler Guarded(TApplication& application, TEventHandler handler);
    // Hands the application to the program's own controls, then runs the create handlers.
    static void Finish(
        TApplication& application, QWidget& window, const std::vector<TEventHandler>& creates);
};
