#pragma once

#include "platform/Exception.h"

// A file that was open but stopped delivering bytes before its end.
class EReadError : public Exception
{
public:
    explicit EReadError(const QString& fileName);
};
