#pragma once

#include "delivery/TDeliveryRow.h"

#include <QString>

class TFprog;
class TGameDoctor;

// What the delivery job needs of the window that owns it (the main window): its status line,
// its transfer component, the progress window, the catalogue's selection, the message pump
// and the completion step. The job knows the window only through this.
class TDeliveryHost
{
public:
    virtual ~TDeliveryHost();

    // The status line; every text keeps its blanks.
    virtual void SetStatusText(const QString& text) = 0;
    virtual TGameDoctor& GameDoctor() = 0;
    virtual TFprog& ProgressWindow() = 0;
    // The listed folder with its trailing separator.
    virtual QString SelectedDirectory() const = 0;
    // The row selected in the catalogue; empty texts when there is none.
    virtual TDeliveryRow SelectedRow() const = 0;
    // Lets every pending event run once, then returns.
    virtual void ProcessMessages() = 0;
    // The end of a delivery that went through: " Done...", the progress window closed, the
    // beep and the wave the settings ask for.
    virtual void CompletionSignal() = 0;
};
