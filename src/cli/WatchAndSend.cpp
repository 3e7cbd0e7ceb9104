#include "WatchAndSend.h"

#include "cli/CliOutput.h"
#include "cli/ExitStatus.h"
#include "platform/Exception.h"
#include "platform/TFileWatch.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTime>

#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

// How long the file must stay unchanged before it goes out: a linker or an editor writes in
// several steps, and a round on half a file would only fail.
constexpr int QuietMs = 500;
// The longest wait without a look at the stop flag: a signal that comes just before a wait
// begins does not cut it short.
constexpr int SliceMs = 200;

volatile std::sig_atomic_t WatchStopSignal = 0;

void RequestWatchStop(int)
{
    WatchStopSignal = 1;
}

// Ctrl+C and SIGTERM set the flag for the life of the watch, and cut a wait short (no
// SA_RESTART); the former handlers come back afterwards.
class TWatchStopSignals
{
public:
    TWatchStopSignals()
    {
        WatchStopSignal = 0;
        struct sigaction action = {};
        action.sa_handler = RequestWatchStop;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &FOldInt);
        ::sigaction(SIGTERM, &action, &FOldTerm);
    }
    ~TWatchStopSignals()
    {
        ::sigaction(SIGINT, &FOldInt, nullptr);
        ::sigaction(SIGTERM, &FOldTerm, nullptr);
    }
    TWatchStopSignals(const TWatchStopSignals&) = delete;
    TWatchStopSignals& operator=(const TWatchStopSignals&) = delete;

    static bool Raised() { return WatchStopSignal != 0; }

private:
    struct sigaction FOldInt = {};
    struct sigaction FOldTerm = {};
};

void PrintLine(const QString& text)
{
    WriteText(stdout,
        QTime::currentTime().toString(QStringLiteral("HH:mm:ss ")) + PrintableText(text)
            + QLatin1Char('\n'));
    std::fflush(stdout);
}

// One round: the delivery and its line. False when Ctrl+C cut it short.
bool Round(const TWatchRound& deliver)
{
    const TSendOutcome outcome = deliver([] { return TWatchStopSignals::Raised(); });
    if (outcome.Status == ExitSuccess) {
        PrintLine(outcome.Text);
        WriteText(stdout, outcome.Report);
        std::fflush(stdout);
        return true;
    }
    if (TWatchStopSignals::Raised()) {
        PrintLine(QStringLiteral("Not delivered: %1").arg(outcome.Text));
        return false;
    }
    PrintLine(outcome.Text.isEmpty()
            ? QStringLiteral("Not delivered (waiting for the next change)")
            : QStringLiteral("Not delivered: %1 (waiting for the next change)").arg(outcome.Text));
    return true;
}

enum TWaitEnd
{
    weChanged,
    weStopped
};

// Waits for a change of the file and then for half a second without one.
TWaitEnd WaitForSettledChange(TFileWatch& watch)
{
    while (watch.Wait(SliceMs) != TFileWatch::wrChanged)
        if (TWatchStopSignals::Raised())
            return weStopped;
    QElapsedTimer quiet;
    quiet.start();
    for (;;) {
        if (TWatchStopSignals::Raised())
            return weStopped;
        const qint64 left = QuietMs - quiet.elapsed();
        if (left <= 0)
            return weChanged;
        if (watch.Wait(static_cast<int>(std::min<qint64>(left, SliceMs))) == TFileWatch::wrChanged)
            quiet.restart();
    }
}

} // namespace

int WatchAndSend(const QString& path, const TWatchRound& deliver)
{
    const TWatchStopSignals stopSignals;
    try {
        // Watching starts before the first round, so a write during it is not missed.
        TFileWatch watch(path);
        if (!Round(deliver))
            return ExitFailure;
        WriteText(stdout,
            QStringLiteral("Watching %1 for changes; Ctrl+C ends.\n")
                .arg(PrintableText(QFileInfo(path).fileName())));
        std::fflush(stdout);
        while (WaitForSettledChange(watch) == weChanged)
            if (!Round(deliver))
                return ExitFailure;
    } catch (const Exception& error) {
        ReportError(error.Message());
        return ExitFailure;
    }
    PrintLine(QStringLiteral("Stopped watching"));
    return ExitSuccess;
}
