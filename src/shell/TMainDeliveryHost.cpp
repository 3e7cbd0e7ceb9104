#include "TMainDeliveryHost.h"

#include "delivery/TFprog.h"
#include "framework/TApplication.h"
#include "shell/CompletionSignal.h"
#include "shell/TFMain.h"

TMainDeliveryHost::TMainDeliveryHost(TFMain& mainWindow, TFprog& progressWindow)
    : FMain(mainWindow)
    , FProgress(progressWindow)
{
}

void TMainDeliveryHost::SetStatusText(const QString& text)
{
    FMain.SetStatusText(text);
}

TGameDoctor& TMainDeliveryHost::GameDoctor()
{
    return FMain.GameDoctor1();
}

TFprog& TMainDeliveryHost::ProgressWindow()
{
    return FProgress;
}

QString TMainDeliveryHost::SelectedDirectory() const
{
    return FMain.SelectedDirectory();
}

TDeliveryRow TMainDeliveryHost::SelectedRow() const
{
    return { FMain.CurrentImageName(), FMain.CurrentSizeText(), FMain.CurrentFileName(),
        FMain.CurrentRealName() };
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
