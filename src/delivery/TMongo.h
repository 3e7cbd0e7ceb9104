#pragma once

#include "delivery/TDeliveryClock.h"
#include "delivery/TDeliveryRow.h"
#include "delivery/TDeliveryStatistics.h"
#include "device/TGameDoctor.h"
#include "framework/TThread.h"

#include <QString>

#include <cstdint>
#include <optional>

class TClock;
class TDeliveryHost;

// The delivery job: one delivery of the selected catalogue row to the Doctor64, from the
// "Deliver" button to the completion signal or the time-out. The owner creates it once and
// never starts it as a thread; StartDelivery runs its body directly on the user-interface
// thread, and the steps it synchronizes run there at once.
//
// The job keeps the delivery's progress values: the latest progress and the clock of the
// statistics. While a delivery runs, the message queue is pumped once after every block,
// so the user may act between blocks: "Stop" in the progress window ends the delivery at the
// end of the block ("Deliver" is disabled meanwhile; a press that still arrives only shows
// the sending text, because a second transfer on the same port inside the first would
// garble both streams).
class TMongo : public TThread
{
public:
    // The host, the transfer component and the clock must outlive the job.
    TMongo(TDeliveryHost& host, TGameDoctor& gameDoctor, const TClock& clock);

    // What the "Deliver" button does. Raises whatever the delivery raised, after the progress
    // window was closed.
    void StartDelivery();
    // The body: the progress window prepared, the file sent, the completion signal. Only
    // StartDelivery runs it, with the row it took.
    void Execute() override;
    // The transfer's progress handler.
    void ProgressChanged(
        TGameDoctorAction action, QString fileName, std::uint8_t fileNumber, std::uint8_t progress);
    // The transfer's time-out hook: runs before the time-out is raised.
    void EndDelivery();
    // Ends a running delivery at the end of the block being sent, without an error box:
    // the program is closing. Nothing happens when no delivery runs.
    void Abandon();

    bool Delivering() const { return FDelivering; }
    const TDeliveryClock& Clock() const { return FClock; }
    // The row of the delivery running or of the last one, and the path of its file.
    const TDeliveryRow& Row() const { return FRow; }
    const QString& Path() const { return FRow.Path; }

    // " Sending " + image name + "(" + file name + ")" + " ... ".
    static QString SendingText(const TDeliveryRow& row);

private:
    void PrepareDelivery();
    void UpdateProgress();
    void UpdateStatistics();

    TDeliveryHost& FHost;
    TGameDoctor& FGameDoctor;
    TDeliveryClock FClock;
    std::uint8_t FLastProgress = 0;
    bool FDelivering = false;
    bool FAbandoned = false;
    // The user's "Stop" ended the delivery.
    bool FStopped = false;
    TDeliveryRow FRow;
    QString FSendingText;
    // The figures last worked out in this delivery, with the progress and seconds they
    // were worked out from.
    std::optional<TDeliveryStatistics> FFigures;
    int FShownProgress = -1;
    qint32 FShownSeconds = -1;
};
