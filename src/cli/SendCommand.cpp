#include "SendCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitStatus.h"
#include "cli/PortOption.h"
#include "cli/TProgressPrinter.h"
#include "cli/TSendOutcome.h"
#include "cli/WatchAndSend.h"
#include "device/EPortTimeout.h"
#include "device/TGameDoctor.h"
#include "platform/Exception.h"
#include "platform/RawText.h"
#include "platform/port/THardwarePortIo.h"
#include "platform/port/TPortAddress.h"
#include "simulator/TAttachedDevice.h"
#include "simulator/TDoctor64.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QHash>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

const QCommandLineOption StallOption(QStringLiteral("stall-after"),
    QStringLiteral("With --simulate: the simulated device stops acknowledging after N bytes of "
                   "the stream."),
    QStringLiteral("N"));

const QCommandLineOption WatchOption(QStringLiteral("watch"),
    QStringLiteral("Delivers the file, then again each time it is written or replaced and has "
                   "stayed unchanged for half a second, until Ctrl+C."));

// The most files one transfer can announce: the count is a single byte, and 256 would
// announce none.
constexpr qsizetype MaxFiles = 255;

// The simulator's line for each file it took.
QString SimulatorReport(const TDoctor64& device)
{
    QString report;
    for (const TReceivedFile& file : device.Files()) {
        // The names come from the stream, so they may hold any byte.
        if (file.Complete)
            report += QStringLiteral("Simulator stored %1 (%2 bytes) in %3\n")
                          .arg(PrintableText(file.Name))
                          .arg(file.ReceivedBytes)
                          .arg(PrintableText(device.OutputFolder()));
        else
            report += QStringLiteral("Simulator dropped %1 after %2 of %3 bytes\n")
                          .arg(PrintableText(file.Name))
                          .arg(file.ReceivedBytes)
                          .arg(file.DeclaredSize);
    }
    return report;
}

// Refuses a list that could not go out whole, before the port is touched: a Doctor64
// should not be left holding half a list because of its third file. Returns the message.
// The files were opened and checked once (TGameDoctor::CheckFiles); a file that is missing
// is refused here too.
QString CheckList(const TGameDoctor::TCheckedFiles& files)
{
    if (files.Paths.size() > MaxFiles)
        return QStringLiteral("At most %1 files go in one transfer (the count is one byte); "
                              "%2 were given")
            .arg(MaxFiles)
            .arg(files.Paths.size());
    QHash<QByteArray, QString> names;
    for (std::size_t i = 0; i < files.Readers.size(); ++i) {
        const QString& path = files.Paths.at(qsizetype(i));
        if (!files.Readers[i]) {
            try {
                std::rethrow_exception(files.OpenErrors[i]);
            } catch (const Exception& error) {
                return error.Message();
            }
        }
        const QString imageName = files.Readers[i]->ImageName();
        const QByteArray field = TGameDoctor::FormatDeviceName(imageName);
        const auto earlier = names.constFind(field);
        if (earlier != names.constEnd())
            return QStringLiteral("%1 and %2 would both reach the device as %3")
                .arg(*earlier, path, TDoctor64::FileNameFor(field));
        names.insert(field, path);
    }
    return QString();
}

// One delivery of the list, checked first: the exit status and the line that tells how it
// ended. stopRequested, asked after every block, ends the transfer there.
TSendOutcome DeliverFiles(const QCommandLineParser& parser, std::uint16_t base,
    const QString& portName, TGameDoctor::TCheckedFiles files, qint64 stallAfter,
    const std::function<bool()>& stopRequested)
{
    const QString refusal = CheckList(files);
    if (!refusal.isEmpty())
        return { ExitFailure, refusal, false, {} };

    TGameDoctor doctor;
    doctor.SetPortChoice(TPortChoice::ForBase(base));
    const std::unique_ptr<THardwarePortIo> hardware = HardwarePort();
    std::unique_ptr<TAttachedDevice> device;
    try {
        device = std::make_unique<TAttachedDevice>(parser.value(TAttachedDevice::SimulateOption()),
            parser.value(TAttachedDevice::PeerOption()), doctor.PortAddress());
    } catch (const Exception& error) {
        return { ExitFailure, error.Message(), false, {} };
    }
    TDoctor64* const simulator = device->Simulator();
    if (simulator) {
        // A watch ends at Ctrl+C itself, between blocks, and the simulator then drops the
        // half file as it goes.
        if (!stopRequested)
            TDoctor64::RemovePartOnInterrupt();
        simulator->SetAbsent(parser.isSet(AbsentOption()));
        simulator->SetStallAfter(stallAfter);
    }
    doctor.SetPortIo(device->PortIo() ? device->PortIo() : hardware.get());

    std::uint64_t total = 0;
    for (const auto& reader : files.Readers)
        total += reader ? std::uint64_t(reader->Size()) : 0;
    const qsizetype count = files.Paths.size();
    TProgressPrinter printer(stderr, ::isatty(STDERR_FILENO) != 0, total, portName, doctor);
    doctor.SetOnProgress(
        [&printer, &stopRequested](TGameDoctorAction action, const QString& fileName,
            std::uint8_t fileNumber, std::uint8_t progress) {
            printer.Event(action, fileName, fileNumber, progress);
            if (stopRequested && stopRequested())
                throw Exception(QStringLiteral("stopped by Ctrl+C during the delivery"));
        });
    doctor.SetOnTimeout([&printer] { printer.Finish(); });

    try {
        doctor.SendCheckedFiles(std::move(files));
    } catch (const EPortTimeout& error) {
        printer.Finish();
        return { ExitNoDevice, error.Message(), false, {} };
    } catch (const Exception& error) {
        printer.Finish();
        return { ExitFailure, error.Message(), false, {} };
    }
    printer.Finish();

    if (simulator) {
        // The sender is done: what the device holds now is all it will get.
        simulator->EndStream();
        const QStringList faults = simulator->StreamFaults();
        if (!faults.isEmpty()) {
            WriteText(stdout, SimulatorReport(*simulator));
            for (const QString& fault : faults)
                ReportError(
                    QStringLiteral("the simulator received a faulty stream: %1").arg(fault));
            return { ExitFailure, QStringLiteral("the simulator received a faulty stream"), true,
                {} };
        }
    }
    const QString done = QStringLiteral("Delivered %1 file%2 (%3 bytes) on %4 in %5 s")
                             .arg(count)
                             .arg(count == 1 ? QString() : QStringLiteral("s"))
                             .arg(doctor.SentBytes())
                             .arg(portName)
                             .arg(printer.ElapsedSeconds(), 0, 'f', 1);
    return { ExitSuccess, done, false, simulator ? SimulatorReport(*simulator) : QString() };
}

