#include "TSocketPortIo.h"

#include "platform/IoErrorText.h"
#include "platform/port/EPortAccess.h"
#include "platform/port/EPortSilent.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
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
    End();
}

void TSocketPortIo::Begin(std::uint16_t)
{
    if (FHandle < 0)
        Connect();
}

void TSocketPortIo::End() noexcept
{
    if (FHandle < 0)
        return;
    try {
        Flush();
    } catch (const Exception&) {
        // The peer is gone or stuck; there is no one left to tell.
    }
    Disconnect();
}

void TSocketPortIo::Disconnect() noexcept
{
    if (FHandle >= 0)
        ::close(FHandle);
    FHandle = -1;
    FPending.clear();
}

void TSocketPortIo::WaitReady(short events, const char* what)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + FAnswerLimit;
    for (;;) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd wait { FHandle, events, 0 };
        const int ready = ::poll(&wait, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        // Errors and hang-ups are left to the call that follows to report.
        if (ready > 0 || (ready < 0 && errno != EINTR))
            return;
        if (ready == 0) {
            // Whatever the peer does later belongs to no transfer any more.
            Disconnect();
            throw EPortSilent(QStringLiteral("The device peer did not %1 within %2 seconds")
                                  .arg(QLatin1String(what))
                                  .arg(static_cast<double>(FAnswerLimit.count()) / 1000.0));
        }
    }
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
        // connect() says "Connection refused" for a plain file or a folder, as for a dead
        // peer's socket; the user needs to hear that the path is wrong.
        struct stat status
        {
        };
        if (error == ECONNREFUSED && ::stat(path.constData(), &status) == 0
            && !S_ISSOCK(status.st_mode))
            throw EPortAccess(
                QStringLiteral("Cannot connect to the device peer at %1: it is not a socket")
                    .arg(FSocketPath));
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
        WaitReady(POLLOUT, "take what was sent");
        // MSG_NOSIGNAL: a vanished peer must become an error message, not a SIGPIPE.
        const ssize_t done = ::send(
            FHandle, FPending.data() + sent, FPending.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (done < 0) {
            if (errno == EINTR || errno == EAGAIN)
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
        WaitReady(POLLIN, "answer");
        const ssize_t done = ::recv(FHandle, &value, 1, MSG_DONTWAIT);
        if (done == 1)
            return value;
        if (done == 0 || errno == ECONNRESET)
            throw PeerClosed();
        if (errno != EINTR && errno != EAGAIN)
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
