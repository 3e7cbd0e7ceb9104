#pragma once

#include "TEventBinding.h"
#include "TEventKind.h"

#include <QString>

#include <functional>
#include <initializer_list>
#include <span>
#include <type_traits>
#include <vector>

class QWidget;
class TApplication;

// Connects a window's event table to its controls, found by object name. Every handler runs
// inside the application's guard. Buttons, combo boxes, line edits, splitters and timers are
// connected through their signals, the program's own controls through TBindableControl, and
// mouse, key and window events through an event filter.
class TEventBinder
{
public:
    // Binds every row, hands the application to the program's own controls in the window,
    // then runs the window's create handlers in table order. A row that names a control the
    // window lacks, or an event the control cannot raise, throws EBindError.
    template <class TWindow>
    static void Bind(TApplication& application, TWindow& window,
        std::span<const TEventBinding<std::type_identity_t<TWindow>>> table)
    {
        std::vector<TRow> rows;
        rows.reserve(table.size());
        for (const TEventBinding<TWindow>& row : table) {
            auto handler = row.Handler;
            rows.push_back({ QString::fromUtf8(row.Control), row.Event,
                [&window, handler] { (window.*handler)(); } });
        }
        BindRows(application, window, rows);
    }

    template <class TWindow>
    static void Bind(TApplication& application, TWindow& window,
        std::initializer_list<TEventBinding<std::type_identity_t<TWindow>>> table)
    {
        Bind(application, window,
            std::span<const TEventBinding<TWindow>>(table.begin(), table.size()));
    }

    // One binding with any callable; a create handler runs at once.
    static void Bind(TApplication& application, QWidget& window, const QString& control,
        TEventKind event, std::function<void()> handler);

private:
    struct TRow
    {
        QString Control;
        TEventKind Event;
        std::function<void()> Handler;
    };

    static void BindRows(TApplication& application, QWidget& window, const std::vector<TRow>& rows);
};
