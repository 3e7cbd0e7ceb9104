#pragma once

#include "platform/Exception.h"

// A failed file or directory operation, carrying the operating system's error code so that a
// caller can turn it into the row text of an unreadable file.
class EInOutError : public Exception
{
public:
    EInOutError(int errorCode, const QString& message);

    // "Cannot open folder <path>: <the system's reason>", the path raw text shown readably.
    static EInOutError Folder(const QString& path, int errorCode);

    int ErrorCode() const noexcept { return FErrorCode; }

private:
    int FErrorCode;
};
