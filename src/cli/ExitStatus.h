#pragma once

// The exit statuses of conveyor-cli and every one of its commands.
constexpr int ExitSuccess = 0;
// Anything that went wrong other than the cases below: a file or folder that cannot be
// read, a peer that went away.
constexpr int ExitFailure = 1;
// Wrong usage: an unknown command or option, a missing or surplus argument, a bad value.
constexpr int ExitUsage = 2;
// No Doctor64 answered on the port, or one stopped answering during the transfer.
constexpr int ExitNoDevice = 3;
