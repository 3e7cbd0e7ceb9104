#pragma once

#include <QString>

// An exclusive lock on a file, held from a successful TryLock until the object goes. The
// kernel drops it when the process ends, however it ends, so a crashed program leaves
// nothing behind that could keep the next one out; a file that merely exists tells
// nothing. Two objects on one file exclude each other within one process too.
class TInstanceLock
{
public:
    explicit TInstanceLock(const QString& path);
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    // True when this object holds the lock now, false while another holds it. Creates the
    // file (readable by its owner only) when it is missing. Raises EInOutError when the file
    // cannot be opened or locked: a link, anything but a regular file, another user's file.
    bool TryLock();
    bool Held() const { return FHandle >= 0; }
    const QString& Path() const { return FPath; }

private:
    QString FPath;
    int FHandle = -1;
};
