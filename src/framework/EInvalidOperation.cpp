#include "EInvalidOperation.h"

EInvalidOperation::EInvalidOperation(const QString& message)
    : Exception(message)
{
}
