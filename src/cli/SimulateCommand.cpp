#include "SimulateCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitStatus.h"
#include "cli/PortOption.h"
#include "platform/Exception.h"
#include "platform/port/TPortAddress.h"
#include "simulator/TDoctor64.h"
#include "simulator/TDoctor64Peer.h"

#include <QCommandLineParser>
#include <QStringList>

#include <csignal>
#include <cstdio>

namespace {

const QCommandLineOption ListenOption(QStringLiteral("listen"),
    QStringLiteral("The Unix socket to listen on, for conveyor-cli send --peer SOCKET."),
    QStringLiteral("SOCKET"));
const QCommandLineOption OutOption(QStringLiteral("out"),
    QStringLiteral("The folder the received files go to."), QStringLiteral("DIR"));
const QCommandLineOption AckDelayOption(QStringLiteral("ack-delay"),
    QStringLiteral("Acknowledges each byte only after N control-register reads."),
    QStringLiteral("N"), QStringLiteral("0"));
const QCommandLineOption StallAfterOption(QStringLiteral("stall-after"),
    QStringLiteral("Stops acknowledging after N bytes of a stream."), QStringLiteral("N"));
const QCommandLineOption AbsentDeviceOption(
    QStringLiteral("absent"), QStringLiteral("Behaves as if no device were attached."));
const QCommandLineOption NoHandshakeOption(
    QStringLiteral("no-handshake"), QStringLiteral("Never answers the start handshake."));
const QCommandLineOption OnceOption(
    QStringLiteral("once"), QStringLiteral("Exits when the first client disconnects."));

volatile std::sig_atomic_t StopSignal = 0;

void RequestStop(int)
{
    StopSignal = 1;
}

bool ReadCount(const QString& text, qint64& count)
{
    bool ok = false;
    count = text.toLongLong(&ok);
    return ok && count >= 0;
}

// Interrupting signals end serving cleanly (socket removed, half-received file dropped);
// no SA_RESTART, so a blocked accept or receive returns and notices.
class TStopSignals
{
public:
    TStopSignals()
    {
        struct sigaction action
        {
        };
        action.sa_handler = RequestStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &FInterrupt);
        sigaction(SIGTERM, &action, &FTerminate);
    }
    ~TStopSignals()
    {
        sigaction(SIGINT, &FInterrupt, nullptr);
        sigaction(SIGTERM, &FTerminate, nullptr);
    }
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

private:
    struct sigaction FInterrupt
    {
    };
    struct sigaction FTerminate
    {
    };
};

int RunSimulate(const QCommandLineParser& parser)
{
    // The model may sit at any address: it touches no hardware.
    const TKernelPortList ports = KernelPorts();
    QString portError;
    const std::optional<std::uint16_t> base = ChosenAddress(parser, ports, &portError);
    if (!base)
        return UsageError(SimulateCommand, portError);
    const std::uint16_t address = *base;
    const QString portName = TPortAddress::Name(address, ports);
    qint64 ackDelay = 0;
    if (!ReadCount(parser.value(AckDelayOption), ackDelay) || ackDelay > 1000000000)
        return UsageError(SimulateCommand, QStringLiteral("--ack-delay needs a count of reads"));
    qint64 stallAfter = -1;
    if (parser.isSet(StallAfterOption) && !ReadCount(parser.value(StallAfterOption), stallAfter))
        return UsageError(SimulateCommand, QStringLiteral("--stall-after needs a count of bytes"));

    const QString folder = parser.value(OutOption);
    if (!MakeOutputFolder(folder))
        return ExitFailure;

    TDoctor64 device(folder, address);
    device.SetAcknowledgeLatency(static_cast<int>(ackDelay));
    device.SetStallAfter(stallAfter);
    device.SetAbsent(parser.isSet(AbsentDeviceOption));
    device.SetIgnoreHandshake(parser.isSet(NoHandshakeOption));
    device.SetOnFileEnded([](const TReceivedFile& file) {
        if (file.Complete)
            WriteText(stdout,
                QStringLiteral("Received %1 (%2 bytes)\n")
                    .arg(PrintableText(file.Name))
                    .arg(file.ReceivedBytes));
        else
            WriteText(stdout,
                QStringLiteral("Dropped %1 after %2 of %3 bytes\n")
                    .arg(PrintableText(file.Name))
                    .arg(file.ReceivedBytes)
                    .arg(file.DeclaredSize));
        std::fflush(stdout);
    });

    const TStopSignals stopSignals;
    StopSignal = 0;
    try {
        TDoctor64Peer peer(device, parser.value(ListenOption));
        peer.SetStopRequested([] { return StopSignal != 0; });
        WriteText(stdout,
            QStringLiteral("Simulating a Doctor64 on %1; listening on %2, storing files in %3\n")
                .arg(portName, PrintableText(parser.value(ListenOption)), PrintableText(folder)));
        std::fflush(stdout);

        int reported = device.Handshakes();
        // A stream that went wrong, or a file that could not be stored, is a failure of
        // the run for a caller that waits for one client.
        bool faulty = false;
        for (;;) {
            bool goOn = true;
            try {
                goOn = peer.ServeOne();
            } catch (const Exception& error) {
                // One bad client (or a full disk) ends its connection, not the simulator.
                ReportError(error.Message());
                faulty = true;
            }
            device.EndStream();
            // Which registers the client used, so that a sender aimed at some port can be
            // seen to have touched that port and nothing else.
            QStringList used;
            for (const std::uint16_t seen : device.AddressesSeen())
                used << TPortAddress::Text(seen);
            if (!used.isEmpty()) {
                std::printf("Registers accessed: %s\n", qPrintable(used.join(QLatin1Char(' '))));
                std::fflush(stdout);
            }
            device.ForgetAddresses();
            if (device.Handshakes() != reported) {
                reported = device.Handshakes();
                for (const QString& fault : device.StreamFaults()) {
                    WriteText(
                        stdout, QStringLiteral("Faulty stream: %1\n").arg(PrintableText(fault)));
                    faulty = true;
                }
                std::fflush(stdout);
            }
            if (!goOn || parser.isSet(OnceOption))
                break;
        }
        if (faulty && parser.isSet(OnceOption))
            return ExitFailure;
    } catch (const Exception& error) {
        ReportError(error.Message());
        return ExitFailure;
    }
    return ExitSuccess;
}

} // namespace

const TCommand SimulateCommand = {
    QStringLiteral("simulate"),
    QStringLiteral("Runs the Doctor64 simulator as a device peer on a Unix socket."),
    QStringLiteral("Runs the Doctor64 simulator as a device peer on the Unix socket SOCKET, for\n"
                   "conveyor-cli send --peer SOCKET. Received files are written to DIR; one line\n"
                   "per file tells its name and size, one line per fault of a stream that did\n"
                   "not end exactly after the files it announced, and after each client a line\n"
                   "names the registers it accessed."),
    { ListenOption, OutOption },
    { PortOption(), AckDelayOption, StallAfterOption, AbsentDeviceOption, NoHandshakeOption,
        OnceOption },
    {},
    RunSimulate,
};
