#pragma once

#include <QWidget>

#include <memory>

class QLabel;
class TDeliveryStatistics;
class TGauge;

namespace Ui {
class TFprog;
}

// The progress window of a delivery: a vertical gauge of the file's percentage, the eight
// figures of the statistics and the copy animation, which plays while the window is shown,
// and "Stop". The delivery empties, fills, shows and closes it. It has no close button;
// "Stop", and the window manager's close, ask the delivery to stop (StopRequested), and the
// window stays until the delivery has ended at the end of its block.
class TFprog : public QWidget
{
    Q_OBJECT

public:
    explicit TFprog(QWidget* parent = nullptr);
    ~TFprog() override;

    // Empties the eight figures; the gauge keeps its value.
    void ClearFigures();
    void SetProgress(int progress);
    // Shows the figures of one update; one without figures leaves those shown.
    void ShowStatistics(const TDeliveryStatistics& statistics);

    TGauge* Gauge5() const;
    // The value labels, top row first: percentage, estimated total, time left, time so far,
    // megabits to deliver, left, delivered, and the rate.
    QList<QLabel*> FigureLabels() const;

signals:
    void StopRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::TFprog> FUi;
};
