#pragma once

#include "platform/Exception.h"

// A settings file that could not be written.
class EIniFileException : public Exception
{
public:
    explicit EIniFileException(const QString& fileName);
};
