#pragma once

#include "platform/Exception.h"

// An operation that a control refuses in its present state, such as a range whose ends
// would cross.
class EInvalidOperation : public Exception
{
public:
    explicit EInvalidOperation(const QString& message);
};
