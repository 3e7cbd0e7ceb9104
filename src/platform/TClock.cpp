#include "TClock.h"

QTime TClock::Now() const
{
    return QTime::currentTime();
}
