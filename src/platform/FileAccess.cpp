#include "FileAccess.h"

#include "platform/RawText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes everything, going on after short writes; a write that fails ends it.
bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

// A new file beside the target, created exclusively so it never takes over another.
int CreateBeside(const QByteArray& target, QByteArray& name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".new-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteInPlace(const QByteArray& target, const QByteArray& bytes)
{
    // Not truncated first: an interrupted write then leaves the file's length, not nothing.
    // Without blocking, and checked on the descriptor: a FIFO or device put in its place since
    // the caller looked must be neither waited for nor written.
    const int fd = ::open(target.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return false;
    }
    bool written
        = WriteAll(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fdatasync(fd) == 0;
    written = ::close(fd) == 0 && written;
    return written;
}

} // namespace

bool IsWritable(const QString& path)
{
    if (path.isEmpty())
        return false;
    return faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
}

bool IsFolder(const QString& path)
{
    struct stat status;
    return !path.isEmpty() && ::stat(EncodeRawText(path).constData(), &status) == 0
        && S_ISDIR(status.st_mode);
}

QString ParentFolder(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString AbsolutePath(const QString& path)
{
    if (path.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(path);
    const std::unique_ptr<char, void (*)(void*)> current(::getcwd(nullptr, 0), std::free);
    const QString folder = current ? DecodeRawText(current.get()) : QDir::currentPath();
    return QDir::cleanPath(folder + QLatin1Char('/') + path);
}

bool ReplaceFile(const QString& fileName, const QByteArray& bytes)
{
    const QFileInfo info(fileName);
    QString targetName = info.absoluteFilePath();
    if (info.isSymLink())
        targetName = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    const QByteArray target = QFile::encodeName(targetName);

    struct stat existing
    {
    };
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return false;

    QByteArray temporary;
    const int fd = CreateBeside(target, temporary);
    if (fd < 0) {
        const bool folderClosed = errno == EACCES || errno == EPERM || errno == EROFS;
        return exists && folderClosed && WriteInPlace(target, bytes);
    }
    bool written = WriteAll(fd, bytes);
    if (written && exists)
        written = ::fchmod(fd, existing.st_mode & 07777) == 0;
    written = written && ::fdatasync(fd) == 0;
    written = ::close(fd) == 0 && written;
    written = written && ::rename(temporary.constData(), target.constData()) == 0;
    if (!written)
        ::unlink(temporary.constData());
    return written;
}

bool MakeFolders(const QString& path)
{
    const QByteArray bytes = EncodeRawText(path);
    if (bytes.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    // Each prefix that ends before a separator, then the whole path.
    for (qsizetype end = 1; end <= bytes.size(); ++end) {
        if (end < bytes.size() && bytes.at(end) != '/')
            continue;
        const QByteArray prefix = bytes.left(end);
        if (::mkdir(prefix.constData(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    struct stat status;
    if (::stat(bytes.constData(), &status) != 0)
        return false;
    if (!S_ISDIR(status.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}
