#include "TDeliveryStatistics.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace {

const QString Unknown = QStringLiteral("--");

QString MinutesAndSeconds(qint64 seconds)
{
    return QString::number(seconds / 60) + QLatin1Char(':') + QString::number(seconds % 60);
}

// The whole number in front of " MBit", or nothing for a text without one ("-- MBIT").
std::optional<qint64> Megabits(const QString& sizeText)
{
    const QString text = sizeText.trimmed();
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    const QStringView number = QStringView(text).left(blank < 0 ? text.size() : blank);
    // No file comes near 10^15 megabits; the cap keeps the products below within 64 bits.
    if (number.isEmpty() || number.size() > 15)
        return std::nullopt;
    for (const QChar digit : number) {
        if (digit < QLatin1Char('0') || digit > QLatin1Char('9'))
            return std::nullopt;
    }
    return number.toLongLong();
}

// The rate in the general format with 15 significant digits, cut to 5 characters and
// filled up with zeros, so that 6.4 reads 6.400 and 1.0666 reads 1.066.
QString RateText(long double rate, const QString& separator)
{
    char buffer[64];
    const auto result
        = std::to_chars(buffer, buffer + sizeof buffer, rate, std::chars_format::general, 15);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    // Only rates far below a thousandth come out in exponent form; with three decimals
    // they read as nothing.
    if (text.contains(QLatin1Char('e')))
        text = QStringLiteral("0");
    text.replace(QLatin1Char('.'), separator);
    qsizetype point = text.indexOf(separator);
    // A whole number gets its separator before the zeros, or 2 would read 2000.
    if (point < 0 && text.size() < 5) {
        point = text.size();
        text += separator;
    }
    // A cut inside the whole part would change the value; none of the rates a port reaches
    // has five digits before the separator, but the text stays true if one does.
    text.truncate(std::max<qsizetype>(5, point < 0 ? text.size() : point));
    while (text.size() < 5)
        text += QLatin1Char('0');
    return text;
}

} // namespace

TDeliveryStatistics::TDeliveryStatistics(
    quint8 progress, qint32 elapsedSeconds, const QString& sizeText, const QLocale& locale)
    : FGauge(progress)
{
    if (elapsedSeconds <= 0 || progress == 0)
        return;
    FHasFigures = true;

    // Every truncated figure is worked out from whole numbers: the same quotients taken
    // in floating point can come out just below a whole result and truncate one too low
    // (1 % after 15 seconds would estimate 24:59 instead of 25:0).
    const qint64 p = progress;
    const qint64 e = elapsedSeconds;
    const qint64 total = GaugeMaximum * e / p;
    FPercentage = QString::number(p) + QStringLiteral(" %");
    FEstimatedTotal = MinutesAndSeconds(total);
    FTimeLeft = MinutesAndSeconds(total - e);
    FTimeSoFar = MinutesAndSeconds(e);

    const std::optional<qint64> megabits = Megabits(sizeText);
    if (!megabits) {
        FMegabitsToDeliver = Unknown;
        FMegabitsLeft = Unknown;
        FMegabitsDelivered = Unknown;
        FRate = Unknown;
        return;
    }
    const qint64 n = *megabits;
    const qint64 delivered = n * p / GaugeMaximum;
    FMegabitsToDeliver = QString::number(n);
    FMegabitsDelivered = QString::number(delivered);
    FMegabitsLeft = QString::number(n - delivered);
    // One division of exact whole numbers, so the rate is as close as extended precision
    // can hold it before 15 digits are shown.
    const long double rate
        = static_cast<long double>(n * p) / static_cast<long double>(GaugeMaximum * e);
    FRate = RateText(rate, locale.decimalPoint());
}
