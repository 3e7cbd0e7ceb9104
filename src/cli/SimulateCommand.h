#pragma once

#include <QStringList>

// conveyor-cli simulate --listen SOCKET --out DIR [options]
int SimulateCommand(const QStringList& arguments);
