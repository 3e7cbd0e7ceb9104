#pragma once

#include <QString>

#include <functional>
#include <sys/types.h>

class TPortIo;

// Serves a device model to a program in another process over a Unix stream socket: the
// virtual-port messages (docs/virtual-port.md) are applied to the model in order and each
// read is answered with the register's value. One client is served at a time.
class TDoctor64Peer
{
public:
    // Binds and listens at once, so a client may connect as soon as this returns. A lock
    // beside the socket (SOCKET.lock), held for the peer's life, tells whether another peer
    // serves the path: that one is refused and left serving, and finding out never counts
    // as its client nor waits for it. A stale socket left by an earlier run is replaced;
    // any other file in the way is an error.
    TDoctor64Peer(TPortIo& device, const QString& socketPath);
    ~TDoctor64Peer();
    TDoctor64Peer(const TDoctor64Peer&) = delete;
    TDoctor64Peer& operator=(const TDoctor64Peer&) = delete;

    // Looked at while waiting for a client or for its messages, at least ten times a
    // second; true ends serving.
    void SetStopRequested(std::function<bool()> stopRequested)
    {
        FStopRequested = std::move(stopRequested);
    }

    // Waits for one client and serves it until it disconnects. Returns false when a stop
    // was requested before or during that.
    bool ServeOne();

private:
    // Opens and takes the lock beside the socket; raises EPortAccess when another peer
    // holds it.
    static int LockBeside(const QString& socketPath);
    void ReleaseLock() noexcept;
    bool Stopping() const { return FStopRequested && FStopRequested(); }
    bool Serve(int client);
    // Waits until the handle is ready for events; false when a stop was requested first.
    bool WaitFor(int handle, short events) const;

    TPortIo& FDevice;
    QString FSocketPath;
    int FListener = -1;
    int FLock = -1;
    // The socket this peer bound, so that it removes only its own.
    dev_t FSocketDevice = 0;
    ino_t FSocketNode = 0;
    std::function<bool()> FStopRequested;
};
