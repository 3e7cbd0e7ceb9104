#pragma once

#include <QPointer>

#include <functional>

class TApplication;

// Mixed into the program's own controls. The binder hands such a control the application,
// whose guard then also covers the control's own reactions to input (a double-click that
// opens a folder can fail), as it covers the window's handlers.
class TBindableControl
{
public:
    virtual ~TBindableControl();

    void SetApplication(TApplication* application);
    TApplication* Application() const;

protected:
    // Runs one of the control's own reactions to user input, which Qt calls, so that its
    // failures reach the error box the way a handler's do.
    void Guarded(const std::function<void()>& action) const noexcept;

private:
    QPointer<TApplication> FApplication;
};
