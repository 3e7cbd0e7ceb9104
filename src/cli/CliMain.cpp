#include "CliMain.h"

#include "cli/CliOutput.h"
#include "cli/ExitStatus.h"
#include "cli/InfoCommand.h"
#include "cli/ListCommand.h"
#include "cli/MembersCommand.h"
#include "cli/PortsCommand.h"
#include "cli/ProbeCommand.h"
#include "cli/SendCommand.h"
#include "cli/SimulateCommand.h"
#include "cli/TCommand.h"
#include "platform/TVerInfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <array>

namespace {

// Every command, in the order the help lists them.
const std::array<const TCommand*, 6> Commands
    = { &SendCommand, &ProbeCommand, &PortsCommand, &SimulateCommand, &ListCommand, &InfoCommand };
// Commands for scripts, such as the shell's completion, that the help does not list.
const std::array<const TCommand*, 1> HiddenCommands = { &MembersCommand };

const QCommandLineOption VersionOption(
    QStringLiteral("version"), QStringLiteral("Shows the caption of Conveyor with its version."));

void Declare(QCommandLineParser& parser)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // What follows the command's name is the command's to parse.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.setApplicationDescription(
        QStringLiteral("Sends images to a Doctor64, simulates one, and lists image folders as\n"
                       "Conveyor's catalogue does, without the window."));
    parser.addOptions({ HelpOption(), VersionOption });
}

QString Help()
{
    QCommandLineParser parser;
    Declare(parser);
    QString help = HelpText(parser,
        QStringLiteral("Usage: conveyor-cli COMMAND [options] [arguments]\n"
                       "       conveyor-cli %1 | %2")
            .arg(OptionSyntax(HelpOption()), OptionSyntax(VersionOption)));
    qsizetype width = 0;
    for (const TCommand* command : Commands)
        width = std::max(width, command->Name.size());
    help += QStringLiteral("\nCommands:\n");
    for (const TCommand* command : Commands)
        help += QStringLiteral("  conveyor-cli %1  %2\n")
                    .arg(command->Name.leftJustified(width), command->Summary);
    help += QStringLiteral("\nconveyor-cli COMMAND --help tells more about one command.\n");
    return help;
}

int UsageError(const QString& message)
{
    WriteText(stderr, QStringLiteral("conveyor-cli: %1\n\n%2").arg(message, Help()));
    return ExitUsage;
}

} // namespace

int RunConveyorCli(const QStringList& rawArguments)
{
    // The version comes from the program file's own version block, as the program's does.
    const TVerInfo verInfo;
    QCoreApplication::setApplicationVersion(verInfo.FileVersion());

    QCommandLineParser parser;
    Declare(parser);
    if (!parser.parse(rawArguments))
        return UsageError(parser.errorText());
    if (parser.isSet(HelpOption())) {
        WriteText(stdout, Help());
        return ExitSuccess;
    }
    if (parser.isSet(VersionOption)) {
        WriteText(stdout, QStringLiteral("Conveyor v%1\n").arg(verInfo.FileVersion()));
        return ExitSuccess;
    }
    QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty())
        return UsageError(QStringLiteral("no command given"));
    const QString name = arguments.takeFirst();
    for (const TCommand* command : Commands) {
        if (command->Name == name)
            return RunCommand(*command, arguments);
    }
    for (const TCommand* command : HiddenCommands) {
        if (command->Name == name)
            return RunCommand(*command, arguments);
    }
    return UsageError(QStringLiteral("unknown command '%1'").arg(name));
}
