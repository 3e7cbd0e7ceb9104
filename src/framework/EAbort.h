#pragma once

#include "platform/Exception.h"

// Leaves whatever is running without an error box: the user asked for it to stop (the main
// window closed in the middle of a delivery). The application's guard passes it by silently.
class EAbort : public Exception
{
public:
    EAbort();
};
