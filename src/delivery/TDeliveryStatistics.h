#pragma once

#include <QLocale>
#include <QString>
#include <QtGlobal>

// The figures of the progress window for one progress update, worked out from the file's
// percentage, the delivery clock's ElapsedSeconds and the size text of the row being
// delivered ("256 MBit"). Times are minutes:seconds, neither part padded; the rate is in
// megabits per second, five characters long.
class TDeliveryStatistics
{
public:
    // The gauge's full scale; the figures are worked out against it.
    static constexpr int GaugeMaximum = 100;

    // The locale gives the rate's decimal separator.
    TDeliveryStatistics(quint8 progress, qint32 elapsedSeconds, const QString& sizeText,
        const QLocale& locale = QLocale());

    // False before anything was sent or before a second was counted: the window then keeps
    // the figures it shows. The gauge follows the progress either way.
    bool HasFigures() const { return FHasFigures; }
    int Gauge() const { return FGauge; }

    const QString& Percentage() const { return FPercentage; }
    const QString& EstimatedTotal() const { return FEstimatedTotal; }
    const QString& TimeLeft() const { return FTimeLeft; }
    const QString& TimeSoFar() const { return FTimeSoFar; }
    // These four read "--" when the size text holds no megabit count (an unreadable file).
    const QString& MegabitsToDeliver() const { return FMegabitsToDeliver; }
    const QString& MegabitsLeft() const { return FMegabitsLeft; }
    const QString& MegabitsDelivered() const { return FMegabitsDelivered; }
    const QString& Rate() const { return FRate; }

private:
    bool FHasFigures = false;
    int FGauge = 0;
    QString FPercentage;
    QString FEstimatedTotal;
    QString FTimeLeft;
    QString FTimeSoFar;
    QString FMegabitsToDeliver;
    QString FMegabitsLeft;
    QString FMegabitsDelivered;
    QString FRate;
};
