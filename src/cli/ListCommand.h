#pragma once

#include "cli/TCommand.h"

// conveyor-cli list: the catalogue of a folder as the table shows it after a scan.
extern const TCommand ListCommand;
