#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

// A positional argument of a command.
struct TCommandArgument
{
    // As the usage line shows it: "FILE", "DIR".
    QString Name;
    QString Description;
    // One or more (FILE...); otherwise exactly one.
    bool Repeated = false;
};

// One conveyor-cli command, declared once: the usage line, the --help text, the line in
// conveyor-cli --help and the checks of options and arguments all come from this.
struct TCommand
{
    QString Name;
    // One line for the list of commands.
    QString Summary;
    // What --help tells below the usage line.
    QString Description;
    // Options that must be given.
    QList<QCommandLineOption> RequiredOptions;
    QList<QCommandLineOption> Options;
    QList<TCommandArgument> Arguments;
    // Runs the command on arguments that have passed the checks; returns the exit status.
    int (*Run)(const QCommandLineParser& parser);
};

// -h, --help, which every command and the top level take.
QCommandLineOption HelpOption();
// The parser's help text (options and arguments with their descriptions) under a usage
// line of our own.
QString HelpText(const QCommandLineParser& parser, const QString& usage);
// An option as a usage line shows it: "--port lpt1|lpt2", "--once".
QString OptionSyntax(const QCommandLineOption& option);
// "Usage: conveyor-cli NAME" and the command's options and arguments, wrapped to the width
// of a terminal.
QString CommandUsage(const TCommand& command);
// What conveyor-cli NAME --help prints.
QString CommandHelp(const TCommand& command);
// Runs a command on the arguments after its name. --help prints the help; unknown options,
// missing required options and a wrong number of arguments are wrong usage.
int RunCommand(const TCommand& command, const QStringList& arguments);
// Tells wrong usage on stderr ("conveyor-cli NAME: message", then the help) and returns
// ExitUsage.
int UsageError(const TCommand& command, const QString& message);
