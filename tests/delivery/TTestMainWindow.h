#pragma once

#include "delivery/TDeliveryHost.h"
#include "delivery/TFprog.h"
#include "delivery/TMongo.h"
#include "device/TGameDoctor.h"
#include "framework/TApplication.h"
#include "framework/TEventBinder.h"
#include "framework/TSpeedButton.h"
#include "platform/TBeeper.h"
#include "platform/TWavePlayer.h"
#include "shell/CompletionSignal.h"
#include "shell/TSettings.h"

#include <QLabel>
#include <QStringList>
#include <QWidget>

#include <functional>

// The part of a main window that a delivery uses: the status line Label6, the "Deliver"
// button SpeedButton8 bound to its handler, the transfer component, the progress window it
// shows for the job, the job, and the selection of a catalogue. Everything it is asked is
// logged for the tests.
class TTestMainWindow : public QWidget, public TDeliveryHost
{
public:
    TTestMainWindow(TApplication& application, const TClock& clock, TPortIo& port)
        : FApplication(application)
        , Mongo(*this, GameDoctor1, clock)
    {
        setObjectName(QStringLiteral("FMain"));
        Label6 = new QLabel(this);
        Label6->setObjectName(QStringLiteral("Label6"));
        SpeedButton8 = new TSpeedButton(this);
        SpeedButton8->setObjectName(QStringLiteral("SpeedButton8"));
        SpeedButton8->setText(QStringLiteral("Deliver"));
        GameDoctor1.SetPortIo(&port);
        Beeper.SetAction([this] { Beeps.append(Label6->text()); });
        QObject::connect(&Fprog, &TFprog::StopRequested, this, [this] { Stop = true; });
        TEventBinder::Bind(application, *this,
            { { &TTestMainWindow::SpeedButton8, ekClick, &TTestMainWindow::SpeedButton8Click } });
    }

    void SpeedButton8Click() { Mongo.StartDelivery(); }

    void SetStatusText(const QString& text) override
    {
        Label6->setText(text);
        if (StatusLog.isEmpty() || StatusLog.back() != text)
            StatusLog.append(text);
    }
    TDeliveryRow SelectedRow() const override { return Row; }
    void ProgressBegins() override
    {
        Stop = false;
        Fprog.ClearFigures();
        Fprog.show();
    }
    void ProgressAt(int progress, const TDeliveryStatistics& figures) override
    {
        Fprog.SetProgress(progress);
        Fprog.ShowStatistics(figures);
    }
    void ProgressEnds() override { Fprog.close(); }
    bool StopRequested() const override { return Stop; }
    void ProcessMessages() override
    {
        ++Pumps;
        if (OnPump)
            OnPump();
        FApplication.ProcessMessages();
    }
    void CompletionSignal() override
    {
        ::CompletionSignal(
            Settings, Beeper, Player, [this](const QString& text) { SetStatusText(text); }, Fprog);
    }

    QLabel* Label6 = nullptr;
    TSpeedButton* SpeedButton8 = nullptr;
    TGameDoctor GameDoctor1;
    TFprog Fprog;
    TSettings Settings;
    TBeeper Beeper;
    TWavePlayer Player;
    TDeliveryRow Row;
    // Set by the progress window's "Stop" until the next delivery begins.
    bool Stop = false;

    // Each status text once per run of equal texts.
    QStringList StatusLog;
    // The status line at each beep.
    QStringList Beeps;
    int Pumps = 0;
    // Runs inside every pump of the message queue, before the queue is processed.
    std::function<void()> OnPump;

private:
    TApplication& FApplication;

public:
    // Last, so that it is created after what it uses and destroyed before.
    TMongo Mongo;
};
