#include "TDoctor64Peer.h"

#include "platform/IoErrorText.h"
#include "platform/port/EPortAccess.h"
#include "platform/port/TPortIo.h"
#include "platform/port/TSocketPortIo.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t ReceiveChunk = 0x10000;
// How long a wait lasts before a stop request is looked at again. A signal alone cannot be
// relied on to interrupt a wait: it may land just before it, or on another thread.
constexpr int StopCheckMilliseconds = 100;

// Closes a client connection on every way out of serving it.
class TClientHandle
{
public:
    explicit TClientHandle(int handle)
        : FHandle(handle)
    {
    }
    ~TClientHandle() { ::close(FHandle); }
    TClientHandle(const TClientHandle&) = delete;
    TClientHandle& operator=(const TClientHandle&) = delete;

private:
    int FHandle;
};

} // namespace

TDoctor64Peer::TDoctor64Peer(TPortIo& device, const QString& socketPath)
    : FDevice(device)
    , FSocketPath(socketPath)
{
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof(address.sun_path))
        throw EPortAccess(QStringLiteral("Cannot listen at %1: the socket path is empty or "
                                         "longer than %2 bytes")
                              .arg(socketPath)
                              .arg(sizeof(address.sun_path) - 1));
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));

    struct stat status
    {
    };
    if (::lstat(path.constData(), &status) == 0 && !S_ISSOCK(status.st_mode))
        throw EPortAccess(
            QStringLiteral("Cannot listen at %1: a file that is not a socket is in the way")
                .arg(socketPath));
    FLock = LockBeside(socketPath);
    // Holding the lock, this is the only peer of the path: a socket there is a dead one's.
    if (::lstat(path.constData(), &status) == 0) {
        if (!S_ISSOCK(status.st_mode)) {
            ReleaseLock();
            throw EPortAccess(
                QStringLiteral("Cannot listen at %1: a file that is not a socket is in the way")
                    .arg(socketPath));
        }
        ::unlink(path.constData());
    }

    FListener = TSocketPortIo::NewSocket();
    if (::bind(FListener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0
        || ::listen(FListener, 4) != 0 || ::lstat(path.constData(), &status) != 0) {
        const int error = errno;
        ::close(FListener);
        ReleaseLock();
        throw EPortAccess(
            QStringLiteral("Cannot listen at %1: %2").arg(socketPath, SystemErrorMessage(error)));
    }
    FSocketDevice = status.st_dev;
    FSocketNode = status.st_ino;
}

TDoctor64Peer::~TDoctor64Peer()
{
    ::close(FListener);
    // Whatever lies at the path now may be another's: only the socket bound here goes.
    const QByteArray path = QFile::encodeName(FSocketPath);
    struct stat status
    {
    };
    if (::lstat(path.constData(), &status) == 0 && S_ISSOCK(status.st_mode)
        && status.st_dev == FSocketDevice && status.st_ino == FSocketNode)
        ::unlink(path.constData());
    ReleaseLock();
}

int TDoctor64Peer::LockBeside(const QString& socketPath)
{
    const QByteArray lockPath = QFile::encodeName(socketPath + QStringLiteral(".lock"));
    for (;;) {
        const int lock = ::open(
            lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (lock < 0)
            throw EPortAccess(
                QStringLiteral("Cannot listen at %1: its lock %2 cannot be opened (%3)")
                    .arg(socketPath, QFile::decodeName(lockPath), SystemErrorMessage(errno)));
        struct stat opened
        {
        };
        if (::fstat(lock, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(lock);
            throw EPortAccess(
                QStringLiteral("Cannot listen at %1: its lock %2 is not a regular file")
                    .arg(socketPath, QFile::decodeName(lockPath)));
        }
        if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(lock);
            if (error == EWOULDBLOCK)
                throw EPortAccess(
                    QStringLiteral("Cannot listen at %1: another device peer is listening there")
                        .arg(socketPath));
            if (error == EINTR)
                continue;
            throw EPortAccess(QStringLiteral("Cannot listen at %1: its lock cannot be taken (%2)")
                                  .arg(socketPath, SystemErrorMessage(error)));
        }
        // A peer that ended removed the lock file after this one opened it: the lock held
        // is on a file nobody else will open, so take the one at the path.
        struct stat named
        {
        };
        if (::lstat(lockPath.constData(), &named) == 0 && named.st_dev == opened.st_dev
            && named.st_ino == opened.st_ino)
            return lock;
        ::close(lock);
    }
}

void TDoctor64Peer::ReleaseLock() noexcept
{
    if (FLock < 0)
        return;
    // Removed while still held, so that a peer waiting on this file sees it gone.
    ::unlink(QFile::encodeName(FSocketPath + QStringLiteral(".lock")).constData());
    ::close(FLock);
    FLock = -1;
}

bool TDoctor64Peer::WaitFor(int handle, short events) const
{
    for (;;) {
        if (Stopping())
            return false;
        pollfd wait { handle, events, 0 };
        const int ready = ::poll(&wait, 1, StopCheckMilliseconds);
        // Errors and hang-ups are left to the call that follows to report.
        if (ready > 0 || (ready < 0 && errno != EINTR))
            return true;
    }
}

bool TDoctor64Peer::ServeOne()
{
    for (;;) {
        if (!WaitFor(FListener, POLLIN))
            return false;
        const int client = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            const TClientHandle guard(client);
            return Serve(client);
        }
        if (errno != EINTR && errno != ECONNABORTED)
            throw EPortAccess(QStringLiteral("Cannot accept a connection at %1: %2")
                                  .arg(FSocketPath, SystemErrorMessage(errno)));
    }
}

bool TDoctor64Peer::Serve(int client)
{
    std::vector<std::uint8_t> input(ReceiveChunk + 4);
    std::vector<std::uint8_t> replies;
    std::size_t kept = 0; // bytes of an incomplete message carried over
    for (;;) {
        if (!WaitFor(client, POLLIN))
            return false;
        const ssize_t done = ::recv(client, input.data() + kept, ReceiveChunk, MSG_DONTWAIT);
        if (done < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            if (errno == ECONNRESET)
                return true;
            throw EPortAccess(
                QStringLiteral("Cannot read from the client: %1").arg(SystemErrorMessage(errno)));
        }
        if (done == 0)
            return true;

        const std::size_t end = kept + static_cast<std::size_t>(done);
        std::size_t at = 0;
        while (at < end) {
            const std::uint8_t kind = input[at];
            const std::size_t length = kind == 'W' ? 4 : kind == 'R' ? 3 : 0;
            if (length == 0)
                throw EPortAccess(
                    QStringLiteral("The client sent an unknown message (0x%1); connection closed")
                        .arg(kind, 2, 16, QLatin1Char('0')));
            if (end - at < length)
                break;
            const auto address = static_cast<std::uint16_t>(input[at + 1] | input[at + 2] << 8);
            if (kind == 'W')
                FDevice.Write(address, input[at + 3]);
            else
                replies.push_back(FDevice.Read(address));
            at += length;
        }
        kept = end - at;
        std::memmove(input.data(), input.data() + at, kept);
        // The client waits for its answer before it sends anything more, so everything
        // owed goes out before the next receive. A client that stops reading must not
        // keep a stop request from being seen.
        std::size_t sent = 0;
        while (sent < replies.size()) {
            if (!WaitFor(client, POLLOUT))
                return false;
            const ssize_t done = ::send(
                client, replies.data() + sent, replies.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (done < 0) {
                if (errno == EINTR || errno == EAGAIN)
                    continue;
                return true; // the client is gone
            }
            sent += static_cast<std::size_t>(done);
        }
        replies.clear();
    }
}
