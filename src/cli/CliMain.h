#pragma once

#include <QStringList>

// conveyor-cli on its arguments (the program's own name first, each argument decoded with
// DecodeRawText so that its bytes survive): the top-level options, then the command named.
// Needs a QCoreApplication; returns the exit status (ExitStatus.h).
int RunConveyorCli(const QStringList& rawArguments);
