#pragma once

#include "cli/TCommand.h"

// conveyor-cli send: delivers files to a Doctor64, real or simulated.
extern const TCommand SendCommand;
