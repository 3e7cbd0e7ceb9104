#pragma once

#include "platform/Exception.h"

// A port backend whose device peer stopped answering: the transfer treats it as the
// device not answering a wait in time.
class EPortSilent : public Exception
{
public:
    using Exception::Exception;
};
