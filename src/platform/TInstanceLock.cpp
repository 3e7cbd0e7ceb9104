#include "TInstanceLock.h"

#include "platform/EInOutError.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void FailToLock(const QString& path, int errorCode)
{
    throw EInOutError(errorCode,
        QStringLiteral("Cannot lock %1: %2")
            .arg(ReadableRawText(path), SystemErrorMessage(errorCode)));
}

} // namespace

TInstanceLock::TInstanceLock(const QString& path)
    : FPath(path)
{
}

TInstanceLock::~TInstanceLock()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

bool TInstanceLock::TryLock()
{
    if (Held())
        return true;
    // Never through a link, and never blocking on a FIFO put in the file's place: the folder
    // may be a shared one.
    int fd;
    do
        fd = ::open(EncodeRawText(FPath).constData(),
            O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        FailToLock(FPath, errno);
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        FailToLock(FPath, error);
    }
    // Another user's file could be locked by that user for ever, keeping this one out.
    if (!S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
        ::close(fd);
        FailToLock(FPath, EPERM);
    }
    int locked;
    do
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return false;
        FailToLock(FPath, error);
    }
    FHandle = fd;
    return true;
}
