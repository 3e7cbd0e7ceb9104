#include "TAttachedDevice.h"

#include "platform/Exception.h"
#include "platform/FileAccess.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"
#include "platform/port/TSocketPortIo.h"
#include "simulator/TDoctor64.h"

#include <cerrno>

QCommandLineOption TAttachedDevice::SimulateOption()
{
    return QCommandLineOption(QStringLiteral("simulate"),
        QStringLiteral("Puts the built-in Doctor64 simulator on the port in place of a device; it "
                       "stores the files it receives in DIR."),
        QStringLiteral("DIR"));
}

QCommandLineOption TAttachedDevice::PeerOption()
{
    return QCommandLineOption(QStringLiteral("peer"),
        QStringLiteral("Reaches through the virtual port a device model listening on the Unix "
                       "socket SOCKET (see conveyor-cli simulate). Excludes --simulate."),
        QStringLiteral("SOCKET"));
}

QString TAttachedDevice::ClashText()
{
    return QStringLiteral("--simulate and --peer cannot be used together.");
}

TAttachedDevice::TAttachedDevice(
    const QString& simulateFolder, const QString& peerSocket, std::uint16_t base)
{
    if (!simulateFolder.isEmpty()) {
        // Made by its own bytes, like every path the user names.
        if (!MakeFolders(simulateFolder))
            throw Exception(QStringLiteral("Cannot create the folder %1: %2")
                                .arg(ReadableRawText(simulateFolder), SystemErrorMessage(errno)));
        FSimulator = std::make_unique<TDoctor64>(simulateFolder, base);
    } else if (!peerSocket.isEmpty()) {
        FPeer = std::make_unique<TSocketPortIo>(peerSocket);
    }
}

TAttachedDevice::~TAttachedDevice() = default;

TPortIo* TAttachedDevice::PortIo() const
{
    if (FSimulator)
        return FSimulator.get();
    return FPeer.get();
}
