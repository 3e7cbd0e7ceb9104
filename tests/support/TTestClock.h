#pragma once

#include "platform/TClock.h"

// A clock that tests set by hand. Link the platform library to use it.
class TTestClock : public TClock
{
public:
    QTime Now() const override { return FTime; }

    void Set(int hour, int minute, int second, int millisecond = 0)
    {
        FTime = QTime(hour, minute, second, millisecond);
    }
    // Moves the clock on, wrapping round at midnight as the real one does.
    void Advance(int milliseconds) { FTime = FTime.addMSecs(milliseconds); }

private:
    QTime FTime { 12, 0, 0 };
};
