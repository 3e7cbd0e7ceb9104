#include "EFOpenError.h"

#include "platform/IoErrorText.h"

EFOpenError::EFOpenError(const QString& fileName)
    : Exception(QStringLiteral("Cannot open file %1").arg(fileName))
{
}

EFOpenError::EFOpenError(const QString& fileName, int errorCode)
    : Exception(
        QStringLiteral("Cannot open file %1: %2").arg(fileName, SystemErrorMessage(errorCode)))
{
}
