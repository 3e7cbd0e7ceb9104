#pragma once

#include "cli/TSendOutcome.h"

#include <QString>

#include <functional>

// One delivery of the watched file; it ends at the end of a block once stopRequested says so.
using TWatchRound = std::function<TSendOutcome(const std::function<bool()>& stopRequested)>;

// send --watch: delivers the file, then again whenever it was written again or replaced and
// has not changed for half a second, until SIGINT or SIGTERM. Each round prints one line on
// stdout with the time and the result. Returns the exit status: 0 when the watch ended
// between deliveries, 1 when it cut a delivery short or the file's folder went away.
int WatchAndSend(const QString& path, const TWatchRound& deliver);
