#pragma once

#include <QTime>

// The local clock. The program reads it through this class so that tests can set the time.
class TClock
{
public:
    virtual ~TClock() = default;

    // The local time of day, to the millisecond.
    virtual QTime Now() const;
};