int RunSend(const QCommandLineParser& parser)
{
    const TKernelPortList ports = KernelPorts();
    QString portError;
    const std::optional<std::uint16_t> base = ChosenAddress(parser, ports, &portError);
    if (!base)
        return UsageError(SendCommand, portError);
    const QString portName = TPortAddress::Name(*base, ports);
    const QCommandLineOption simulate = TAttachedDevice::SimulateOption();
    const QCommandLineOption peer = TAttachedDevice::PeerOption();
    if (parser.isSet(simulate) && parser.isSet(peer))
        return UsageError(SendCommand, TAttachedDevice::ClashText());
    if ((parser.isSet(AbsentOption()) || parser.isSet(StallOption)) && !parser.isSet(simulate))
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
    if (parser.isSet(WatchOption) && files.size() != 1)
        return UsageError(SendCommand, QStringLiteral("--watch takes exactly one file"));

    // A watch goes on after a refusal: the next write may mend the file. Without one the
    // files are checked once, here, and sent from what the check opened.
    TGameDoctor::TCheckedFiles checked;
    if (!parser.isSet(WatchOption)) {
        try {
            checked = TGameDoctor::CheckFiles(files);
        } catch (const Exception& error) {
            ReportError(error.Message());
            return ExitFailure;
        }
        const QString refusal = CheckList(checked);
        if (!refusal.isEmpty()) {
            ReportError(refusal);
            return ExitFailure;
        }
    }
    for (const QString& path : files) {
        const QString name = QFileInfo(path).fileName();
        const QString deviceName = TDoctor64::FileNameFor(TGameDoctor::FormatDeviceName(path));
        if (deviceName != name.toUpper())
            WriteText(stdout,
                QStringLiteral("%1 reaches the device as %2\n")
                    .arg(PrintableText(name), PrintableText(deviceName)));
    }
    std::fflush(stdout);

    if (parser.isSet(WatchOption))
        return WatchAndSend(files.constFirst(), [&](const std::function<bool()>& stopRequested) {
            TGameDoctor::TCheckedFiles round;
            try {
                round = TGameDoctor::CheckFiles(files);
            } catch (const Exception& error) {
                return TSendOutcome { ExitFailure, error.Message(), false, {} };
            }
            return DeliverFiles(
                parser, *base, portName, std::move(round), stallAfter, stopRequested);
        });

    const TSendOutcome outcome
        = DeliverFiles(parser, *base, portName, std::move(checked), stallAfter, {});
    if (!outcome.Reported) {
        if (outcome.Status == ExitSuccess) {
            // Kept, so that output that cannot be written still names what was delivered.
            WriteOutcome(outcome.Text);
            WriteText(stdout, outcome.Report);
        } else {
            ReportError(outcome.Text);
        }
    }
    return outcome.Status;
}

} // namespace

const TCommand SendCommand = {
    QStringLiteral("send"),
    QStringLiteral("Delivers image files to a Doctor64 as one transfer."),
    QStringLiteral("Delivers the files to a Doctor64 as one transfer. Without --simulate or\n"
                   "--peer the real port is used; that needs the cap_sys_rawio capability the\n"
                   "installed program holds, and for a port the kernel manages membership of\n"
                   "the group that owns its /dev/parportN (usually lp).\n"
                   "Every file is checked first: at most 255 regular files, none larger than\n"
                   "2147483647 bytes, no two with the same name on the device. Images in any\n"
                   "byte order go out in the device's order; a name that does not fit the\n"
                   "device's 8 + 3 characters is shortened, and send says so.\n"
                   "With --simulate, a stream the simulator did not receive exactly as announced\n"
                   "is a failure.\n"
                   "With --watch (one file) send delivers it again whenever it is written again\n"
                   "in place or replaced by a rename and has then stayed unchanged for half a\n"
                   "second, printing one line per round with the time and the result; a failed\n"
                   "round says why and waits for the next change. Ctrl+C ends the watch, and a\n"
                   "delivery under way at the end of its block (status 1 then, else 0).\n"
                   "Exit status: 0 delivered, 3 no Doctor64 answered, 1 any other failure,\n"
                   "2 wrong usage."),
    {},
    { PortOption(), TAttachedDevice::SimulateOption(), TAttachedDevice::PeerOption(),
        AbsentOption(), StallOption, WatchOption },
    { { QStringLiteral("FILE"), QStringLiteral("An image file to deliver."), true } },
    RunSend,
};
