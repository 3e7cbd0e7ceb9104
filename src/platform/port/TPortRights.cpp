#include "TPortRights.h"

#include "platform/port/EPortAccess.h"
#include "platform/port/TPortAddress.h"

#include <cstring>

void TPortRights::Grant(std::uint16_t from, std::uint16_t count)
{
    for (unsigned address = from; address < from + count && address <= 0xFFFF; ++address)
        FGranted.set(address);
}

std::vector<std::pair<std::uint16_t, std::uint16_t>> TPortRights::GrantedRuns() const
{
    std::vector<std::pair<std::uint16_t, std::uint16_t>> runs;
    for (unsigned address = 0; address < FGranted.size(); ++address) {
        if (!FGranted.test(address))
            continue;
        unsigned end = address;
        while (end + 1 < FGranted.size() && FGranted.test(end + 1))
            ++end;
        runs.emplace_back(
            static_cast<std::uint16_t>(address), static_cast<std::uint16_t>(end - address + 1));
        address = end;
    }
    return runs;
}

QString TPortRights::Missing(
    std::uint16_t address, std::uint16_t base, const QString& name, bool knownNow) const
{
    if (Granted(address))
        return {};
    const QString port = name + QStringLiteral(" (") + TPortAddress::Text(base) + QLatin1Char(')');
    const TKernelPort* atStart = PortsAtStart.FindRegister(address);
    if (!Acquired)
        return QStringLiteral("Conveyor may not use %1: the program did not ask for port access "
                              "when it started.")
            .arg(port);
    if (!CapabilityHeld && !PrivilegedCopyRefused.isEmpty())
        return QStringLiteral("Conveyor may not use %1: only root and the members of the group "
                              "lp may use the parallel port. Join the group with \"sudo adduser "
                              "$USER lp\", then log out and in again.")
            .arg(port);
    if (!CapabilityHeld)
        return QStringLiteral("Conveyor may not use %1. %2")
            .arg(port, EPortAccess::GrantCapabilityText(ProgramPath));
    if (!RaiseError.isEmpty())
        return QStringLiteral("Conveyor may not use %1: its capability cap_sys_rawio could not "
                              "be used (%2).")
            .arg(port, RaiseError);
    if (NoIoperm)
        return QStringLiteral("Conveyor cannot use %1: this system's kernel offers no ioperm, and "
                              "without it only a program running as root may reach the port "
                              "(through /dev/port). This system needs ioperm or root.")
            .arg(port);
    if (ThroughDevPort)
        return QStringLiteral("Conveyor may not use %1: /dev/port could not be opened when the "
                              "program started (%2).")
            .arg(port, DevPortError);
    if (!atStart) {
        if (knownNow)
            return QStringLiteral("%1 appeared after Conveyor started (%2 did not list it then), "
                                  "so the program has no access to it: start Conveyor again.")
                .arg(port, PortsAtStart.Folder());
        return QStringLiteral("The kernel knows no parallel port at %1, so Conveyor has no access "
                              "to it (\"sudo modprobe parport_pc\" loads the driver; then start "
                              "Conveyor again).")
            .arg(TPortAddress::Text(base));
    }
    const auto refused = RefusedPorts.find(atStart->Base);
    const QString reason = refused == RefusedPorts.end()
        ? QStringLiteral("no access was granted")
        : QString::fromLocal8Bit(std::strerror(refused->second));
    return QStringLiteral("Conveyor may not use %1: the kernel refused access to it when the "
                          "program started (%2).")
        .arg(port, reason);
}

TPortRights& TPortRights::Process()
{
    static TPortRights rights;
    return rights;
}
