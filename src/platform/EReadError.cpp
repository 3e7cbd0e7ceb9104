#include "EReadError.h"

EReadError::EReadError(const QString& fileName)
    : Exception(QStringLiteral("Read error on %1").arg(fileName))
{
}
