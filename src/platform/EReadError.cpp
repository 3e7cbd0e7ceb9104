#include "EReadError.h"

#include "platform/IoErrorText.h"

EReadError::EReadError(const QString& fileName)
    : Exception(QStringLiteral("Read error on %1").arg(fileName))
{
}

EReadError::EReadError(const QString& fileName, int errorCode)
    : EReadError(fileName, SystemErrorMessage(errorCode))
{
}

EReadError::EReadError(const QString& fileName, const QString& reason)
    : Exception(QStringLiteral("Read error on %1: %2").arg(fileName, reason))
{
}
