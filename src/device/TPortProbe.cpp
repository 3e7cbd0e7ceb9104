#include "TPortProbe.h"

#include "device/EPortTimeout.h"
#include "device/TGameDoctor.h"
#include "platform/port/EPortAccess.h"
#include "platform/port/THardwarePortIo.h"
#include "platform/port/TPortAddress.h"
#include "platform/port/TPortClaim.h"

namespace {

const QString KnownStep = QStringLiteral("Port known to the kernel");
const QString RightsStep = QStringLiteral("Rights");
const QString ClaimStep = QStringLiteral("Claim");
const QString DataStep = QStringLiteral("Data register");
const QString HandshakeStep = QStringLiteral("Start handshake");

constexpr std::uint8_t Patterns[] = { 0x00, 0xFF, 0x55, 0xAA };

QString Hex(std::uint8_t value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString UnknownPort(std::uint16_t base, const TKernelPortList& ports)
{
    if (ports.Ports().empty())
        return QStringLiteral("No parallel port at %1 in %2. %3")
            .arg(TPortAddress::Text(base), ports.Folder(), ports.EmptyText());
    QStringList known;
    for (const TKernelPort& port : ports.Ports())
        known << port.Name + QStringLiteral(" (") + TPortAddress::Text(port.Base)
                + QLatin1Char(')');
    return QStringLiteral("The kernel knows no parallel port at %1; %2 lists %3.")
        .arg(TPortAddress::Text(base), ports.Folder(), known.join(QStringLiteral(", ")));
}

// The waits of the start handshake and the answer each expects on bit 3.
QString WaitText(int step)
{
    const bool set = step == 6 || step == 11;
    return QStringLiteral("No device answered step %1 of %2: bit 3 of the control register never "
                          "%3.")
        .arg(step)
        .arg(TPortProbe::HandshakeSteps)
        .arg(set ? QStringLiteral("went up") : QStringLiteral("went down"));
}

} // namespace

TProbeResult TPortProbe::Run(TGameDoctor& doctor)
{
    TProbeResult result;
    const auto step = [&result](const QString& name, bool passed, const QString& detail) {
        result.Steps.push_back({ name, passed, detail });
        return passed;
    };
    const std::uint16_t base = doctor.PortAddress();
    TPortIo* const port = doctor.PortIo();

    if (auto* hardware = dynamic_cast<THardwarePortIo*>(port)) {
        const TKernelPortList& ports = hardware->KernelPorts();
        const TKernelPort* known = ports.FindBase(base);
        if (!step(KnownStep, known != nullptr,
                known ? known->Description() : UnknownPort(base, ports)))
            return result;
        QString problem = hardware->Problem(base);
        if (problem.isEmpty())
            problem = hardware->Claim().Problem(*known);
        if (!step(RightsStep, problem.isEmpty(),
                problem.isEmpty() ? QStringLiteral("Port access was granted at start-up and the "
                                                   "port's device node may be opened.")
                                  : problem))
            return result;
    } else {
        const QString notNeeded = QStringLiteral("Not needed: the port is not the real hardware.");
        step(KnownStep, true, notNeeded);
        step(RightsStep, true, notNeeded);
    }

    try {
        port->Begin(base);
    } catch (const EPortAccess& error) {
        step(ClaimStep, false, error.Message());
        return result;
    }
    step(ClaimStep, true,
        dynamic_cast<THardwarePortIo*>(port)
            ? QStringLiteral("The port is held for Conveyor alone until the probe ends.")
            : QStringLiteral("Not needed: the port is not the real hardware."));

    try {
        QStringList written, read;
        bool same = true, allHigh = true;
        for (const std::uint8_t pattern : Patterns) {
            doctor.WritePort(base, pattern);
            const std::uint8_t value = doctor.ReadPort(base);
            written << Hex(pattern);
            read << Hex(value);
            same = same && value == pattern;
            allHigh = allHigh && value == 0xFF;
        }
        const QString detail
            = QStringLiteral("Wrote %1, read back %2")
                  .arg(written.join(QLatin1Char(' ')), read.join(QLatin1Char(' ')));
        if (!step(DataStep, same,
                same ? detail + QLatin1Char('.')
                    : allHigh
                    ? detail
                        + QStringLiteral(": there is no port at %1.").arg(TPortAddress::Text(base))
                    : detail + QStringLiteral(": the data lines do not hold what is written."))) {
            port->End();
            return result;
        }

        doctor.StartHandshake();
        step(HandshakeStep, true,
            QStringLiteral("The device answered all %1 steps.").arg(HandshakeSteps));
        result.Verdict = pvDeviceAnswered;
    } catch (const EPortTimeout&) {
        step(HandshakeStep, false, WaitText(doctor.HandshakeStep()));
        result.Verdict = pvNoDevice;
    } catch (const EPortAccess& error) {
        step(result.Steps.size() < 4 ? DataStep : HandshakeStep, false, error.Message());
    }
    try {
        port->Flush();
    } catch (const EPortAccess&) {
    }
    port->End();
    return result;
}
