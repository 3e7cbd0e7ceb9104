#include "EIniFileException.h"

EIniFileException::EIniFileException(const QString& fileName)
    : Exception(QStringLiteral("Unable to write to %1").arg(fileName))
{
}
