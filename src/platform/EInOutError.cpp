#include "EInOutError.h"

EInOutError::EInOutError(int errorCode, const QString& message)
    : Exception(message)
    , FErrorCode(errorCode)
{
}
