#pragma once

#include "platform/Exception.h"

// A file that was open but stopped delivering bytes before its end.
class EReadError : public Exception
{
public:
    explicit EReadError(const QString& fileName);
    // With the system's reason: "Read error on NAME: Input/output error".
    EReadError(const QString& fileName, int errorCode);
    // With a reason in words, for a file that ended where it should not.
    EReadError(const QString& fileName, const QString& reason);
};
