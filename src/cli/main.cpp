#include "cli/CliMain.h"
#include "cli/CliOutput.h"
#include "cli/ExitStatus.h"
#include "platform/RawText.h"
#include "platform/port/AcquirePortRights.h"
#include "platform/port/ExecPrivilegedCopy.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char* argv[])
{
    ReserveStandardDescriptors();
    ExecPrivilegedCopy(argv);
    AcquirePortRights();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("conveyor-cli"));
    // The arguments keep their bytes (Qt's own list would lose a file name's that are not
    // UTF-8), so every file named opens again.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << DecodeRawText(argv[i]);
    const int status = RunConveyorCli(arguments);
    // Output that never reached its destination is a failure, as for the standard tools.
    if (!CloseStandardOutput() && status == ExitSuccess)
        return ExitFailure;
    return status;
}
