#include "PathKind.h"

#include "platform/EInOutError.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void FailToOpenPath(const QString& path, int errorCode)
{
    throw EInOutError(errorCode,
        QStringLiteral("Cannot open %1: %2")
            .arg(ReadableRawText(path), SystemErrorMessage(errorCode)));
}

} // namespace

TPathKind OpenedPathKind(const QString& path)
{
    if (path.isEmpty())
        FailToOpenPath(path, ENOENT);
    const QByteArray encoded = EncodeRawText(path);
    // A device is never opened: opening some of them does something (a tape rewinds, a
    // serial line rings).
    struct stat named;
    if (::stat(encoded.constData(), &named) != 0)
        FailToOpenPath(path, errno);
    if (!S_ISDIR(named.st_mode) && !S_ISREG(named.st_mode))
        return pkOther;
    int fd;
    do
        fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        FailToOpenPath(path, errno);
    struct stat status;
    const bool known = ::fstat(fd, &status) == 0;
    const int error = errno;
    ::close(fd);
    if (!known)
        FailToOpenPath(path, error);
    if (S_ISDIR(status.st_mode))
        return pkFolder;
    return S_ISREG(status.st_mode) ? pkFile : pkOther;
}
