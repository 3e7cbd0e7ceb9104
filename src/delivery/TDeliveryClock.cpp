#include "TDeliveryClock.h"

TDeliveryClock::TDeliveryClock(const TClock& clock)
    : FClock(clock)
{
}

void TDeliveryClock::Reset()
{
    FHour = 0;
    FMinute = 0;
    FSecond = 0;
    FMillisecond = 0;
    FLastSecond = 0;
    FElapsedSeconds = 0;
}

void TDeliveryClock::Update()
{
    const QTime now = FClock.Now();
    FHour = static_cast<quint16>(now.hour());
    FMinute = static_cast<quint16>(now.minute());
    FSecond = static_cast<quint16>(now.second());
    FMillisecond = static_cast<quint16>(now.msec());
    if (FSecond != FLastSecond) {
        FLastSecond = FSecond;
        ++FElapsedSeconds;
    }
}
