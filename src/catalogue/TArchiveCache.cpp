#include "TArchiveCache.h"

#include "image/TImageSource.h"
#include "platform/RawText.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file of another program, or of another layout of this one, never parses as ours.
constexpr char CacheMagic[8] = { 'C', 'V', 'Y', 'A', 'R', 'C', '\r', '\n' };
constexpr quint32 CacheVersion = 1;
constexpr int HashLength = 16;
constexpr QCryptographicHash::Algorithm HashAlgorithm = QCryptographicHash::Md5;
constexpr QDataStream::Version StreamVersion = QDataStream::Qt_6_0;

// The size and modification time of a regular file; nothing for anything else.
std::optional<TArchiveCache::TFileStamp> StampOf(const QString& path)
{
    struct stat status
    {
    };
    if (::stat(EncodeRawText(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return TArchiveCache::TFileStamp { status.st_size,
        qint64(status.st_mtim.tv_sec) * 1000000000 + qint64(status.st_mtim.tv_nsec) };
}

// The whole cache file, or nothing for one that is missing, no regular file (a link is not
// followed, a FIFO not waited on) or larger than a cache of ours can be.
std::optional<QByteArray> ReadCacheFile(const QString& path)
{
    const int handle
        = ::open(EncodeRawText(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (handle < 0)
        return std::nullopt;
    std::optional<QByteArray> result;
    struct stat status
    {
    };
    if (::fstat(handle, &status) == 0 && S_ISREG(status.st_mode)
        && status.st_size <= TArchiveCache::MaxFileSize) {
        QByteArray bytes(qsizetype(status.st_size), Qt::Uninitialized);
        qsizetype done = 0;
        for (;;) {
            // One byte more than stated tells a file that grew while it was read.
            if (done == bytes.size())
                bytes.resize(done + 1);
            const ssize_t count = ::read(handle, bytes.data() + done, size_t(bytes.size() - done));
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0) {
                if (count == 0 && done == qsizetype(status.st_size)) {
                    bytes.resize(done);
                    result = std::move(bytes);
                }
                break;
            }
            done += count;
            if (done > qsizetype(status.st_size))
                break;
        }
    }
    ::close(handle);
    return result;
}

QDataStream& operator<<(QDataStream& stream, const TArchiveMember& member)
{
    return stream << member.Path << member.Size << qint32(member.Header.Present)
                  << QByteArray(member.Header.Bytes.data(), TCartridgeHeader::Length);
}

bool ReadMember(QDataStream& stream, TArchiveMember* member)
{
    qint32 present = 0;
    QByteArray bytes;
    stream >> member->Path >> member->Size >> present >> bytes;
    if (stream.status() != QDataStream::Ok || present < 0 || present > TCartridgeHeader::Length
        || bytes.size() != TCartridgeHeader::Length || member->Size < 0)
        return false;
    member->Header.Present = present;
    std::copy(bytes.begin(), bytes.end(), member->Header.Bytes.begin());
    return true;
}

} // namespace

const QString TArchiveCache::FileName = QStringLiteral("archives.cache");

QString TArchiveCache::UserFolder()
{
    // Without a home there is no cache folder, rather than one at the root.
    const QString location = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return location.isEmpty() ? QString() : location + QStringLiteral("/Conveyor");
}

TArchiveCache::TArchiveCache(const QString& folder)
    : FFolder(folder)
{
}

TArchiveContents TArchiveCache::Contents(const QString& archive)
{
    // Taken before the archive is read: a change while it is read makes the entry stale at
    // the next lookup instead of hiding the change.
    const std::optional<TFileStamp> stamp = StampOf(archive);
    return Lookup(archive, stamp);
}

TArchiveContents TArchiveCache::Contents(const QString& archive, qint64 size, qint64 modifiedNs)
{
    return Lookup(archive, TFileStamp { size, modifiedNs });
}

TArchiveContents TArchiveCache::Lookup(
    const QString& archive, const std::optional<TFileStamp>& stamp)
{
    if (!FLoaded)
        Load();
    if (FCurrentFolder.isEmpty() && QDir::isRelativePath(archive))
        FCurrentFolder = QDir::currentPath();
    // Asked once per cache: a listing's names are all relative to the same folder.
    const QString key = QDir::cleanPath(
        QDir::isRelativePath(archive) ? FCurrentFolder + QLatin1Char('/') + archive : archive);
    if (stamp) {
        const auto found = FEntries.find(key);
        if (found != FEntries.end() && found->second.Size == stamp->Size
            && found->second.ModifiedNs == stamp->ModifiedNs)
            return found->second.Contents;
    }
    ++FArchivesRead;
    TArchiveContents contents = TImageSource::Contents(archive);
    std::erase_if(
        contents.Members, [](const TArchiveMember& member) { return !member.Header.IsImage(); });
    if (!stamp) {
        FChanged = FEntries.erase(key) > 0 || FChanged;
        return contents;
    }
    FEntries[key] = TEntry { stamp->Size, stamp->ModifiedNs, FNextMade++, contents };
    FChanged = true;
    return contents;
}

void TArchiveCache::Load()
{
    FLoaded = true;
    if (FFolder.isEmpty())
        return;
    const std::optional<QByteArray> file = ReadCacheFile(FFolder + QLatin1Char('/') + FileName);
    const qsizetype headerLength = qsizetype(sizeof CacheMagic) + 4;
    if (!file || file->size() < headerLength + HashLength
        || !file->startsWith(QByteArrayView(CacheMagic, sizeof CacheMagic)))
        return;
    const QByteArray body = file->left(file->size() - HashLength);
    if (QCryptographicHash::hash(body, HashAlgorithm) != file->right(HashLength))
        return;
    QDataStream stream(body);
    stream.setVersion(StreamVersion);
    stream.skipRawData(int(sizeof CacheMagic));
    quint32 version = 0;
    quint32 count = 0;
    stream >> version >> count;
    if (version != CacheVersion)
        return;
    std::map<QString, TEntry> entries;
    for (quint32 i = 0; i < count; ++i) {
        QString path;
        TEntry entry;
        qint32 state = 0;
        quint32 members = 0;
        stream >> path >> entry.Size >> entry.ModifiedNs >> entry.Made >> state
            >> entry.Contents.Reason >> members;
        if (stream.status() != QDataStream::Ok || state < asPlainFile || state > asEncrypted)
            return;
        entry.Contents.State = TArchiveState(state);
        for (quint32 m = 0; m < members; ++m) {
            TArchiveMember member;
            if (!ReadMember(stream, &member))
                return;
            entry.Contents.Members.push_back(std::move(member));
        }
        FNextMade = std::max(FNextMade, entry.Made + 1);
        entries[path] = std::move(entry);
    }
    if (!stream.atEnd())
        return;
    FEntries = std::move(entries);
}

void TArchiveCache::Save()
{
    if (!FChanged || FFolder.isEmpty())
        return;
    FChanged = false;
    std::erase_if(FEntries, [](const auto& entry) { return !StampOf(entry.first); });
    // The newest entries are kept: they are the folders browsed last.
    std::vector<const std::pair<const QString, TEntry>*> order;
    order.reserve(FEntries.size());
    for (const auto& entry : FEntries)
        order.push_back(&entry);
    std::sort(order.begin(), order.end(),
        [](const auto* a, const auto* b) { return a->second.Made > b->second.Made; });
    QByteArray entries;
    quint32 count = 0;
    const qint64 room = MaxFileSize - qint64(sizeof CacheMagic) - 8 - HashLength;
    for (const auto* entry : order) {
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream.setVersion(StreamVersion);
        stream << entry->first << entry->second.Size << entry->second.ModifiedNs
               << entry->second.Made << qint32(entry->second.Contents.State)
               << entry->second.Contents.Reason << quint32(entry->second.Contents.Members.size());
        for (const TArchiveMember& member : entry->second.Contents.Members)
            stream << member;
        if (entries.size() + bytes.size() > room)
            continue;
        entries += bytes;
        ++count;
    }
    QByteArray body(CacheMagic, sizeof CacheMagic);
    {
        QDataStream stream(&body, QIODevice::Append);
        stream.setVersion(StreamVersion);
        stream << CacheVersion << count;
    }
    body += entries;
    body += QCryptographicHash::hash(body, HashAlgorithm);

    if (!QDir().mkpath(FFolder))
        return;
    const QString path = FFolder + QLatin1Char('/') + FileName;
    // Something else in the cache file's place (a link, a FIFO, a folder) is not ours to
    // replace, and a link is not to be written through.
    struct stat status
    {
    };
    if (::lstat(EncodeRawText(path).constData(), &status) == 0 && !S_ISREG(status.st_mode))
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    if (file.write(body) != body.size()) {
        file.cancelWriting();
        return;
    }
    file.commit();
}
