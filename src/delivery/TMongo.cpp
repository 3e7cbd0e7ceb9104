#include "TMongo.h"

#include "catalogue/StatusTexts.h"
#include "delivery/TDeliveryHost.h"
#include "delivery/TDeliveryStatistics.h"
#include "device/EPortTimeout.h"
#include "framework/EAbort.h"

#include <QScopeGuard>

namespace {

const QString CheckingPort = QStringLiteral(" Checking port...");
const QString TimedOutDone = QStringLiteral("  Done... ");
const QString StoppedText = QStringLiteral(" Delivery stopped");
const QString FailedText = QStringLiteral(" Delivery failed");

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

TMongo::TMongo(TDeliveryHost& host, TGameDoctor& gameDoctor, const TClock& clock)
    : FHost(host)
    , FGameDoctor(gameDoctor)
    , FClock(clock)
{
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
    if (row.FileName.isEmpty() || row.Path.isEmpty()) {
        FHost.SetStatusText(NoFileSelectedText());
        return;
    }
    // The texts and the size shown while the delivery runs are those of the row it sends,
    // whatever the user selects meanwhile.
    FRow = row;
    FSendingText = SendingText(row);
    FFigures.reset();
    FShownProgress = -1;
    FShownSeconds = -1;

    const TDeliveringFlag delivering(FDelivering);
    FAbandoned = false;
    FStopped = false;
    // However the delivery ends, its progress window goes (it has no close button and would
    // otherwise stay until the next delivery) and "Deliver" may be pressed again.
    const auto ended = qScopeGuard([this] { FHost.ProgressEnds(); });
    try {
        Execute();
    } catch (const EAbort&) {
        // Stopped between two blocks; no box follows. A program that is closing says nothing.
        if (FStopped)
            FHost.SetStatusText(StoppedText);
        throw;
    } catch (const EPortTimeout&) {
        // The time-out hook has shown its own end text.
        throw;
    } catch (...) {
        // The error box tells why; the status line must not go on saying the delivery runs.
        FHost.SetStatusText(FailedText);
        throw;
    }
}

void TMongo::Execute()
{
    Synchronize([this] { PrepareDelivery(); });
    FGameDoctor.SendFile(FRow.Path);
    Synchronize([this] { FHost.CompletionSignal(); });
}

void TMongo::PrepareDelivery()
{
    FHost.ProgressBegins();
    FGameDoctor.SetOnProgress([this](TGameDoctorAction action, QString fileName,
                                  std::uint8_t fileNumber, std::uint8_t progress) {
        ProgressChanged(action, std::move(fileName), fileNumber, progress);
    });
    FGameDoctor.SetOnTimeout([this] { EndDelivery(); });
    FHost.SetStatusText(CheckingPort);
}

void TMongo::ProgressChanged(TGameDoctorAction, QString, std::uint8_t, std::uint8_t progress)
{
    FLastProgress = progress;
    Synchronize([this] { UpdateProgress(); });
}

void TMongo::UpdateProgress()
{
    if (FLastProgress > 1)
        FHost.SetStatusText(FSendingText);
    UpdateStatistics();
    FHost.ProgressAt(FLastProgress, *FFigures);
    // The one place a delivery lets the user interface run: between two blocks, never inside
    // a port wait.
    FHost.ProcessMessages();
    // The user pressed "Stop" or closed the program meanwhile: the transfer ends here,
    // between two blocks, and the port is given back on the way out.
    if (FAbandoned)
        throw EAbort();
    if (FHost.StopRequested()) {
        FStopped = true;
        throw EAbort();
    }
}

void TMongo::UpdateStatistics()
{
    FClock.Update();
    // The figures follow from the progress and the seconds alone, and most blocks change
    // neither; working them out again would only take time from the transfer.
    const qint32 seconds = FClock.ElapsedSeconds();
    if (FFigures && FLastProgress == FShownProgress && seconds == FShownSeconds)
        return;
    FShownProgress = FLastProgress;
    FShownSeconds = seconds;
    FFigures.emplace(FLastProgress, seconds, FRow.SizeText);
}

void TMongo::Abandon()
{
    if (FDelivering)
        FAbandoned = true;
}

void TMongo::EndDelivery()
{
    FHost.SetStatusText(TimedOutDone);
    FHost.ProgressEnds();
}
