#include "EIniFileException.h"

EIniFileException::EIniFileException(const QString& fileName)
    : Exception(QStringLiteral("Unable to write to %1").arg(fileName))
{
}

EIniFileException::EIniFileException(const TMessage& message)
    : Exception(message.Text)
{
}

EIniFileException EIniFileException::Unreadable(const QString& fileName, const QString& reason)
{
    return EIniFileException(
        TMessage { QStringLiteral("Unable to read %1: %2").arg(fileName, reason) });
}
