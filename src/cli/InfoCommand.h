#pragma once

#include <QStringList>

// conveyor-cli info FILE: what the catalogue reads from one file.
int InfoCommand(const QStringList& arguments);
