#include "EMCIDeviceError.h"

EMCIDeviceError::EMCIDeviceError(const QString& message)
    : Exception(message)
{
}
