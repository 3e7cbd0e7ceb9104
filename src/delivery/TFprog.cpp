#include "TFprog.h"

#include "delivery/TDeliveryStatistics.h"
#include "framework/TWindowFrame.h"
#include "ui_TFprog.h"
#include "widgets/TGauge.h"

#include <QCloseEvent>
#include <QScreen>
#include <QShowEvent>

TFprog::TFprog(QWidget* parent)
    : QWidget(parent)
    , FUi(std::make_unique<Ui::TFprog>())
{
    FUi->setupUi(this);
    // A tool window with a title and no border icons: nothing but the delivery closes it.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    // Window declarations carry font sizes in points; the rows are drawn in pixel sizes.
    QFont rowFont(QStringLiteral("Arial"));
    rowFont.setBold(true);
    rowFont.setPixelSize(13);
    for (QLabel* label : FUi->Panel10->findChildren<QLabel*>())
        label->setFont(rowFont);
    rowFont.setPixelSize(15);
    FUi->Label14->setFont(rowFont);
    // The gauge's background follows the system's button face, which no declaration knows.
    FUi->Gauge5->SetBackColor(palette().color(QPalette::Button));
    connect(FUi->SpeedButton1, &QAbstractButton::clicked, this, &TFprog::StopRequested);
}

TFprog::~TFprog() = default;

void TFprog::ClearFigures()
{
    for (QLabel* label : FigureLabels())
        label->clear();
}

void TFprog::SetProgress(int progress)
{
    FUi->Gauge5->SetProgress(progress);
}

void TFprog::ShowStatistics(const TDeliveryStatistics& statistics)
{
    if (!statistics.HasFigures())
        return;
    FUi->Label9->setText(statistics.Percentage());
    FUi->Label7->setText(statistics.EstimatedTotal());
    FUi->Label13->setText(statistics.TimeLeft());
    FUi->Label5->setText(statistics.TimeSoFar());
    FUi->Label11->setText(statistics.MegabitsToDeliver());
    FUi->Label1->setText(statistics.MegabitsLeft());
    FUi->Label3->setText(statistics.MegabitsDelivered());
    FUi->Label15->setText(statistics.Rate());
}

TGauge* TFprog::Gauge5() const
{
    return FUi->Gauge5;
}

QList<QLabel*> TFprog::FigureLabels() const
{
    return { FUi->Label9, FUi->Label7, FUi->Label13, FUi->Label5, FUi->Label11, FUi->Label1,
        FUi->Label3, FUi->Label15 };
}

void TFprog::closeEvent(QCloseEvent* event)
{
    // The window manager's close (Alt+F4, a task bar's menu) is a "Stop": hidden, the window
    // would leave the delivery running unseen with no way back to it.
    if (event->spontaneous()) {
        event->ignore();
        emit StopRequested();
        return;
    }
    QWidget::closeEvent(event);
}

void TFprog::showEvent(QShowEvent* event)
{
    // Centred on the screen each time a delivery shows it.
    if (!event->spontaneous()) {
        if (const QScreen* screen = this->screen()) {
            const QPoint centre = screen->availableGeometry().center();
            TWindowFrame::PlaceAt(*this, [centre](const QSize& frameSize) {
                QRect frame(QPoint(), frameSize);
                frame.moveCenter(centre);
                return frame.topLeft();
            });
        }
    }
    QWidget::showEvent(event);
}
