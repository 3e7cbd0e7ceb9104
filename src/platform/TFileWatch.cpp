#include "TFileWatch.h"

#include "platform/Exception.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"

#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstring>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// In place (modify, close after writing), replaced (moved to, created), gone (deleted,
// moved away), or made readable again (attributes).
constexpr std::uint32_t FileEvents
    = IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_ATTRIB;
constexpr std::uint32_t FolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

} // namespace

TFileWatch::TFileWatch(const QString& path)
{
    const QFileInfo info(path);
    FFolder = info.absolutePath();
    FName = EncodeRawText(info.fileName());
    FHandle = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (FHandle < 0)
        throw Exception(QStringLiteral("Cannot watch %1: %2").arg(path, IoErrorText(errno)));
    FWatch = ::inotify_add_watch(FHandle, EncodeRawText(FFolder).constData(),
        FileEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    if (FWatch < 0) {
        const int error = errno;
        ::close(FHandle);
        FHandle = -1;
        throw Exception(QStringLiteral("Cannot watch %1: %2").arg(FFolder, IoErrorText(error)));
    }
}

TFileWatch::~TFileWatch()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

TFileWatch::TWaitResult TFileWatch::Wait(int timeoutMs)
{
    pollfd entry { FHandle, POLLIN, 0 };
    const int ready = ::poll(&entry, 1, timeoutMs < 0 ? -1 : timeoutMs);
    if (ready < 0) {
        if (errno == EINTR)
            return wrInterrupted;
        throw Exception(QStringLiteral("Cannot watch %1: %2").arg(FFolder, IoErrorText(errno)));
    }
    if (ready == 0)
        return wrQuiet;

    bool changed = false;
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t count = ::read(FHandle, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN)
                break;
            throw Exception(QStringLiteral("Cannot watch %1: %2").arg(FFolder, IoErrorText(errno)));
        }
        for (ssize_t at = 0; at < count;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof event;
            at += static_cast<ssize_t>(sizeof event + event.len);
            if ((event.mask & FolderGone) != 0)
                throw Exception(QStringLiteral("%1 is gone").arg(FFolder));
            // An overflowed queue lost events, which may have been the file's.
            if ((event.mask & IN_Q_OVERFLOW) != 0 || (event.len > 0 && FName == QByteArray(name)))
                changed = true;
        }
    }
    return changed ? wrChanged : wrQuiet;
}
