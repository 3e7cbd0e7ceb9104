#pragma once

#include "platform/port/TPortIo.h"

#include <QString>

#include <chrono>
#include <cstddef>
#include <vector>

// A virtual parallel port: every register access goes as a short message over a Unix
// stream socket to a device model in another process (docs/virtual-port.md). Writes are
// collected and sent together with the next read, which is what keeps a transfer fast:
// the model answers each read only after it has applied every earlier write anyway.
// The connection is made when a transfer begins (or at the first access outside one) and
// closed when it ends, so other senders reach the peer between transfers and a restarted
// peer is found at the next one. A peer that leaves a read or a write unanswered for
// AnswerLimit ends it with EPortSilent, so a stuck peer never freezes the sender.
class TSocketPortIo : public TPortIo
{
public:
    static constexpr std::chrono::milliseconds AnswerLimit { 5000 };

    explicit TSocketPortIo(const QString& socketPath);
    ~TSocketPortIo() override;
    TSocketPortIo(const TSocketPortIo&) = delete;
    TSocketPortIo& operator=(const TSocketPortIo&) = delete;

    // A Unix stream socket, closed on exec; the device peer listens on one of these. Raises
    // EPortAccess when the system gives none.
    static int NewSocket();

    std::uint8_t Read(std::uint16_t address) override;
    void Write(std::uint16_t address, std::uint8_t value) override;
    void Flush() override;
    void Begin(std::uint16_t base) override;
    void End() noexcept override;

    // Tests shorten the wait rather than sit through it.
    void SetAnswerLimit(std::chrono::milliseconds limit) { FAnswerLimit = limit; }

private:
    void Connect();
    void Disconnect() noexcept;
    // Waits until the connection is ready for events; raises EPortSilent after the limit.
    void WaitReady(short events, const char* what);
    void Put(std::uint8_t byte) { FPending.push_back(byte); }

    QString FSocketPath;
    std::chrono::milliseconds FAnswerLimit = AnswerLimit;
    int FHandle = -1;
    std::vector<std::uint8_t> FPending;
};
