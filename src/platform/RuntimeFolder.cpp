#include "RuntimeFolder.h"

#include "platform/EInOutError.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"

#include <QDir>

#include <algorithm>
#include <cerrno>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

bool IsPrivateFolder(const QString& path)
{
    struct stat status;
    return !path.isEmpty() && ::lstat(EncodeRawText(path).constData(), &status) == 0
        && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid()
        && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

QString UserRuntimeFolder()
{
    const QString runtime = DecodeRawText(qgetenv("XDG_RUNTIME_DIR"));
    if (QDir::isAbsolutePath(runtime) && IsPrivateFolder(runtime))
        return QDir::cleanPath(runtime);

    // The temporary folder is everyone's: the folder of our own is made with no access for
    // others, and one found there is used only when it is ours and private, so nobody else
    // can put a socket or a lock in our way.
    const QString folder
        = QDir::tempPath() + QStringLiteral("/conveyor-") + QString::number(::geteuid());
    const QByteArray encoded = EncodeRawText(folder);
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST) {
        const int error = errno;
        throw EInOutError(error,
            QStringLiteral("Cannot make the folder %1: %2")
                .arg(ReadableRawText(folder), SystemErrorMessage(error)));
    }
    if (!IsPrivateFolder(folder))
        throw EInOutError(EPERM,
            QStringLiteral("%1 is not a folder of this user's own that others cannot enter")
                .arg(ReadableRawText(folder)));
    return folder;
}

QString UserName()
{
    // Only characters that any file name can hold: the name becomes part of one.
    const passwd* entry = ::getpwuid(::geteuid());
    const QString name
        = entry && entry->pw_name ? QString::fromLocal8Bit(entry->pw_name) : QString();
    const bool plain = !name.isEmpty() && std::all_of(name.begin(), name.end(), [](QChar c) {
        return c.unicode() < 0x80
            && (c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-')
                || c == QLatin1Char('.'));
    });
    return plain ? name : QString::number(::geteuid());
}
