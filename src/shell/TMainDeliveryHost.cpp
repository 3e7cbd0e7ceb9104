#include "TMainDeliveryHost.h"

#include "framework/TApplication.h"
#include "shell/CompletionSignal.h"
#include "shell/TFMain.h"

#include <QApplication>

TMainDeliveryHost::TMainDeliveryHost(TFMain& mainWindow)
    : FMain(mainWindow)
    , FProgress(&mainWindow)
{
    QObject::connect(
        &FProgress, &TFprog::StopRequested, &FProgress, [this] { FStopRequested = true; });
}

TDeliveryRow TMainDeliveryHost::SelectedRow() const
{
    return FMain.CurrentDeliveryRow();
}

void TMainDeliveryHost::SetStatusText(const QString& text)
{
    FMain.SetStatusText(text);
}

void TMainDeliveryHost::ProgressBegins()
{
    FStopRequested = false;
    FMain.SetDeliverEnabled(false);
    FProgress.ClearFigures();
    FProgress.show();
}

void TMainDeliveryHost::ProgressAt(int progress, const TDeliveryStatistics& figures)
{
    FProgress.SetProgress(progress);
    FProgress.ShowStatistics(figures);
}

void TMainDeliveryHost::ProgressEnds()
{
    FProgress.close();
    FMain.SetDeliverEnabled(true);
    // The keyboard goes back to the main window, where the user's next action is, when the
    // closed progress window leaves no window active.
    if (!QApplication::activeWindow() && FMain.isVisible())
        FMain.activateWindow();
}

void TMainDeliveryHost::ProcessMessages()
{
    FMain.Application().ProcessMessages();
}

void TMainDeliveryHost::CompletionSignal()
{
    ::CompletionSignal(
        FMain.Settings(), FMain.Beeper(), FMain.MediaPlayer1(),
        [this](const QString& text) { FMain.SetStatusText(text); }, FProgress);
}
