#pragma once

#include "cli/TCommand.h"

// conveyor-cli simulate: the Doctor64 simulator as a device peer for send --peer.
extern const TCommand SimulateCommand;
