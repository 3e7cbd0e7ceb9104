#include "PortsCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitStatus.h"
#include "cli/PortOption.h"

#include <QCommandLineParser>

namespace {

int RunPorts(const QCommandLineParser&)
{
    const TKernelPortList ports = KernelPorts();
    for (const QString& problem : ports.Problems())
        ReportError(problem);
    if (ports.Ports().empty()) {
        WriteText(stdout, ports.EmptyText() + QLatin1Char('\n'));
        return ExitFailure;
    }
    for (const TKernelPort& port : ports.Ports())
        WriteText(stdout, port.Description() + QLatin1Char('\n'));
    return ExitSuccess;
}

} // namespace

const TCommand PortsCommand = {
    QStringLiteral("ports"),
    QStringLiteral("Lists the parallel ports the kernel knows."),
    QStringLiteral(
        "Lists the parallel ports the kernel knows, one a line: its name, base address,\n"
        "modes and extended control register. Any of them may be given to --port by\n"
        "name or address. When there is none, says why and what to do.\n"
        "The list is read from /proc, or from the folder CONVEYOR_PROC_ROOT names.\n"
        "Exit status: 0 ports listed, 1 no port, 2 wrong usage."),
    {},
    {},
    {},
    RunPorts,
};
