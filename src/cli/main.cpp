#include "InfoCommand.h"
#include "ListCommand.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <utility>

namespace {

// Exit statuses shared by every command.
constexpr int ExitUsage = 2;

const char* const Usage =
    "Usage:\n"
    "  conveyor-cli list [--mask MASK] [--tsv] DIR\n"
    "  conveyor-cli info FILE\n"
    "  conveyor-cli --help | --version\n";

struct TCommandEntry
{
    const char* Name;
    std::function<int(const QStringList&)> Run;
};

// Each command takes the arguments after its name and returns the process exit status.
const TCommandEntry Commands[] = {
    { "list", ListCommand },
    { "info", InfoCommand },
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("conveyor-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CONVEYOR_VERSION));

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
        std::printf("Conveyor v%s\n", CONVEYOR_VERSION);
        return 0;
    }
    for (const TCommandEntry& command : Commands) {
        if (command.Run && first == QLatin1String(command.Name))
            return command.Run(arguments);
    }
    std::fprintf(stderr, "conveyor-cli: unknown command '%s'\n%s", qPrintable(first), Usage);
    return ExitUsage;
}
