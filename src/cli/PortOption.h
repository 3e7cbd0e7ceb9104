#pragma once

#include "TGameDoctor.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <optional>

// --port lpt1|lpt2: the parallel port a command drives or models, LPT1 unless it says
// otherwise. A function, not a shared object, so that commands may put it into their own
// declarations while the program starts.
QCommandLineOption PortOption();

// The port that --port names, without regard to letter case; nothing for any other text.
std::optional<TParallelPort> ChosenPort(const QCommandLineParser& parser);
// What wrong usage says of a --port that names no port.
QString UnknownPortText(const QCommandLineParser& parser);
