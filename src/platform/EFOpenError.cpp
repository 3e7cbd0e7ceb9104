#include "EFOpenError.h"

EFOpenError::EFOpenError(const QString& fileName)
    : Exception(QStringLiteral("Cannot open file %1").arg(fileName))
{
}
