#include "AcquirePortRights.h"
#include "InfoCommand.h"
#include "ListCommand.h"
#include "SendCommand.h"
#include "SimulateCommand.h"
#include "TVerInfo.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <utility>

namespace {

// Exit statuses shared by every command.
constexpr int ExitUsage = 2;

const char* const Usage
    = "Usage:\n"
      "  conveyor-cli send [--port lpt1|lpt2] [--simulate DIR | --peer SOCKET] FILE...\n"
      "  conveyor-cli simulate --listen SOCKET --out DIR [--ack-delay N] [--stall-after N]\n"
      "                        [--absent] [--once]\n"
      "  conveyor-cli list [--mask MASK] [--tsv] DIR\n"
      "  conveyor-cli info FILE\n"
      "  conveyor-cli --help | --version\n"
      "A command followed by --help tells more about it.\n";

struct TCommandEntry
{
    const char* Name;
    std::function<int(const QStringList&)> Run;
};

// Each command takes the arguments after its name and returns the process exit status.
const TCommandEntry Commands[] = {
    { "send", SendCommand },
    { "simulate", SimulateCommand },
    { "list", ListCommand },
    { "info", InfoCommand },
};

} // namespace

int main(int argc, char* argv[])
{
    AcquirePortRights();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("conveyor-cli"));
    // The version comes from the program file's own version block, as the program's does.
    const TVerInfo verInfo;
    QCoreApplication::setApplicationVersion(verInfo.FileVersion());

    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        std::fputs(Usage, stderr);
        return ExitUsage;
    }
    const QString first = arguments.takeFirst();
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (first == QLatin1String("--version")) {
        std::printf("Conveyor v%s\n", qPrintable(verInfo.FileVersion()));
        return 0;
    }
    for (const TCommandEntry& command : Commands) {
        if (command.Run && first == QLatin1String(command.Name))
            return command.Run(arguments);
    }
    std::fprintf(stderr, "conveyor-cli: unknown command '%s'\n%s", qPrintable(first), Usage);
    return ExitUsage;
}
