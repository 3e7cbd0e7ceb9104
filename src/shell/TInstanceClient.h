#pragma once

#include <QString>

// A later start's end of the running Conveyor's socket (TInstanceServer).
class TInstanceClient
{
public:
    // Hands the path (raw text; empty: only come to the front) to the program that serves
    // the socket and waits for its answer, all within timeoutMs. Empty when the path was
    // taken, otherwise why not, in words.
    static QString HandOver(const QString& socketPath, const QString& path, int timeoutMs);
};
