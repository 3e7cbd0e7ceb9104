#pragma once

#include <QString>
#include <QStringList>

// What the program's command line asks for:
//   conveyor [--simulate DIR | --peer SOCKET] [FILE | FOLDER]
//   conveyor --help | --version
// Without options the transfer component uses the real parallel port.
struct TCommandLine
{
    // --simulate DIR: the Doctor64 simulator in this process, storing what it receives in
    // DIR.
    QString SimulateFolder;
    // --peer SOCKET: a device model in another process, over the virtual port.
    QString PeerSocket;
    // The file or folder to open, as given (relative to the working folder, raw text).
    QString OpenPath;
    bool Help = false;
    bool Version = false;
    // Set for wrong usage: what is wrong, in one line.
    QString Error;
    // The text --help prints.
    QString HelpText;

    bool Simulated() const { return !SimulateFolder.isEmpty() || !PeerSocket.isEmpty(); }
};

// Parses the arguments, the program's own name first. Never throws.
TCommandLine ParseCommandLine(const QStringList& arguments);
