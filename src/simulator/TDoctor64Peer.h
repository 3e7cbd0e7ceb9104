#pragma once

#include <QString>

#include <functional>

class TPortIo;

// Serves a device model to a program in another process over a Unix stream socket: the
// virtual-port messages (docs/virtual-port.md) are applied to the model in order and each
// read is answered with the register's value. One client is served at a time.
class TDoctor64Peer
{
public:
    // Binds and listens at once, so a client may connect as soon as this returns. A stale
    // socket left by an earlier run is replaced; a live peer's socket or any other file in
    // the way is an error.
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
    bool Stopping() const { return FStopRequested && FStopRequested(); }
    bool Serve(int client);
    // Waits until the handle is ready for events; false when a stop was requested first.
    bool WaitFor(int handle, short events) const;

    TPortIo& FDevice;
    QString FSocketPath;
    int FListener = -1;
    std::function<bool()> FStopRequested;
};
