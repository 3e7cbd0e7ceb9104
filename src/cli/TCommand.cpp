#include "TCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitStatus.h"

namespace {

// The parser wraps its option descriptions at this width too.
constexpr qsizetype UsageWidth = 79;

QString ArgumentSyntax(const TCommandArgument& argument)
{
    return argument.Repeated ? argument.Name + QStringLiteral("...") : argument.Name;
}

void Declare(QCommandLineParser& parser, const TCommand& command)
{
    // -port works as --port does; no command has one-letter options to combine.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(command.Description);
    parser.addOption(HelpOption());
    parser.addOptions(command.RequiredOptions);
    parser.addOptions(command.Options);
    for (const TCommandArgument& argument : command.Arguments)
        parser.addPositionalArgument(argument.Name, argument.Description, ArgumentSyntax(argument));
}

QString OptionName(const QCommandLineOption& option)
{
    for (const QString& name : option.names()) {
        if (name.size() > 1)
            return QStringLiteral("--") + name;
    }
    return QStringLiteral("-") + option.names().constFirst();
}

// What is wrong with arguments the parser took, or nothing.
QString CheckArguments(const TCommand& command, const QCommandLineParser& parser)
{
    QStringList missing;
    for (const QCommandLineOption& option : command.RequiredOptions) {
        if (!parser.isSet(option))
            missing << OptionName(option);
    }
    if (!missing.isEmpty())
        return missing.join(QStringLiteral(" and "))
            + (missing.size() == 1 ? QStringLiteral(" is required")
                                   : QStringLiteral(" are required"));
    const QStringList given = parser.positionalArguments();
    if (given.size() < command.Arguments.size())
        return QStringLiteral("missing %1").arg(command.Arguments[given.size()].Name);
    const bool repeated = !command.Arguments.isEmpty() && command.Arguments.constLast().Repeated;
    if (given.size() > command.Arguments.size() && !repeated)
        return QStringLiteral("unexpected argument '%1'").arg(given[command.Arguments.size()]);
    return QString();
}

} // namespace

QCommandLineOption HelpOption()
{
    return QCommandLineOption(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Shows this help."));
}

QString HelpText(const QCommandLineParser& parser, const QString& usage)
{
    // The parser's own usage line names the program file and cannot tell which options are
    // required or go together.
    const QString generated = parser.helpText();
    return usage + generated.mid(generated.indexOf(QLatin1Char('\n')));
}

QString OptionSyntax(const QCommandLineOption& option)
{
    const QString name = OptionName(option);
    return option.valueName().isEmpty() ? name : name + QLatin1Char(' ') + option.valueName();
}

QString CommandUsage(const TCommand& command)
{
    const QString start = QStringLiteral("Usage: conveyor-cli ") + command.Name;
    QStringList words;
    for (const QCommandLineOption& option : command.RequiredOptions)
        words << OptionSyntax(option);
    for (const QCommandLineOption& option : command.Options)
        words << QLatin1Char('[') + OptionSyntax(option) + QLatin1Char(']');
    for (const TCommandArgument& argument : command.Arguments)
        words << ArgumentSyntax(argument);
    // Lines that go on are indented to the first option, so the command's name stands out.
    const QString indent(start.size(), QLatin1Char(' '));
    QString usage = start;
    qsizetype lineStart = 0;
    for (const QString& word : words) {
        if (usage.size() - lineStart + 1 + word.size() > UsageWidth) {
            usage += QLatin1Char('\n');
            lineStart = usage.size();
            usage += indent;
        }
        usage += QLatin1Char(' ') + word;
    }
    return usage;
}

QString CommandHelp(const TCommand& command)
{
    QCommandLineParser parser;
    Declare(parser, command);
    return HelpText(parser, CommandUsage(command));
}

int RunCommand(const TCommand& command, const QStringList& arguments)
{
    QCommandLineParser parser;
    Declare(parser, command);
    // The parser takes the program's name first.
    if (!parser.parse(QStringList { command.Name } + arguments))
        return UsageError(command, parser.errorText());
    if (parser.isSet(HelpOption())) {
        WriteText(stdout, CommandHelp(command));
        return ExitSuccess;
    }
    const QString wrong = CheckArguments(command, parser);
    if (!wrong.isEmpty())
        return UsageError(command, wrong);
    return command.Run(parser);
}

int UsageError(const TCommand& command, const QString& message)
{
    WriteText(stderr,
        QStringLiteral("conveyor-cli %1: %2\n\n%3")
            .arg(command.Name, message, CommandHelp(command)));
    return ExitUsage;
}
