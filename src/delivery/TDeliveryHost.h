#pragma once

#include "delivery/TDeliveryRow.h"

#include <QString>

class TDeliveryStatistics;

// What the delivery job needs of its owner, and no more: the row to send, the status line,
// a progress display that begins, moves and ends, the message pump and the completion step.
// The owner (the main window's host) keeps its windows to itself; the job only reports.
class TDeliveryHost
{
public:
    virtual ~TDeliveryHost();

    // The row a "Deliver" press sends; an empty FileName when no file is selected.
    virtual TDeliveryRow SelectedRow() const = 0;
    // The status line; every text keeps its blanks.
    virtual void SetStatusText(const QString& text) = 0;
    // A delivery begins: the progress display shows, its figures empty.
    virtual void ProgressBegins() = 0;
    // After each progress event: the gauge at progress (0 to 100) and the figures; figures
    // without HasFigures leave those shown.
    virtual void ProgressAt(int progress, const TDeliveryStatistics& figures) = 0;
    // The delivery has ended, however: the progress display goes.
    virtual void ProgressEnds() = 0;
    // Lets every pending event run once, then returns.
    virtual void ProcessMessages() = 0;
    // Whether the user asked, since the progress display began, to stop the delivery.
    virtual bool StopRequested() const = 0;
    // The end of a delivery that went through: " Done...", the progress display ended, the
    // beep and the wave the settings ask for.
    virtual void CompletionSignal() = 0;
};
