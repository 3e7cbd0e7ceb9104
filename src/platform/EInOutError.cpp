#include "EInOutError.h"

#include "platform/IoErrorText.h"
#include "platform/RawText.h"

EInOutError::EInOutError(int errorCode, const QString& message)
    : Exception(message)
    , FErrorCode(errorCode)
{
}

EInOutError EInOutError::Folder(const QString& path, int errorCode)
{
    return EInOutError(errorCode,
        QStringLiteral("Cannot open folder %1: %2")
            .arg(ReadableRawText(path), SystemErrorMessage(errorCode)));
}
