#pragma once

#include "platform/TClock.h"

#include <QtGlobal>

// The clock values of one delivery: the local time read at the latest progress update,
// and ElapsedSeconds, the number of updates that found the clock's second changed since
// the update before. While updates come at least once a second this is the time the
// delivery has taken; a longer gap between two updates still adds only 1.
class TDeliveryClock
{
public:
    // The clock must outlive this object.
    explicit TDeliveryClock(const TClock& clock);

    // Before each delivery; afterwards the first update counts 1 unless the clock's second
    // is then 0.
    void Reset();
    // Reads the clock once and counts a changed second.
    void Update();

    quint16 Hour() const { return FHour; }
    quint16 Minute() const { return FMinute; }
    quint16 Second() const { return FSecond; }
    quint16 Millisecond() const { return FMillisecond; }
    qint32 LastSecond() const { return FLastSecond; }
    qint32 ElapsedSeconds() const { return FElapsedSeconds; }

private:
    const TClock& FClock;
    quint16 FHour = 0;
    quint16 FMinute = 0;
    quint16 FSecond = 0;
    quint16 FMillisecond = 0;
    qint32 FLastSecond = 0;
    qint32 FElapsedSeconds = 0;
};
