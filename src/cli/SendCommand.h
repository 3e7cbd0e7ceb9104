#pragma once

#include <QStringList>

// conveyor-cli send [--port lpt1|lpt2] [--simulate DIR | --peer SOCKET] FILE...
int SendCommand(const QStringList& arguments);
