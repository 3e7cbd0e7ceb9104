#pragma once

#include "platform/Exception.h"

// A file that could not be opened for reading.
class EFOpenError : public Exception
{
public:
    explicit EFOpenError(const QString& fileName);
    // With the system's reason: "Cannot open file NAME: Permission denied".
    EFOpenError(const QString& fileName, int errorCode);
};
