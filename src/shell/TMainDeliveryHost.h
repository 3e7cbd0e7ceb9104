#pragma once

#include "delivery/TDeliveryHost.h"
#include "delivery/TFprog.h"

class TFMain;

// The main window as the delivery job sees it: the catalogue's current row, the status line
// and the completion step, with the progress window the host owns and shows for the job.
class TMainDeliveryHost : public TDeliveryHost
{
public:
    // The main window must outlive the host. The progress window belongs to it, so that it
    // stays above the main window while the user works in the table between blocks.
    explicit TMainDeliveryHost(TFMain& mainWindow);

    TFprog& ProgressWindow() { return FProgress; }

    TDeliveryRow SelectedRow() const override;
    void SetStatusText(const QString& text) override;
    void ProgressBegins() override;
    void ProgressAt(int progress, const TDeliveryStatistics& figures) override;
    void ProgressEnds() override;
    void ProcessMessages() override;
    bool StopRequested() const override { return FStopRequested; }
    void CompletionSignal() override;

private:
    TFMain& FMain;
    TFprog FProgress;
    bool FStopRequested = false;
};
