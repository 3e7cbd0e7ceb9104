#include "SendCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitStatus.h"
#include "cli/PortOption.h"
#include "cli/TProgressPrinter.h"
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
#include <memory>
#include <unistd.h>

namespace {

const QCommandLineOption StallOption(QStringLiteral("stall-after"),
    QStringLiteral("With --simulate: the simulated device stops acknowledging after N bytes of "
                   "the stream."),
    QStringLiteral("N"));

// The most files one transfer can announce: the count is a single byte, and 256 would
// announce none.
constexpr qsizetype MaxFiles = 255;

void ReportSimulator(const TDoctor64& device)
{
    for (const TReceivedFile& file : device.Files()) {
        // The names come from the stream, so they may hold any byte.
        if (file.Complete)
            WriteText(stdout,
                QStringLiteral("Simulator stored %1 (%2 bytes) in %3\n")
                    .arg(PrintableText(file.Name))
                    .arg(file.ReceivedBytes)
                    .arg(PrintableText(device.OutputFolder())));
        else
            WriteText(stdout,
                QStringLiteral("Simulator dropped %1 after %2 of %3 bytes\n")
                    .arg(PrintableText(file.Name))
                    .arg(file.ReceivedBytes)
                    .arg(file.DeclaredSize));
    }
}

// Refuses a list that could not go out whole, before the port is touched: a Doctor64
// should not be left holding half a list because of its third file. Returns the message.
QString CheckList(const QStringList& files)
{
    if (files.size() > MaxFiles)
        return QStringLiteral("At most %1 files go in one transfer (the count is one byte); "
                              "%2 were given")
            .arg(MaxFiles)
            .arg(files.size());
    QHash<QByteArray, QString> names;
    for (const QString& path : files) {
        QString imageName;
        try {
            imageName = TGameDoctor::CheckFile(path)->ImageName();
        } catch (const Exception& error) {
            return error.Message();
        }
        const QByteArray field = TGameDoctor::FormatDeviceName(imageName);
        const auto earlier = names.constFind(field);
        if (earlier != names.constEnd())
            return QStringLiteral("%1 and %2 would both reach the device as %3")
                .arg(*earlier, path, TDoctor64::FileNameFor(field));
        names.insert(field, path);
    }
    return QString();
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

    const QString refusal = CheckList(files);
    if (!refusal.isEmpty()) {
        ReportError(refusal);
        return ExitFailure;
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

    TGameDoctor doctor;
    doctor.SetPortChoice(TPortChoice::ForBase(*base));
    const std::unique_ptr<THardwarePortIo> hardware = HardwarePort();
    std::unique_ptr<TAttachedDevice> device;
    try {
        device = std::make_unique<TAttachedDevice>(
            parser.value(simulate), parser.value(peer), doctor.PortAddress());
    } catch (const Exception& error) {
        ReportError(error.Message());
        return ExitFailure;
    }
    TDoctor64* const simulator = device->Simulator();
    if (simulator) {
        TDoctor64::RemovePartOnInterrupt();
        simulator->SetAbsent(parser.isSet(AbsentOption()));
        simulator->SetStallAfter(stallAfter);
    }
    doctor.SetPortIo(device->PortIo() ? device->PortIo() : hardware.get());

    TProgressPrinter printer(stderr, ::isatty(STDERR_FILENO) != 0, files, portName, doctor);
    doctor.SetOnProgress(
        [&printer](TGameDoctorAction action, const QString& fileName, std::uint8_t fileNumber,
            std::uint8_t progress) { printer.Event(action, fileName, fileNumber, progress); });
    doctor.SetOnTimeout([&printer] { printer.Finish(); });

    try {
        doctor.SendFiles(files);
    } catch (const EPortTimeout& error) {
        printer.Finish();
        ReportError(error.Message());
        return ExitNoDevice;
    } catch (const Exception& error) {
        printer.Finish();
        ReportError(error.Message());
        return ExitFailure;
    }
    printer.Finish();

    if (simulator) {
        // The sender is done: what the device holds now is all it will get.
        simulator->EndStream();
        const QStringList faults = simulator->StreamFaults();
        if (!faults.isEmpty()) {
            ReportSimulator(*simulator);
            for (const QString& fault : faults)
                ReportError(
                    QStringLiteral("the simulator received a faulty stream: %1").arg(fault));
            return ExitFailure;
        }
    }
    const double seconds = printer.ElapsedSeconds();
    WriteOutcome(QStringLiteral("Delivered %1 file%2 (%3 bytes) on %4 in %5 s")
                     .arg(files.size())
                     .arg(files.size() == 1 ? QString() : QStringLiteral("s"))
                     .arg(doctor.SentBytes())
                     .arg(portName)
                     .arg(seconds, 0, 'f', 1));
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
                   "Every file is checked first: at most 255 regular files, none larger than\n"
                   "2147483647 bytes, no two with the same name on the device. Images in any\n"
                   "byte order go out in the device's order; a name that does not fit the\n"
                   "device's 8 + 3 characters is shortened, and send says so.\n"
                   "With --simulate, a stream the simulator did not receive exactly as announced\n"
                   "is a failure.\n"
                   "Exit status: 0 delivered, 3 no Doctor64 answered, 1 any other failure,\n"
                   "2 wrong usage."),
    {},
    { PortOption(), TAttachedDevice::SimulateOption(), TAttachedDevice::PeerOption(),
        AbsentOption(), StallOption },
    { { QStringLiteral("FILE"), QStringLiteral("An image file to deliver."), true } },
    RunSend,
};
