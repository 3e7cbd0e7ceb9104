#pragma once

#include "device/TGameDoctor.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>

// Shows the progress of one transfer on a stream: on a terminal one bar that keeps being
// redrawn (percentage of the current file, megabits, rate, time left), otherwise a line
// each time a file's percentage reaches a further tenth, so logs stay readable.
class TProgressPrinter
{
public:
    // The figures come from the transfer component's own count of the bytes it sent; the
    // component must outlive the printer.
    // totalBytes: what the transfer announces for all its files.
    TProgressPrinter(std::FILE* stream, bool terminal, std::uint64_t totalBytes,
        const QString& portName, const TGameDoctor& doctor);

    void Event(TGameDoctorAction action, const QString& fileName, std::uint8_t fileNumber,
        std::uint8_t progress);
    // Ends the bar's line, so whatever is printed next starts on a fresh one.
    void Finish();

    double ElapsedSeconds() const { return FClock.isValid() ? FClock.elapsed() / 1000.0 : 0.0; }

private:
    void DrawBar(const QString& fileName, std::uint8_t progress, bool force);

    std::FILE* FStream;
    bool FTerminal;
    QString FPortName;
    const TGameDoctor& FDoctor;
    std::uint64_t FTotal = 0;
    std::uint8_t FFileNumber = 0;
    int FLastTenth = -1;
    bool FBarShown = false;
    QElapsedTimer FClock;
    QElapsedTimer FSinceDraw;
};
