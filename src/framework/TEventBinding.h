#pragma once

#include "TEventKind.h"

// One row of a window's event table: the control by object name (empty, or the window's own
// object name, for the window itself), the event, and the window's handler, named control +
// event (SpeedButton8Click, FormCreate).
template <class TWindow> struct TEventBinding
{
    const char* Control;
    TEventKind Event;
    void (TWindow::*Handler)();
};
