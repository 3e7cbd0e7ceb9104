#include "TSocketPortIo.h"

#include "EPortAccess.h"
#include "IoErrorText.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr std::uint8_t WriteMessage = 'W';
constexpr std::uint8_t ReadMessage = 'R';
// Enough for a whole data block's writes between two reads without growing.
constexpr std::size_t PendingLimit = 4096;

EPortAccess PeerClosed()
{
    return EPortAccess(QStringLiteral("The device peer closed the connection"));
}

} // namespace

TSocketPortIo::TSocketPortIo(const QString& socketPath)
    : FSocketPath(socketPath)
{
    FPending.reserve(PendingLimit + 8);
}

TSocketPortIo::~TSocketPortIo()
{
    if (FHandle < 0)
        return;
    try {
        Flush();
    } catch (const EPortAccess&) {
        // The peer is gone; there is no one left to tell.
    }
    ::close(FHandle);
}

int TSocketPortIo::NewSocket()
{
    const int handle = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (handle < 0)
        throw EPortAccess(
            QStringLiteral("Cannot create a socket: %1").arg(SystemErrorMessage(errno)));
    return handle;
}

void TSocketPortIo::Connect()
{
    const QByteArray path = QFile::encodeName(FSocketPath);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof(address.sun_path))
        throw EPortAccess(
            QStringLiteral("Cannot connect to the device peer at %1: the socket path is empty "
                           "or longer than %2 bytes")
                .arg(FSocketPath)
                .arg(sizeof(address.sun_path) - 1));
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));

    const int handle = NewSocket();
    int result;
    do
        result = ::connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        ::close(handle);
        throw EPortAccess(QStringLiteral("Cannot connect to the device peer at %1: %2")
                              .arg(FSocketPath, SystemErrorMessage(error)));
    }
    FHandle = handle;
}

void TSocketPortIo::Flush()
{
    if (FPending.empty())
        return;
    if (FHandle < 0)
        Connect();
    std::size_t sent = 0;
    while (sent < FPending.size()) {
        // MSG_NOSIGNAL: a vanished peer must become an error message, not a SIGPIPE.
        const ssize_t done
            = ::send(FHandle, FPending.data() + sent, FPending.size() - sent, MSG_NOSIGNAL);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            FPending.clear();
            if (errno == EPIPE || errno == ECONNRESET)
                throw PeerClosed();
            throw EPortAccess(QStringLiteral("Cannot write to the device peer: %1")
                                  .arg(SystemErrorMessage(errno)));
        }
        sent += static_cast<std::size_t>(done);
    }
    FPending.clear();
}

std::uint8_t TSocketPortIo::Read(std::uint16_t address)
{
    Put(ReadMessage);
    Put(static_cast<std::uint8_t>(address & 0xFF));
    Put(static_cast<std::uint8_t>(address >> 8));
    Flush();
    std::uint8_t value = 0;
    for (;;) {
        const ssize_t done = ::recv(FHandle, &value, 1, 0);
        if (done == 1)
            return value;
        if (done == 0 || errno == ECONNRESET)
            throw PeerClosed();
        if (errno != EINTR)
            throw EPortAccess(QStringLiteral("Cannot read from the device peer: %1")
                                  .arg(SystemErrorMessage(errno)));
    }
}

void TSocketPortIo::Write(std::uint16_t address, std::uint8_t value)
{
    Put(WriteMessage);
    Put(static_cast<std::uint8_t>(address & 0xFF));
    Put(static_cast<std::uint8_t>(address >> 8));
    Put(value);
    if (FPending.size() >= PendingLimit)
        Flush();
}
