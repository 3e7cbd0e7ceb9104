#pragma once

#include "cli/TCommand.h"

// conveyor-cli members: the images an archive holds, one path inside it per line, for the
// shell's completion of ARCHIVE/MEMBER names. Not in the list of commands: people read
// list and info.
extern const TCommand MembersCommand;
