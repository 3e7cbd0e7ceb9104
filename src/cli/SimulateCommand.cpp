#include "SimulateCommand.h"

#include "Exception.h"
#include "TDoctor64.h"
#include "TDoctor64Peer.h"
#include "TGameDoctor.h"

#include <QCommandLineParser>
#include <QDir>

#include <csignal>
#include <cstdio>

namespace {

constexpr int ExitDone = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

const char* const SimulateUsage
    = "Usage: conveyor-cli simulate --listen SOCKET --out DIR [--port lpt1|lpt2]\n"
      "                             [--ack-delay N] [--stall-after N] [--absent]\n"
      "                             [--no-handshake] [--once]\n"
      "\n"
      "Runs the Doctor64 simulator as a device peer on the Unix socket SOCKET, for\n"
      "conveyor-cli send --peer SOCKET. Received files are written to DIR; one line per\n"
      "file tells its name and size.\n"
      "  --port lpt1|lpt2   the port the device hangs on (lpt1, 0x378, by default)\n"
      "  --ack-delay N      acknowledge each byte only after N control-register reads\n"
      "  --stall-after N    stop acknowledging after N bytes of a stream\n"
      "  --absent           behave as if no device were attached\n"
      "  --no-handshake     never answer the start handshake\n"
      "  --once             exit when the first client disconnects\n";

volatile std::sig_atomic_t StopSignal = 0;

void RequestStop(int)
{
    StopSignal = 1;
}

int UsageError(const QString& message)
{
    std::fprintf(stderr, "conveyor-cli simulate: %s\n\n%s", qPrintable(message), SimulateUsage);
    return ExitUsage;
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

} // namespace

int SimulateCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption listenOption(
        QStringLiteral("listen"), QString(), QStringLiteral("socket"));
    const QCommandLineOption outOption(QStringLiteral("out"), QString(), QStringLiteral("dir"));
    const QCommandLineOption portOption(
        QStringLiteral("port"), QString(), QStringLiteral("port"), QStringLiteral("lpt1"));
    const QCommandLineOption ackDelayOption(
        QStringLiteral("ack-delay"), QString(), QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption stallOption(
        QStringLiteral("stall-after"), QString(), QStringLiteral("n"));
    const QCommandLineOption absentOption(QStringLiteral("absent"));
    const QCommandLineOption noHandshakeOption(QStringLiteral("no-handshake"));
    const QCommandLineOption onceOption(QStringLiteral("once"));
    const QCommandLineOption helpOption(
        QStringList { QStringLiteral("h"), QStringLiteral("help") });
    parser.addOptions({ listenOption, outOption, portOption, ackDelayOption, stallOption,
        absentOption, noHandshakeOption, onceOption, helpOption });
    if (!parser.parse(QStringList { QStringLiteral("simulate") } + arguments))
        return UsageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(SimulateUsage, stdout);
        return ExitDone;
    }
    if (!parser.positionalArguments().isEmpty())
        return UsageError(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    if (!parser.isSet(listenOption) || !parser.isSet(outOption))
        return UsageError(QStringLiteral("--listen and --out are required"));

    const QString portName = parser.value(portOption).toLower();
    std::uint16_t address;
    if (portName == QLatin1String("lpt1"))
        address = TGameDoctor::LPT1Address;
    else if (portName == QLatin1String("lpt2"))
        address = TGameDoctor::LPT2Address;
    else
        return UsageError(QStringLiteral("unknown port '%1'").arg(parser.value(portOption)));
    qint64 ackDelay = 0;
    if (!ReadCount(parser.value(ackDelayOption), ackDelay) || ackDelay > 1000000000)
        return UsageError(QStringLiteral("--ack-delay needs a count of reads"));
    qint64 stallAfter = -1;
    if (parser.isSet(stallOption) && !ReadCount(parser.value(stallOption), stallAfter))
        return UsageError(QStringLiteral("--stall-after needs a count of bytes"));

    const QString folder = parser.value(outOption);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "conveyor-cli: Cannot create the folder %s\n", qPrintable(folder));
        return ExitFailed;
    }

    TDoctor64 device(folder, address);
    device.SetAcknowledgeLatency(static_cast<int>(ackDelay));
    device.SetStallAfter(stallAfter);
    device.SetAbsent(parser.isSet(absentOption));
    device.SetIgnoreHandshake(parser.isSet(noHandshakeOption));
    device.SetOnFileEnded([](const TReceivedFile& file) {
        if (file.Complete)
            std::printf("Received %s (%llu bytes)\n", qPrintable(file.Name),
                static_cast<unsigned long long>(file.ReceivedBytes));
        else
            std::printf("Dropped %s after %llu of %u bytes\n", qPrintable(file.Name),
                static_cast<unsigned long long>(file.ReceivedBytes), file.DeclaredSize);
        std::fflush(stdout);
    });

    const TStopSignals stopSignals;
    StopSignal = 0;
    try {
        TDoctor64Peer peer(device, parser.value(listenOption));
        peer.SetStopRequested([] { return StopSignal != 0; });
        std::printf("Simulating a Doctor64 on %s; listening on %s, storing files in %s\n",
            qPrintable(portName.toUpper()), qPrintable(parser.value(listenOption)),
            qPrintable(folder));
        std::fflush(stdout);

        int reported = device.Handshakes();
        for (;;) {
            bool goOn = true;
            try {
                goOn = peer.ServeOne();
            } catch (const Exception& error) {
                // One bad client (or a full disk) ends its connection, not the simulator.
                std::fprintf(stderr, "conveyor-cli: %s\n", error.what());
            }
            device.EndStream();
            if (device.Handshakes() != reported) {
                reported = device.Handshakes();
                if (!device.StreamError().isEmpty())
                    std::printf("%s\n", qPrintable(device.StreamError()));
                if (device.TrailingBytes() > 0)
                    std::printf("Trailing bytes after the last file: %llu\n",
                        static_cast<unsigned long long>(device.TrailingBytes()));
                std::fflush(stdout);
            }
            if (!goOn || parser.isSet(onceOption))
                break;
        }
    } catch (const Exception& error) {
        std::fprintf(stderr, "conveyor-cli: %s\n", error.what());
        return ExitFailed;
    }
    return ExitDone;
}
