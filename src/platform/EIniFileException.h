#pragma once

#include "platform/Exception.h"

// A settings file that could not be written, or read.
class EIniFileException : public Exception
{
public:
    explicit EIniFileException(const QString& fileName);
    // "Unable to read" the file, and why.
    static EIniFileException Unreadable(const QString& fileName, const QString& reason);

private:
    struct TMessage
    {
        QString Text;
    };
    explicit EIniFileException(const TMessage& message);
};
