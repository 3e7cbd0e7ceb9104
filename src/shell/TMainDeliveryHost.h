#pragma once

#include "delivery/TDeliveryHost.h"

class TFMain;

// The main window as the delivery job sees it: its status line, its transfer component, the
// catalogue's current row and the completion step, with the progress window beside it.
class TMainDeliveryHost : public TDeliveryHost
{
public:
    // Both windows must outlive the host.
    TMainDeliveryHost(TFMain& mainWindow, TFprog& progressWindow);

    void SetStatusText(const QString& text) override;
    TGameDoctor& GameDoctor() override;
    TFprog& ProgressWindow() override;
    QString SelectedDirectory() const override;
    TDeliveryRow SelectedRow() const override;
    void ProcessMessages() override;
    void CompletionSignal() override;

private:
    TFMain& FMain;
    TFprog& FProgress;
};
