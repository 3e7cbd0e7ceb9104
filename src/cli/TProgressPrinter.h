#pragma once

#include "device/TGameDoctor.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <vector>

// Shows the progress of one transfer on a stream: on a terminal one bar that keeps being
// redrawn (percentage of the current file, megabits, rate, time left), otherwise a line
// each time a file's percentage reaches a further tenth, so logs stay readable.
class TProgressPrinter
{
public:
    TProgressPrinter(
        std::FILE* stream, bool terminal, const QStringList& files, const QString& portName);

    void Event(TGameDoctorAction action, const QString& fileName, std::uint8_t fileNumber,
        std::uint8_t progress);
    // Ends the bar's line, so whatever is printed next starts on a fresh one.
    void Finish();

    std::uint64_t TotalBytes() const { return FTotal; }
    double ElapsedSeconds() const { return FClock.isValid() ? FClock.elapsed() / 1000.0 : 0.0; }

private:
    void DrawBar(const QString& fileName, std::uint8_t progress, bool force);

    std::FILE* FStream;
    bool FTerminal;
    QString FPortName;
    std::vector<std::uint64_t> FSizes;
    std::vector<std::uint64_t> FSent;
    std::size_t FCurrent = 0;
    std::uint64_t FTotal = 0;
    std::uint64_t FDone = 0;
    int FLastTenth = -1;
    bool FBarShown = false;
    QElapsedTimer FClock;
    QElapsedTimer FSinceDraw;
};
