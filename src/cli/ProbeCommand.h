#pragma once

#include "cli/TCommand.h"

// conveyor-cli probe: what works between this computer and a Doctor64, step by step.
extern const TCommand ProbeCommand;
