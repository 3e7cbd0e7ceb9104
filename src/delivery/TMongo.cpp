#include "TMongo.h"

#include "delivery/TDeliveryHost.h"
#include "delivery/TDeliveryStatistics.h"
#include "delivery/TFprog.h"
#include "framework/EAbort.h"

namespace {

const QString CheckingPort = QStringLiteral(" Checking port...");
const QString TimedOutDone = QStringLiteral("  Done... ");

// Delivering lasts exactly as long as the body, however it ends.
class TDeliveringFlag
{
public:
    explicit TDeliveringFlag(bool& flag)
        : FFlag(flag)
    {
        FFlag = true;
    }
    ~TDeliveringFlag() { FFlag = false; }
    TDeliveringFlag(const TDeliveringFlag&) = delete;
    TDeliveringFlag& operator=(const TDeliveringFlag&) = delete;

private:
    bool& FFlag;
};

} // namespace

TMongo::TMongo(TDeliveryHost& host, const TClock& clock)
    : FHost(host)
    , FClock(clock)
{
}

QString TMongo::NoFileSelectedText()
{
    return QStringLiteral("No File Selected!");
}

QString TMongo::SendingText(const TDeliveryRow& row)
{
    return QStringLiteral(" Sending ") + row.ImageName + QLatin1Char('(') + row.FileName
        + QLatin1Char(')') + QStringLiteral(" ... ");
}

void TMongo::StartDelivery()
{
    // A press between two blocks of a running delivery: its clock and row stay as they are.
    if (FDelivering) {
        FHost.SetStatusText(FSendingText);
        return;
    }
    FClock.Reset();
    const TDeliveryRow row = FHost.SelectedRow();
    if (row.FileName.isEmpty() || row.DiskName.isEmpty()) {
        FHost.SetStatusText(NoFileSelectedText());
        return;
    }
    // The texts and the size shown while the delivery runs are those of the row it sends,
    // whatever the user selects meanwhile.
    FRow = row;
    FSendingText = SendingText(row);
    FShownProgress = -1;
    FShownSeconds = -1;
    FPath = FHost.SelectedDirectory() + row.DiskName;

    const TDeliveringFlag delivering(FDelivering);
    FAbandoned = false;
    try {
        Execute();
    } catch (...) {
        // The window has no close button; left open it would stay until the next delivery.
        FHost.ProgressWindow().close();
        throw;
    }
}

void TMongo::Execute()
{
    Synchronize([this] { PrepareDelivery(); });
    FHost.GameDoctor().SendFile(FPath);
    Synchronize([this] { FHost.CompletionSignal(); });
}

void TMongo::PrepareDelivery()
{
    TFprog& window = FHost.ProgressWindow();
    window.ClearFigures();
    window.show();
    TGameDoctor& doctor = FHost.GameDoctor();
    doctor.SetOnProgress([this](TGameDoctorAction action, QString fileName, std::uint8_t fileNumber,
                             std::uint8_t progress) {
        ProgressChanged(action, std::move(fileName), fileNumber, progress);
    });
    doctor.SetOnTimeout([this] { EndDelivery(); });
    FHost.SetStatusText(CheckingPort);
}

void TMongo::ProgressChanged(TGameDoctorAction, QString, std::uint8_t, std::uint8_t progress)
{
    FLastProgress = progress;
    Synchronize([this] { UpdateProgress(); });
}

void TMongo::UpdateProgress()
{
    FHost.ProgressWindow().SetProgress(FLastProgress);
    if (FLastProgress > 1)
        FHost.SetStatusText(FSendingText);
    UpdateStatistics();
    // The one place a delivery lets the user interface run: between two blocks, never inside
    // a port wait.
    FHost.ProcessMessages();
    // The user closed the program meanwhile: the transfer ends here, between two blocks,
    // and the port is given back on the way out.
    if (FAbandoned)
        throw EAbort();
}

void TMongo::UpdateStatistics()
{
    FClock.Update();
    // The figures follow from the progress and the seconds alone, and most blocks change
    // neither; working them out again would only take time from the transfer.
    const qint32 seconds = FClock.ElapsedSeconds();
    if (FLastProgress == FShownProgress && seconds == FShownSeconds)
        return;
    FShownProgress = FLastProgress;
    FShownSeconds = seconds;
    FHost.ProgressWindow().ShowStatistics(
        TDeliveryStatistics(FLastProgress, seconds, FRow.SizeText));
}

void TMongo::Abandon()
{
    if (FDelivering)
        FAbandoned = true;
}

void TMongo::EndDelivery()
{
    FHost.SetStatusText(TimedOutDone);
    FHost.ProgressWindow().close();
}
