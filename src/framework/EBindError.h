#pragma once

#include "Exception.h"

// A window's event table names a control the window does not have, or an event the control
// cannot raise. A programming error: it fails the window's creation loudly.
class EBindError : public Exception
{
public:
    using Exception::Exception;
};
