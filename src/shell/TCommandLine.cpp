#include "TCommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

TCommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Conveyor catalogues Doctor64 image files and delivers them to a Doctor64 on the "
        "parallel port."));
    const QCommandLineOption help(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Shows this help."));
    const QCommandLineOption version({ QStringLiteral("v"), QStringLiteral("version") },
        QStringLiteral("Shows the program's caption with its version."));
    const QCommandLineOption simulate(QStringLiteral("simulate"),
        QStringLiteral("Delivers to the built-in Doctor64 simulator, which stores the files it "
                       "receives in <dir>."),
        QStringLiteral("dir"));
    const QCommandLineOption peer(QStringLiteral("peer"),
        QStringLiteral("Delivers through the virtual port to a device model listening on "
                       "<socket> (conveyor-cli simulate)."),
        QStringLiteral("socket"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(simulate);
    parser.addOption(peer);

    TCommandLine line;
    // The parser names the program only when an application object exists; the usage line
    // here also tells which options go together.
    QString options = parser.helpText();
    options.remove(0, options.indexOf(QLatin1Char('\n')) + 1);
    line.HelpText = QStringLiteral("Usage: conveyor [--simulate DIR | --peer SOCKET]\n"
                                   "       conveyor --help | --version\n")
        + options;
    if (!parser.parse(arguments)) {
        line.Error = parser.errorText();
        return line;
    }
    line.Help = parser.isSet(help);
    line.Version = parser.isSet(version);
    line.SimulateFolder = parser.value(simulate);
    line.PeerSocket = parser.value(peer);
    if (parser.isSet(simulate) && line.SimulateFolder.isEmpty())
        line.Error = QStringLiteral("--simulate needs a folder.");
    else if (parser.isSet(peer) && line.PeerSocket.isEmpty())
        line.Error = QStringLiteral("--peer needs a socket.");
    else if (parser.isSet(simulate) && parser.isSet(peer))
        line.Error = QStringLiteral("--simulate and --peer cannot be used together.");
    else if (!parser.positionalArguments().isEmpty())
        line.Error = QStringLiteral("Unexpected argument '%1'.")
                         .arg(parser.positionalArguments().constFirst());
    return line;
}
