#include "EInOutError.h"

#include <cstring>

EInOutError::EInOutError(const QString& path, int errorCode)
    : Exception(QStringLiteral("Cannot open folder %1: %2")
                    .arg(path, QString::fromLocal8Bit(std::strerror(errorCode))))
    , FErrorCode(errorCode)
{
}
