#include "TReadOnlyFile.h"

#include "platform/EInOutError.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TReadOnlyFile::TReadOnlyFile(const QString& path)
    : FPath(path)
{
    // O_NONBLOCK: a FIFO put in place of a listed file must not hang the scan.
    do
        FHandle = ::open(EncodeRawText(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    while (FHandle < 0 && errno == EINTR);
    if (FHandle < 0)
        Fail("open", errno);
}

TReadOnlyFile::~TReadOnlyFile()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

qint64 TReadOnlyFile::Size() const
{
    struct stat status;
    if (::fstat(FHandle, &status) != 0)
        Fail("take the size of", errno);
    return status.st_size;
}

qint64 TReadOnlyFile::ModifiedNs(qint64* size) const
{
    struct stat status;
    if (::fstat(FHandle, &status) != 0)
        Fail("take the size of", errno);
    *size = status.st_size;
    return qint64(status.st_mtim.tv_sec) * 1000000000 + qint64(status.st_mtim.tv_nsec);
}

qsizetype TReadOnlyFile::ReadAt(qint64 offset, char* buffer, qsizetype length) const
{
    qsizetype done = 0;
    while (done < length) {
        const ssize_t count = ::pread(FHandle, buffer + done, size_t(length - done), offset + done);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            Fail("read", errno);
        }
        if (count == 0)
            break;
        done += count;
    }
    return done;
}

void TReadOnlyFile::Close()
{
    const int handle = FHandle;
    FHandle = -1;
    if (handle >= 0 && ::close(handle) != 0)
        Fail("close", errno);
}

void TReadOnlyFile::Fail(const char* operation, int errorCode) const
{
    throw EInOutError(errorCode,
        QStringLiteral("Cannot %1 file %2: %3")
            .arg(QLatin1String(operation), FPath, SystemErrorMessage(errorCode)));
}
