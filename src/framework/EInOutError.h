#pragma once

#include "Exception.h"

// A folder that could not be opened, with the system's reason (errno and its text).
class EInOutError : public Exception
{
public:
    EInOutError(const QString& path, int errorCode);

    int ErrorCode() const noexcept { return FErrorCode; }

private:
    int FErrorCode;
};
