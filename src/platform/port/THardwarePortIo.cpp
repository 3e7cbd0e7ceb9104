#include "THardwarePortIo.h"

#include "platform/port/EPortAccess.h"
#include "platform/port/TDevPortIo.h"
#include "platform/port/TPortAddress.h"
#include "platform/port/TPortClaim.h"
#include "platform/port/TPortRights.h"
#include "platform/port/TPpdevClaim.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define CONVEYOR_PORT_INSTRUCTIONS 1
#endif

namespace {

// The extended control register's mode field (bits 7 to 5): 000 standard, 001 PS/2 (byte);
// in both the control register reads back the lines. The other modes (FIFO, ECP, EPP,
// test, configuration) do not serve this handshake.
constexpr std::uint8_t EcrModeMask = 0xE0;
constexpr std::uint8_t EcrModePs2 = 0x20;

} // namespace

THardwarePortIo::THardwarePortIo(
    const TPortRights& rights, TPortClaim* claim, const QString& procRoot, TPortIo* instructions)
    : FRights(rights)
    , FOwnClaim(claim ? nullptr : std::make_unique<TPpdevClaim>(QStringLiteral("/dev"), procRoot))
    , FClaim(claim ? claim : FOwnClaim.get())
    , FProcRoot(procRoot)
    , FInstructions(instructions)
{
    if (!FInstructions && FRights.ThroughDevPort && FRights.DevPortHandle >= 0)
        FDevPort = std::make_unique<TDevPortIo>(FRights.DevPortHandle);
}

THardwarePortIo::THardwarePortIo()
    : THardwarePortIo(TPortRights::Process())
{
}

THardwarePortIo::~THardwarePortIo()
{
    End();
}

void THardwarePortIo::Refresh()
{
    FPorts = TKernelPortList::Read(FProcRoot);
    FRefreshed = true;
    FUsable.reset();
    const auto consider = [this](std::uint16_t address) {
        if (FRights.Granted(address))
            FUsable.set(address);
    };
    for (const std::uint16_t base : { TPortAddress::LPT1, TPortAddress::LPT2 }) {
        for (std::uint16_t offset = 0; offset < TPortAddress::RegisterCount; ++offset)
            consider(static_cast<std::uint16_t>(base + offset));
    }
    for (const TKernelPort& port : FPorts.Ports()) {
        for (std::uint16_t offset = 0; offset < TPortAddress::RegisterCount; ++offset)
            consider(static_cast<std::uint16_t>(port.Base + offset));
        if (port.HasEcr())
            consider(port.EcrAddress());
    }
}

const TKernelPortList& THardwarePortIo::KernelPorts()
{
    if (!FRefreshed)
        Refresh();
    return FPorts;
}

QString THardwarePortIo::PortName(std::uint16_t base) const
{
    return TPortAddress::Name(base, FPorts);
}

QString THardwarePortIo::RegisterProblem(std::uint16_t address, std::uint16_t base) const
{
    if (!TPortAddress::IsParallelPortRegister(address, FPorts)) {
        QStringList known { QStringLiteral("LPT1 (0x378)"), QStringLiteral("LPT2 (0x278)") };
        for (const TKernelPort& port : FPorts.Ports()) {
            if (port.Base != TPortAddress::LPT1 && port.Base != TPortAddress::LPT2)
                known << port.Name + QStringLiteral(" (") + TPortAddress::Text(port.Base)
                        + QLatin1Char(')');
        }
        return QStringLiteral("%1 is not a parallel port: Conveyor only uses %2.")
            .arg(TPortAddress::Text(address), known.join(QStringLiteral(", ")));
    }
    if (FUsable.test(address))
        return {};
    return FRights.Missing(address, base, PortName(base), FPorts.FindRegister(address) != nullptr);
}

QString THardwarePortIo::Problem(std::uint16_t base)
{
    Refresh();
    if (base > TPortAddress::LastBase)
        return QStringLiteral("%1 is not a parallel port: its registers would run past 0xFFFF.")
            .arg(TPortAddress::Text(base));
    for (std::uint16_t offset = 0; offset < TPortAddress::RegisterCount; ++offset) {
        const QString problem = RegisterProblem(static_cast<std::uint16_t>(base + offset), base);
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

void THardwarePortIo::Admit(std::uint16_t address)
{
    if (!FRefreshed)
        Refresh();
    if (FUsable.test(address))
        return;
    // The access may come without Begin, so the port is named by the register's own port.
    const TKernelPort* port = FPorts.FindRegister(address);
    std::uint16_t base = port ? port->Base : address;
    for (const std::uint16_t classic : { TPortAddress::LPT1, TPortAddress::LPT2 }) {
        if (address >= classic && address - classic < TPortAddress::RegisterCount)
            base = classic;
    }
    throw EPortAccess(RegisterProblem(address, base));
}

std::uint8_t THardwarePortIo::Read(std::uint16_t address)
{
    if (!FUsable.test(address))
        Admit(address);
    if (FInstructions)
        return FInstructions->Read(address);
#ifdef CONVEYOR_PORT_INSTRUCTIONS
    if (!FDevPort)
        return ::inb(address);
#endif
    return FDevPort->Read(address);
}

void THardwarePortIo::Write(std::uint16_t address, std::uint8_t value)
{
    if (!FUsable.test(address))
        Admit(address);
    if (FInstructions) {
        FInstructions->Write(address, value);
        return;
    }
#ifdef CONVEYOR_PORT_INSTRUCTIONS
    if (!FDevPort) {
        ::outb(value, address);
        return;
    }
#endif
    FDevPort->Write(address, value);
}

void THardwarePortIo::Begin(std::uint16_t base)
{
    End();
    if (const QString problem = Problem(base); !problem.isEmpty())
        throw EPortAccess(problem);
    const TKernelPort* port = FPorts.FindBase(base);
    if (!port)
        return; // no driver manages it, so there is nothing to claim it from
    FClaim->Claim(*port, PortName(base));
    FClaimed = true;
    try {
        // A fresh ppdev claim already leaves the ECR in PS/2 mode; this covers drivers
        // whose claim does not restore one.
        if (port->HasEcr() && FUsable.test(port->EcrAddress())) {
            const std::uint16_t ecr = port->EcrAddress();
            const std::uint8_t old = Read(ecr);
            const std::uint8_t mode = old & EcrModeMask;
            if (mode != 0 && mode != EcrModePs2) {
                Write(ecr, static_cast<std::uint8_t>((old & ~EcrModeMask) | EcrModePs2));
                FSavedEcr = std::make_pair(ecr, old);
            }
        }
    } catch (...) {
        End();
        throw;
    }
}

void THardwarePortIo::End() noexcept
{
    if (FSavedEcr) {
        try {
            Write(FSavedEcr->first, FSavedEcr->second);
        } catch (...) {
            // The claim still has to go back; the register keeps the transfer's mode.
        }
        FSavedEcr.reset();
    }
    if (FClaimed) {
        FClaim->Release();
        FClaimed = false;
    }
}
