#pragma once

#include "cli/TCommand.h"

// conveyor-cli info: what the catalogue reads from one file.
extern const TCommand InfoCommand;
