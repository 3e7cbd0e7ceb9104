#include "SendCommand.h"

#include "EFOpenError.h"
#include "EPortTimeout.h"
#include "TDoctor64.h"
#include "TGameDoctor.h"
#include "TProgressPrinter.h"
#include "TSocketPortIo.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

constexpr int ExitDelivered = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;
constexpr int ExitNoDevice = 3;

const char* const SendUsage
    = "Usage: conveyor-cli send [--port lpt1|lpt2] [--simulate DIR | --peer SOCKET] FILE...\n"
      "       conveyor-cli send [--port lpt1|lpt2] --simulate DIR [--absent] [--stall-after N]\n"
      "                         FILE...\n"
      "\n"
      "Delivers the files to a Doctor64 as one transfer.\n"
      "  --port lpt1|lpt2  the parallel port: lpt1 at 0x378 (the default) or lpt2 at 0x278\n"
      "  --simulate DIR    deliver to the built-in Doctor64 simulator, which stores the\n"
      "                    received files in DIR\n"
      "  --peer SOCKET     deliver through the virtual port to a device model listening on\n"
      "                    the Unix socket SOCKET (see conveyor-cli simulate)\n"
      "  --absent          (with --simulate) the simulated device is not attached\n"
      "  --stall-after N   (with --simulate) the simulated device stops acknowledging\n"
      "                    after N bytes of the stream\n"
      "Without --simulate or --peer the real port is used; that needs root rights or the\n"
      "cap_sys_rawio capability.\n"
      "Exit status: 0 delivered, 3 no Doctor64 answered, 1 any other failure, 2 wrong usage.\n";

int UsageError(const QString& message)
{
    std::fprintf(stderr, "conveyor-cli send: %s\n\n%s", qPrintable(message), SendUsage);
    return ExitUsage;
}

void ReportSimulator(const TDoctor64& device)
{
    for (const TReceivedFile& file : device.Files()) {
        if (file.Complete)
            std::printf("Simulator stored %s (%llu bytes) in %s\n", qPrintable(file.Name),
                static_cast<unsigned long long>(file.ReceivedBytes),
                qPrintable(device.OutputFolder()));
        else
            std::printf("Simulator dropped %s after %llu of %u bytes\n", qPrintable(file.Name),
                static_cast<unsigned long long>(file.ReceivedBytes), file.DeclaredSize);
    }
    if (!device.StreamError().isEmpty())
        std::printf("Simulator: %s\n", qPrintable(device.StreamError()));
    if (device.TrailingBytes() > 0)
        std::printf("Simulator counted %llu trailing bytes after the last file\n",
            static_cast<unsigned long long>(device.TrailingBytes()));
}

} // namespace

int SendCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption portOption(
        QStringLiteral("port"), QString(), QStringLiteral("port"), QStringLiteral("lpt1"));
    const QCommandLineOption simulateOption(
        QStringLiteral("simulate"), QString(), QStringLiteral("dir"));
    const QCommandLineOption peerOption(
        QStringLiteral("peer"), QString(), QStringLiteral("socket"));
    const QCommandLineOption absentOption(QStringLiteral("absent"));
    const QCommandLineOption stallOption(
        QStringLiteral("stall-after"), QString(), QStringLiteral("n"));
    const QCommandLineOption helpOption(
        QStringList { QStringLiteral("h"), QStringLiteral("help") });
    parser.addOptions(
        { portOption, simulateOption, peerOption, absentOption, stallOption, helpOption });
    if (!parser.parse(QStringList { QStringLiteral("send") } + arguments))
        return UsageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(SendUsage, stdout);
        return ExitDelivered;
    }

    const QString portName = parser.value(portOption).toLower();
    TParallelPort port;
    if (portName == QLatin1String("lpt1"))
        port = ppLPT1;
    else if (portName == QLatin1String("lpt2"))
        port = ppLPT2;
    else
        return UsageError(QStringLiteral("unknown port '%1'").arg(parser.value(portOption)));
    if (parser.isSet(simulateOption) && parser.isSet(peerOption))
        return UsageError(QStringLiteral("--simulate and --peer exclude each other"));
    if ((parser.isSet(absentOption) || parser.isSet(stallOption)) && !parser.isSet(simulateOption))
        return UsageError(QStringLiteral("--absent and --stall-after need --simulate"));
    qint64 stallAfter = -1;
    if (parser.isSet(stallOption)) {
        bool ok = false;
        stallAfter = parser.value(stallOption).toLongLong(&ok);
        if (!ok || stallAfter < 0)
            return UsageError(QStringLiteral("--stall-after needs a count of bytes"));
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return UsageError(QStringLiteral("no file to send"));

    // Every file is checked before the port is touched: a Doctor64 should not be left
    // with half a list because the third name had a typing error.
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "conveyor-cli: %s\n", EFOpenError(path).what());
            return ExitFailed;
        }
    }

    TGameDoctor doctor;
    doctor.SetPort(port);
    std::unique_ptr<TDoctor64> simulator;
    std::unique_ptr<TSocketPortIo> peer;
    if (parser.isSet(simulateOption)) {
        const QString folder = parser.value(simulateOption);
        if (!QDir().mkpath(folder)) {
            std::fprintf(stderr, "conveyor-cli: Cannot create the folder %s\n", qPrintable(folder));
            return ExitFailed;
        }
        simulator = std::make_unique<TDoctor64>(folder, doctor.PortAddress());
        simulator->SetAbsent(parser.isSet(absentOption));
        simulator->SetStallAfter(stallAfter);
        doctor.SetPortIo(simulator.get());
    } else if (parser.isSet(peerOption)) {
        peer = std::make_unique<TSocketPortIo>(parser.value(peerOption));
        doctor.SetPortIo(peer.get());
    }

    TProgressPrinter printer(stderr, ::isatty(STDERR_FILENO) != 0, files, portName.toUpper());
    doctor.SetOnProgress(
        [&printer](TGameDoctorAction action, const QString& fileName, std::uint8_t fileNumber,
            std::uint8_t progress) { printer.Event(action, fileName, fileNumber, progress); });
    doctor.SetOnTimeout([&printer] { printer.Finish(); });
    doctor.SetTimeoutMessage([port] { return TGameDoctor::TimeoutText(port); });

    try {
        doctor.SendFiles(files);
    } catch (const EPortTimeout& error) {
        printer.Finish();
        std::fprintf(stderr, "%s\n", error.what());
        return ExitNoDevice;
    } catch (const Exception& error) {
        printer.Finish();
        std::fprintf(stderr, "conveyor-cli: %s\n", error.what());
        return ExitFailed;
    }
    printer.Finish();

    const double seconds = printer.ElapsedSeconds();
    std::printf("Delivered %lld file%s (%llu bytes) on %s in %.1f s\n",
        static_cast<long long>(files.size()), files.size() == 1 ? "" : "s",
        static_cast<unsigned long long>(printer.TotalBytes()), qPrintable(portName.toUpper()),
        seconds);
    if (simulator)
        ReportSimulator(*simulator);
    return ExitDelivered;
}
