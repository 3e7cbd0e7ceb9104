#pragma once

#include <QString>

// How one delivery of conveyor-cli send ended.
struct TSendOutcome
{
    // The exit status it would give the command.
    int Status = 0;
    // The line that tells it: "Delivered ..." or why not.
    QString Text;
    // The delivery printed its result itself (the simulator's report follows it).
    bool Reported = false;
    // The simulator's lines on what it stored, printed after Text.
    QString Report;
};
