#pragma once

#include "shell/TInstanceServer.h"

#include <QString>

#include <memory>

class TInstanceLock;

// One Conveyor for each settings file: two programs on one file would overwrite each
// other's settings and reach for one port. The first start holds a lock for its whole life
// and listens on a local socket beside it; a later start hands its file over that socket,
// and the running window opens it. Only the lock tells whether one runs, so that two starts
// at the same moment cannot both become the first, and a crashed program's socket is no
// obstacle. A program that cannot tell (no private folder for the lock) runs on its own.
//
// Distinct settings files are distinct instances: a portable copy, a build tree and the
// installed program each run once, and tests that give every program a folder of its own
// can run several side by side.
class TSingleInstance
{
public:
    // How long a later start waits for the running one before it gives up on it.
    static constexpr int HandOverTimeoutMs = 5000;

    // Decides at once whether this is the first program for the settings file; the first
    // listens on its socket from now on. The lock and the socket are made in folder, by
    // default the user's runtime folder. Needs a QCoreApplication.
    explicit TSingleInstance(const QString& settingsFile);
    TSingleInstance(const QString& settingsFile, const QString& folder);
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    bool First() const { return FFirst; }
    // Why the program cannot tell whether another one runs, or cannot serve later starts;
    // it runs on its own then. Empty when all is well.
    const QString& Warning() const { return FWarning; }

    // The first program: what later starts ask for, from now on and what asked before.
    void Serve(TInstanceServer::THandler handler);
    // A later start: hands the absolute path (or nothing) to the first and waits for its
    // answer. Empty when it was taken, otherwise what went wrong, in words.
    QString HandOver(const QString& path, int timeoutMs = HandOverTimeoutMs) const;

    // "conveyor-USER-KEY", KEY drawn from the settings file's absolute path: the name of
    // the lock and of the socket.
    static QString InstanceName(const QString& settingsFile);
    const QString& LockPath() const { return FLockPath; }
    const QString& SocketPath() const { return FSocketPath; }

private:
    void Decide(const QString& folder);

    QString FSettingsFile;
    QString FLockPath;
    QString FSocketPath;
    std::unique_ptr<TInstanceLock> FLock;
    std::unique_ptr<TInstanceServer> FServer;
    bool FFirst = true;
    QString FWarning;
};
