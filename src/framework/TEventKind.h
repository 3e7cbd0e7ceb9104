#pragma once

// The events a window's table can bind a handler to.
enum TEventKind
{
    ekClick, // buttons; check and radio boxes on a change of state; other widgets by mouse
    ekDblClick,
    ekChange, // combo boxes, line edits, and the framework's own controls
    ekKeyUp, // a key released (not an auto-repeat)
    ekMouseDown,
    ekMouseUp,
    ekMoved, // splitters
    ekTimer, // QTimer
    ekCreate, // the window: run once its table is bound
    ekActivate, // the window became the active window
    ekShow, // the window (or a widget) was shown by the program
    ekResize, // the window (or a widget) changed size
    ekClose, // the window is closing
};

// The event's name as handlers spell it ("Click", "DblClick", ...), for messages.
const char* EventKindName(TEventKind event);
