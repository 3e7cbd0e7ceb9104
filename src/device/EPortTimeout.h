#pragma once

#include "platform/Exception.h"

// The Doctor64 did not answer a port wait in time.
class EPortTimeout : public Exception
{
public:
    using Exception::Exception;
};
