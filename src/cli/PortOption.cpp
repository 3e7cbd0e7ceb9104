#include "PortOption.h"

#include "platform/port/THardwarePortIo.h"
#include "platform/port/TPortAddress.h"
#include "platform/port/TPortRights.h"

#include <QtGlobal>

QCommandLineOption PortOption()
{
    return QCommandLineOption(QStringLiteral("port"),
        QStringLiteral("The parallel port: lpt1 at 0x378 (the default), lpt2 at 0x278, a port the "
                       "kernel lists (parport1, see conveyor-cli ports) or its hexadecimal base "
                       "address (0xD010)."),
        QStringLiteral("lpt1|lpt2|parportN|0xADDRESS"), QStringLiteral("lpt1"));
}

QCommandLineOption AbsentOption()
{
    return QCommandLineOption(QStringLiteral("absent"),
        QStringLiteral("With --simulate: the simulated device is not attached."));
}

QString ProcRoot()
{
    const QString root = qEnvironmentVariable("CONVEYOR_PROC_ROOT");
    return root.isEmpty() ? QStringLiteral("/proc") : root;
}

TKernelPortList KernelPorts()
{
    return TKernelPortList::Read(ProcRoot());
}

std::unique_ptr<THardwarePortIo> HardwarePort()
{
    return std::make_unique<THardwarePortIo>(TPortRights::Process(), nullptr, ProcRoot());
}

std::optional<std::uint16_t> ChosenAddress(
    const QCommandLineParser& parser, const TKernelPortList& ports, QString* error)
{
    QString reason;
    const std::optional<std::uint16_t> base
        = TPortAddress::Parse(parser.value(PortOption()), ports, &reason);
    if (!base && error)
        *error = QStringLiteral("unknown port '%1': %2").arg(parser.value(PortOption()), reason);
    return base;
}
