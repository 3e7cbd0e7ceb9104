#pragma once

#include "cli/TCommand.h"

// conveyor-cli ports: the parallel ports the kernel knows.
extern const TCommand PortsCommand;
