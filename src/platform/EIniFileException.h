#pragma once

#include "Exception.h"

// A settings file that could not be written.
class EIniFileException : public Exception
{
public:
    explicit EIniFileException(const QString& fileName);
};
