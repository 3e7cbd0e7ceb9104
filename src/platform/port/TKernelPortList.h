#pragma once

#include "platform/port/TKernelPort.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// The parallel ports the kernel knows, read from /proc/sys/dev/parport (each port's
// base-addr and modes). The root stands in for /proc, so tests lay out folders like it.
// A port whose files cannot be read or make no sense is left out and named in Problems();
// reading never fails as a whole.
class TKernelPortList
{
public:
    static TKernelPortList Read(const QString& procRoot = QStringLiteral("/proc"));

    const std::vector<TKernelPort>& Ports() const { return FPorts; }
    // One line for each port that was left out, with the reason.
    const QStringList& Problems() const { return FProblems; }
    // False when the kernel has no parport driver loaded at all (no /proc/sys/dev/parport).
    bool DriverLoaded() const { return FDriverLoaded; }

    const TKernelPort* FindBase(std::uint16_t base) const;
    const TKernelPort* FindName(const QString& name) const;
    // The port one of whose transfer registers address is.
    const TKernelPort* FindRegister(std::uint16_t address) const;

    // The driver that holds port at this moment (its devices/active: "lp0", "ppdev1"), an
    // empty text when none does, nothing when the kernel does not say.
    static std::optional<QString> Holder(const QString& procRoot, const TKernelPort& port);

    // The folder the list was read from (ROOT/sys/dev/parport), for texts that say which
    // list they went by.
    const QString& Folder() const { return FFolder; }

    // Why the list is empty, with what the user can do about it.
    QString EmptyText() const;

private:
    std::vector<TKernelPort> FPorts;
    QStringList FProblems;
    QString FFolder;
    bool FDriverLoaded = false;
};
