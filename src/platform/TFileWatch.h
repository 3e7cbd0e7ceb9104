#pragma once

#include <QByteArray>
#include <QString>

// Tells when one file is written again, replaced by a rename, removed or created, by
// watching its folder (inotify): a watch on the file itself would follow the old inode
// away when an editor or a linker renames a new file over it.
class TFileWatch
{
public:
    enum TWaitResult
    {
        wrChanged,
        wrQuiet,
        wrInterrupted
    };

    // Raises Exception when the folder cannot be watched.
    explicit TFileWatch(const QString& path);
    ~TFileWatch();
    TFileWatch(const TFileWatch&) = delete;
    TFileWatch& operator=(const TFileWatch&) = delete;

    // Waits at most timeoutMs (negative: without end) for a change of the file: wrChanged
    // when one came, wrQuiet when none did, wrInterrupted when a signal cut the wait short.
    // Raises Exception when the folder itself went away.
    TWaitResult Wait(int timeoutMs);

private:
    int FHandle = -1;
    int FWatch = -1;
    QByteArray FName;
    QString FFolder;
};
