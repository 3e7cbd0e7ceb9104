#pragma once

#include "platform/Exception.h"

// The wave device could not open or play a file; the message is the audio library's own text.
class EMCIDeviceError : public Exception
{
public:
    explicit EMCIDeviceError(const QString& message);
};
