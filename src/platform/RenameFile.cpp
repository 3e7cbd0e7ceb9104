#include "RenameFile.h"

#include "platform/EInOutError.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"

#include <QFile>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

[[noreturn]] void Fail(const QString& oldName, const QString& newName, int errorCode)
{
    throw EInOutError(errorCode,
        QStringLiteral("Cannot rename %1 to %2: %3")
            .arg(oldName, newName, SystemErrorMessage(errorCode)));
}

#ifdef Q_OS_UNIX
// The file system offers no way to refuse replacing in the rename itself.
bool NoReplaceUnsupported(int errorCode)
{
    return errorCode == EINVAL || errorCode == ENOSYS || errorCode == EOPNOTSUPP;
}

// The file system keeps no hard links (FAT and many network file systems).
bool LinksUnsupported(int errorCode)
{
    return errorCode == EPERM || errorCode == EOPNOTSUPP || errorCode == ENOSYS;
}
#endif

} // namespace

void RenameFile(const QString& oldName, const QString& newName)
{
    if (oldName == newName)
        return;
    const QByteArray from = EncodeRawText(oldName);
    const QByteArray to = EncodeRawText(newName);
#ifdef Q_OS_UNIX
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return;
    if (!NoReplaceUnsupported(errno))
        Fail(oldName, newName, errno);
#endif
    // link() refuses an existing name by itself, so nothing can be replaced in between.
    if (::link(from.constData(), to.constData()) == 0) {
        if (::unlink(from.constData()) == 0)
            return;
        const int error = errno;
        ::unlink(to.constData());
        Fail(oldName, newName, error);
    }
    if (!LinksUnsupported(errno))
        Fail(oldName, newName, errno);
    // Last resort: a file created under the new name between the test and the rename would
    // be replaced, a window no other way closes on such a file system.
    struct stat status;
    if (::lstat(to.constData(), &status) == 0)
        Fail(oldName, newName, EEXIST);
    if (std::rename(from.constData(), to.constData()) != 0)
        Fail(oldName, newName, errno);
#else
    if (QFile::exists(newName))
        Fail(oldName, newName, EEXIST);
    if (std::rename(from.constData(), to.constData()) != 0)
        Fail(oldName, newName, errno);
#endif
}
