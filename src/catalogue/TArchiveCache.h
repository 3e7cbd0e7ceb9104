#pragma once

#include "image/TArchiveContents.h"

#include <QString>
#include <QtGlobal>

#include <map>
#include <optional>

// What each archive of a listing holds, remembered between scans in one file of a folder,
// so that browsing a folder of archives again costs no more than a stat of each. An entry
// counts only while its archive has the size and modification time (to the nanosecond) it
// had when it was listed. The file is only a help: one that cannot be read or written, is
// damaged, truncated, of another version, or no regular file is ignored and, at the next
// save, replaced; no error of it ever reaches the caller.
class TArchiveCache
{
public:
    // The file's name inside the folder.
    static const QString FileName;
    // Bounds the file: past it, the entries written longest ago are dropped.
    static constexpr qint64 MaxFileSize = 8 * 1024 * 1024;

    // The user's cache folder for Conveyor: $XDG_CACHE_HOME/Conveyor, by default
    // ~/.cache/Conveyor. Empty when the user has no home.
    static QString UserFolder();

    // Nothing is read before the first archive is looked up. An empty folder keeps nothing
    // between listings.
    explicit TArchiveCache(const QString& folder);

    // What TImageSource::Contents says of the archive, from the cache when it holds the
    // archive as it is now. Members that are not images are left out: a listing has no use
    // for them and an archive may hold thousands. Raises as TImageSource::Contents does.
    TArchiveContents Contents(const QString& archive);
    // The same for an archive whose size and modification time the caller has just taken
    // from the descriptor it read the archive's first bytes from.
    TArchiveContents Contents(const QString& archive, qint64 size, qint64 modifiedNs);
    // Writes the cache if a lookup changed it, atomically; entries of archives that are no
    // longer there are dropped. Whether the write succeeded matters to no one.
    void Save();

    // How many lookups had to read their archive: what a listing from the cache avoids.
    int ArchivesRead() const { return FArchivesRead; }

    // What an entry is checked against.
    struct TFileStamp
    {
        qint64 Size = 0;
        qint64 ModifiedNs = 0;
    };

private:
    struct TEntry
    {
        qint64 Size = 0;
        qint64 ModifiedNs = 0;
        // When the entry was made, in the order of the file: the oldest go first.
        quint64 Made = 0;
        TArchiveContents Contents;
    };

    TArchiveContents Lookup(const QString& archive, const std::optional<TFileStamp>& stamp);
    void Load();

    QString FFolder;
    QString FCurrentFolder;
    bool FLoaded = false;
    bool FChanged = false;
    quint64 FNextMade = 0;
    int FArchivesRead = 0;
    std::map<QString, TEntry> FEntries;
};
