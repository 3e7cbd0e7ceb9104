#pragma once

#include <QString>

// The full path of the running program's file; empty when the system does not tell.
QString ProgramFilePath();
