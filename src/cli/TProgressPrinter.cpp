#include "TProgressPrinter.h"

#include "cli/CliOutput.h"

#include <QFileInfo>

#include <algorithm>

namespace {

constexpr double BitsPerMegabit = 1024.0 * 1024.0;
constexpr int BarWidth = 24;
// Redrawing the bar more often than this only makes it flicker.
constexpr qint64 RedrawMilliseconds = 100;

QString Minutes(double seconds)
{
    const auto whole = static_cast<qint64>(seconds + 0.5);
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TProgressPrinter::TProgressPrinter(std::FILE* stream, bool terminal, std::uint64_t totalBytes,
    const QString& portName, const TGameDoctor& doctor)
    : FStream(stream)
    , FTerminal(terminal)
    , FPortName(portName)
    , FDoctor(doctor)
    , FTotal(totalBytes)
{
}

void TProgressPrinter::Event(TGameDoctorAction action, const QString& fileName,
    std::uint8_t fileNumber, std::uint8_t progress)
{
    if (action == gaConnecting) {
        std::fprintf(FStream, "Looking for the Doctor64 on %s...\n", qPrintable(FPortName));
        std::fflush(FStream);
        return;
    }
    if (action == gaConnected) {
        std::fprintf(FStream, "Connected to the Doctor64 on %s.\n", qPrintable(FPortName));
        std::fflush(FStream);
        FClock.start();
        return;
    }

    // Each file's percentage is counted in tenths of its own.
    if (fileNumber != FFileNumber) {
        FFileNumber = fileNumber;
        FLastTenth = -1;
    }

    // A name may hold any byte; none of them may reach the terminal as a control.
    const QString name = PrintableText(QFileInfo(fileName).fileName());
    if (FTerminal) {
        DrawBar(name, progress, progress >= 100);
        return;
    }
    const int tenth = progress / 10;
    if (tenth > FLastTenth) {
        FLastTenth = tenth;
        std::fprintf(FStream, "%s: %d %%\n", qPrintable(name), progress);
        std::fflush(FStream);
    }
}

void TProgressPrinter::DrawBar(const QString& fileName, std::uint8_t progress, bool force)
{
    if (!force && FSinceDraw.isValid() && FSinceDraw.elapsed() < RedrawMilliseconds)
        return;
    FSinceDraw.start();

    const int filled = std::min(BarWidth, progress * BarWidth / 100);
    const QString bar
        = QString(filled, QLatin1Char('#')) + QString(BarWidth - filled, QLatin1Char('-'));
    const double seconds = ElapsedSeconds();
    const std::uint64_t done = FDoctor.SentBytes();
    const double megabits = static_cast<double>(done) * 8.0 / BitsPerMegabit;
    const double total = static_cast<double>(FTotal) * 8.0 / BitsPerMegabit;
    QString rate = QStringLiteral("--");
    QString left = QStringLiteral("--:--");
    if (seconds > 0.0 && done > 0) {
        const double perSecond = megabits / seconds;
        rate = QString::number(perSecond, 'f', 2);
        left = Minutes((total - megabits) / perSecond);
    }
    const QString line = QStringLiteral("\r%1 %2 % [%3] %4 of %5 MBit  %6 MBit/s  %7 left")
                             .arg(fileName)
                             .arg(progress, 3)
                             .arg(bar)
                             .arg(megabits, 0, 'f', 1)
                             .arg(total, 0, 'f', 1)
                             .arg(rate, left);
    // Erasing to the end of the line keeps no leftovers of a longer earlier line.
    std::fprintf(FStream, "%s\033[K", qPrintable(line));
    std::fflush(FStream);
    FBarShown = true;
}

void TProgressPrinter::Finish()
{
    if (FBarShown) {
        std::fputc('\n', FStream);
        std::fflush(FStream);
        FBarShown = false;
    }
}
