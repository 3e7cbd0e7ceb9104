#pragma once

// The events a window's table can bind a handler to. Each event is a type of its own, so the
// compiler finds a row whose control cannot raise its event (see TEventBinder).
struct TClickEvent // buttons; check and radio boxes on a change of state; other widgets by mouse
{
};
struct TDblClickEvent
{
};
struct TChangeEvent // combo boxes, line edits, and the framework's own controls
{
};
struct TExitEvent // a line edit's value confirmed by Enter or by leaving it
{
};
struct TKeyUpEvent // a key released (not an auto-repeat)
{
};
struct TMouseDownEvent
{
};
struct TMouseUpEvent
{
};
struct TMovedEvent // splitters, once the user lets go
{
};
struct TTimerEvent
{
};
struct TShowEvent // a widget or window shown by the program
{
};
struct TResizeEvent
{
};
// Events of the window itself only.
struct TCreateEvent // run once the window's table is bound
{
};
struct TActivateEvent // the window became the active window
{
};
struct TCloseEvent // the window is closing, by any route
{
};

inline constexpr TClickEvent ekClick;
inline constexpr TDblClickEvent ekDblClick;
inline constexpr TChangeEvent ekChange;
inline constexpr TExitEvent ekExit;
inline constexpr TKeyUpEvent ekKeyUp;
inline constexpr TMouseDownEvent ekMouseDown;
inline constexpr TMouseUpEvent ekMouseUp;
inline constexpr TMovedEvent ekMoved;
inline constexpr TTimerEvent ekTimer;
inline constexpr TShowEvent ekShow;
inline constexpr TResizeEvent ekResize;
inline constexpr TCreateEvent ekCreate;
inline constexpr TActivateEvent ekActivate;
inline constexpr TCloseEvent ekClose;
