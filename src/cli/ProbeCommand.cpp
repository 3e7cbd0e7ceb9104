#include "ProbeCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitStatus.h"
#include "cli/PortOption.h"
#include "device/TGameDoctor.h"
#include "device/TPortProbe.h"
#include "platform/Exception.h"
#include "platform/port/THardwarePortIo.h"
#include "platform/port/TPortAddress.h"
#include "simulator/TAttachedDevice.h"
#include "simulator/TDoctor64.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <memory>

namespace {

const QCommandLineOption HandshakeStallOption(QStringLiteral("stall-handshake"),
    QStringLiteral("With --simulate: the simulated device answers the start handshake only up to "
                   "its step N (3, 6, 8, 11 or 13)."),
    QStringLiteral("N"));

void PrintStep(const QString& name, bool passed, const QString& detail)
{
    WriteText(stdout,
        QStringLiteral("%1 %2: %3\n")
            .arg(passed ? QStringLiteral("[ok]  ") : QStringLiteral("[fail]"), name, detail));
}

int RunProbe(const QCommandLineParser& parser)
{
    const QCommandLineOption simulate = TAttachedDevice::SimulateOption();
    const QCommandLineOption peer = TAttachedDevice::PeerOption();
    if (parser.isSet(simulate) && parser.isSet(peer))
        return UsageError(ProbeCommand, TAttachedDevice::ClashText());
    if ((parser.isSet(AbsentOption()) || parser.isSet(HandshakeStallOption))
        && !parser.isSet(simulate))
        return UsageError(
            ProbeCommand, QStringLiteral("--absent and --stall-handshake need --simulate"));
    int stallStep = 0;
    if (parser.isSet(HandshakeStallOption)) {
        bool ok = false;
        stallStep = parser.value(HandshakeStallOption).toInt(&ok);
        if (!ok || stallStep < 1 || stallStep > TPortProbe::HandshakeSteps)
            return UsageError(ProbeCommand,
                QStringLiteral("--stall-handshake needs a step from 1 to %1")
                    .arg(TPortProbe::HandshakeSteps));
    }

    const TKernelPortList ports = KernelPorts();
    QString portError;
    const std::optional<std::uint16_t> base = ChosenAddress(parser, ports, &portError);
    if (!base) {
        // A kernel port name the kernel does not list is a missing port, not a typing error.
        static const QRegularExpression kernelName(
            QStringLiteral("^parport\\d+$"), QRegularExpression::CaseInsensitiveOption);
        if (!kernelName.match(parser.value(PortOption()).trimmed()).hasMatch())
            return UsageError(ProbeCommand, portError);
        QString reason;
        TPortAddress::Parse(parser.value(PortOption()), ports, &reason);
        PrintStep(QStringLiteral("Port known to the kernel"), false, reason);
        return ExitFailure;
    }

    TGameDoctor doctor;
    doctor.SetPortChoice(TPortChoice::ForBase(*base));
    const std::unique_ptr<THardwarePortIo> hardware = HardwarePort();
    std::unique_ptr<TAttachedDevice> device;
    try {
        device = std::make_unique<TAttachedDevice>(
            parser.value(simulate), parser.value(peer), doctor.PortAddress());
        if (TDoctor64* const simulator = device->Simulator()) {
            simulator->SetAbsent(parser.isSet(AbsentOption()));
            simulator->SetHandshakeStall(stallStep);
        }
        doctor.SetPortIo(device->PortIo() ? device->PortIo() : hardware.get());

        const QString name = TPortAddress::Name(*base, ports);
        const QString address = TPortAddress::Text(*base);
        WriteText(stdout,
            name == address ? QStringLiteral("Probing the port at %1\n").arg(address)
                            : QStringLiteral("Probing %1 at %2\n").arg(name, address));
        const TProbeResult result = TPortProbe::Run(doctor);
        for (const TProbeStep& step : result.Steps)
            PrintStep(step.Name, step.Passed, step.Detail);
        switch (result.Verdict) {
        case pvDeviceAnswered:
            WriteText(stdout, QStringLiteral("A Doctor64 answered on %1.\n").arg(name));
            return ExitSuccess;
        case pvNoDevice:
            WriteText(stdout,
                QStringLiteral("The port works, but no Doctor64 answered on %1: check that it is "
                               "switched on, its cable and that it waits for a transfer.\n")
                    .arg(name));
            return ExitNoDevice;
        case pvMissing:
            break;
        }
        return ExitFailure;
    } catch (const Exception& error) {
        ReportError(error.Message());
        return ExitFailure;
    }
}

} // namespace

const TCommand ProbeCommand = {
    QStringLiteral("probe"),
    QStringLiteral("Checks step by step whether a Doctor64 answers on a port."),
    QStringLiteral("Checks, in order, and prints one line per step with its result: the port is\n"
                   "known to the kernel; the rights (port access, the port's device node); the\n"
                   "exclusive claim; the data register reads back what is written; the start\n"
                   "handshake with the device, naming the step that saw no answer. Nothing is\n"
                   "written after the handshake and no command is sent.\n"
                   "Exit status: 0 the device answered, 3 the port works but no device\n"
                   "answered, 1 a right or the port is missing, 2 wrong usage."),
    {},
    { PortOption(), TAttachedDevice::SimulateOption(), TAttachedDevice::PeerOption(),
        AbsentOption(), HandshakeStallOption },
    {},
    RunProbe,
};
