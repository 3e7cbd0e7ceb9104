#pragma once

#include <QCommandLineOption>
#include <QString>

#include <cstdint>
#include <memory>

class TDoctor64;
class TPortIo;
class TSocketPortIo;

// The device at the far end of the port when it is not the real one, as the command lines
// of both programs choose it: the Doctor64 simulator in this process (--simulate DIR), which
// stores what it receives in DIR, or a device model in another process reached over the
// virtual port (--peer SOCKET). Without either the real port is used.
class TAttachedDevice
{
public:
    // --simulate DIR and --peer SOCKET, declared once for conveyor and conveyor-cli.
    static QCommandLineOption SimulateOption();
    static QCommandLineOption PeerOption();
    // What both programs say of a line that names both.
    static QString ClashText();

    // Empty texts choose the real port. The simulator answers at base, the port the transfer
    // component is aimed at; its folder is made with its parents, and a folder that cannot
    // be made raises Exception.
    TAttachedDevice(const QString& simulateFolder, const QString& peerSocket, std::uint16_t base);
    ~TAttachedDevice();
    TAttachedDevice(const TAttachedDevice&) = delete;
    TAttachedDevice& operator=(const TAttachedDevice&) = delete;

    // What the transfer component reads and writes; null for the real port.
    TPortIo* PortIo() const;
    // The simulator, for its fault modes and what it stored; null without --simulate.
    TDoctor64* Simulator() const { return FSimulator.get(); }

private:
    std::unique_ptr<TDoctor64> FSimulator;
    std::unique_ptr<TSocketPortIo> FPeer;
};
