#include "TCommandLine.h"

#include "simulator/TAttachedDevice.h"

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
    const QCommandLineOption simulate = TAttachedDevice::SimulateOption();
    const QCommandLineOption peer = TAttachedDevice::PeerOption();
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(simulate);
    parser.addOption(peer);
    parser.addPositionalArgument(QStringLiteral("FILE | FOLDER"),
        QStringLiteral("Opens the window on the folder, or on the file's folder with the "
                       "file's row current."));

    TCommandLine line;
    // The parser names the program only when an application object exists; the usage line
    // here also tells which options go together.
    QString options = parser.helpText();
    options.remove(0, options.indexOf(QLatin1Char('\n')) + 1);
    line.HelpText
        = QStringLiteral("Usage: conveyor [--simulate DIR | --peer SOCKET] [FILE | FOLDER]\n"
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
    const QStringList paths = parser.positionalArguments();
    if (!paths.isEmpty())
        line.OpenPath = paths.constFirst();
    if (parser.isSet(simulate) && line.SimulateFolder.isEmpty())
        line.Error = QStringLiteral("--simulate needs a folder.");
    else if (parser.isSet(peer) && line.PeerSocket.isEmpty())
        line.Error = QStringLiteral("--peer needs a socket.");
    else if (parser.isSet(simulate) && parser.isSet(peer))
        line.Error = TAttachedDevice::ClashText();
    else if (paths.size() > 1)
        line.Error = QStringLiteral("Unexpected argument '%1': one file or folder at a time.")
                         .arg(paths.at(1));
    else if (!paths.isEmpty() && line.OpenPath.isEmpty())
        line.Error = QStringLiteral("The file name is empty.");
    return line;
}
