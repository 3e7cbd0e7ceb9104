#pragma once

#include "TEventKind.h"

#include <QPointer>

#include <functional>

class TApplication;

// Mixed into the program's own controls. The binder asks such a control first for the
// events it raises itself, and hands it the application, whose guard then also covers the
// control's own reactions to input (a double-click that opens a folder can fail).
class TBindableControl
{
public:
    virtual ~TBindableControl();

    // Connects handler to the control's event; false when the control has no such event
    // of its own (the binder then falls back to what the widget class offers).
    virtual bool BindEvent(TEventKind event, const std::function<void()>& handler);

    void SetApplication(TApplication* application);
    TApplication* Application() const;

protected:
    // Runs one of the control's own reactions to user input, which Qt calls, so that its
    // failures reach the error box the way a handler's do.
    void Guarded(const std::function<void()>& action) const noexcept;

private:
    QPointer<TApplication> FApplication;
};
