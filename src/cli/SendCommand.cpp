#include "SendCommand.h"

#include "EFOpenError.h"
#include "EPortTimeout.h"
#include "ExitStatus.h"
#include "PortOption.h"
#include "TDoctor64.h"
#include "TGameDoctor.h"
#include "TPortAddress.h"
#include "TProgressPrinter.h"
#include "TSocketPortIo.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

const QCommandLineOption StallOption(QStringLiteral("stall-after"),
    QStringLiteral("With --simulate: the simulated device stops acknowledging after N bytes of "
                   "the stream."),
    QStringLiteral("N"));

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

int RunSend(const QCommandLineParser& parser)
{
    const TKernelPortList ports = KernelPorts();
    QString portError;
    const std::optional<std::uint16_t> base = ChosenAddress(parser, ports, &portError);
    if (!base)
        return UsageError(SendCommand, portError);
    const QString portName = TPortAddress::Name(*base, ports);
    if (parser.isSet(SimulateOption()) && parser.isSet(PeerOption()))
        return UsageError(SendCommand, QStringLiteral("--simulate and --peer exclude each other"));
    if ((parser.isSet(AbsentOption()) || parser.isSet(StallOption))
        && !parser.isSet(SimulateOption()))
        return UsageError(
            SendCommand, QStringLiteral("--absent and --stall-after need --simulate"));
    qint64 stallAfter = -1;
    if (parser.isSet(StallOption)) {
        bool ok = false;
        stallAfter = parser.value(StallOption).toLongLong(&ok);
        if (!ok || stallAfter < 0)
            return UsageError(SendCommand, QStringLiteral("--stall-after needs a count of bytes"));
    }
    const QStringList files = parser.positionalArguments();

    // Every file is checked before the port is touched: a Doctor64 should not be left
    // with half a list because the third name had a typing error.
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "conveyor-cli: %s\n", EFOpenError(path).what());
            return ExitFailure;
        }
    }

    TGameDoctor doctor;
    AimAt(doctor, *base);
    std::unique_ptr<TDoctor64> simulator;
    std::unique_ptr<TSocketPortIo> peer;
    if (parser.isSet(SimulateOption())) {
        const QString folder = parser.value(SimulateOption());
        if (!QDir().mkpath(folder)) {
            std::fprintf(stderr, "conveyor-cli: Cannot create the folder %s\n", qPrintable(folder));
            return ExitFailure;
        }
        simulator = std::make_unique<TDoctor64>(folder, doctor.PortAddress());
        simulator->SetAbsent(parser.isSet(AbsentOption()));
        simulator->SetStallAfter(stallAfter);
        doctor.SetPortIo(simulator.get());
    } else if (parser.isSet(PeerOption())) {
        peer = std::make_unique<TSocketPortIo>(parser.value(PeerOption()));
        doctor.SetPortIo(peer.get());
    }

    TProgressPrinter printer(stderr, ::isatty(STDERR_FILENO) != 0, files, portName);
    doctor.SetOnProgress(
        [&printer](TGameDoctorAction action, const QString& fileName, std::uint8_t fileNumber,
            std::uint8_t progress) { printer.Event(action, fileName, fileNumber, progress); });
    doctor.SetOnTimeout([&printer] { printer.Finish(); });
    doctor.SetTimeoutMessage([base = *base] { return TGameDoctor::TimeoutTextAt(base); });

    try {
        doctor.SendFiles(files);
    } catch (const EPortTimeout& error) {
        printer.Finish();
        std::fprintf(stderr, "%s\n", error.what());
        return ExitNoDevice;
    } catch (const Exception& error) {
        printer.Finish();
        std::fprintf(stderr, "conveyor-cli: %s\n", error.what());
        return ExitFailure;
    }
    printer.Finish();

    const double seconds = printer.ElapsedSeconds();
    std::printf("Delivered %lld file%s (%llu bytes) on %s in %.1f s\n",
        static_cast<long long>(files.size()), files.size() == 1 ? "" : "s",
        static_cast<unsigned long long>(printer.TotalBytes()), qPrintable(portName), seconds);
    if (simulator)
        ReportSimulator(*simulator);
    return ExitSuccess;
}

} // namespace

const TCommand SendCommand = {
    QStringLiteral("send"),
    QStringLiteral("Delivers image files to a Doctor64 as one transfer."),
    QStringLiteral("Delivers the files to a Doctor64 as one transfer. Without --simulate or\n"
                   "--peer the real port is used; that needs the cap_sys_rawio capability the\n"
                   "installed program holds, and for a port the kernel manages membership of\n"
                   "the group that owns its /dev/parportN (usually lp).\n"
                   "Exit status: 0 delivered, 3 no Doctor64 answered, 1 any other failure,\n"
                   "2 wrong usage."),
    {},
    { PortOption(), SimulateOption(), PeerOption(), AbsentOption(), StallOption },
    { { QStringLiteral("FILE"), QStringLiteral("An image file to deliver."), true } },
    RunSend,
};
