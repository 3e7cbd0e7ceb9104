#include "TAnimate.h"

#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr QSize ClipPictureSize(272, 60);
const QColor Outline(0, 0, 0);
const QColor FolderFront(255, 255, 0);
const QColor FolderBack(128, 128, 0);
const QColor Paper(255, 255, 255);
const QColor Ink(0, 0, 128);
const QColor Lens(192, 255, 255, 170);

void DrawFolder(QPainter& painter, const QRectF& box)
{
    const qreal tab = box.width() * 0.4;
    QPainterPath back;
    back.moveTo(box.left(), box.bottom());
    back.lineTo(box.left(), box.top() + 4);
    back.lineTo(box.left() + 3, box.top());
    back.lineTo(box.left() + tab, box.top());
    back.lineTo(box.left() + tab + 4, box.top() + 5);
    back.lineTo(box.right(), box.top() + 5);
    back.lineTo(box.right(), box.bottom());
    back.closeSubpath();
    painter.setPen(QPen(Outline, 1));
    painter.setBrush(FolderBack);
    painter.drawPath(back);

    // The front flap, tilted open.
    QPolygonF front;
    front << QPointF(box.left(), box.bottom()) << QPointF(box.left() + 6, box.top() + 11)
          << QPointF(box.right() + 6, box.top() + 11) << QPointF(box.right(), box.bottom());
    painter.setBrush(FolderFront);
    painter.drawPolygon(front);
}

void DrawSheet(QPainter& painter, const QPointF& centre, qreal angle)
{
    painter.save();
    painter.translate(centre);
    painter.rotate(angle);
    const QRectF sheet(-7, -9, 14, 18);
    painter.setPen(QPen(Outline, 1));
    painter.setBrush(Paper);
    painter.drawRect(sheet);
    painter.setPen(QPen(Ink, 1));
    for (int line = 0; line < 4; ++line)
        painter.drawLine(QPointF(-4, -5 + 3.5 * line), QPointF(4, -5 + 3.5 * line));
    painter.restore();
}

void DrawFindFolder(QPainter& painter, int frame, int frames)
{
    const QRectF folder(112, 14, 48, 36);
    DrawFolder(painter, folder);

    // The glass goes once round an ellipse over the folder per round of frames.
    const qreal turn = 2 * std::numbers::pi * frame / frames;
    const QPointF glass(
        folder.center().x() + 26 * std::cos(turn), folder.center().y() + 8 * std::sin(turn));
    painter.setPen(QPen(QColor(128, 64, 0), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(glass + QPointF(7, 7), glass + QPointF(15, 15));
    painter.setPen(QPen(Outline, 2));
    painter.setBrush(Lens);
    painter.drawEllipse(glass, 10, 10);
}

void DrawCopyFile(QPainter& painter, int frame, int frames)
{
    const QRectF from(28, 18, 44, 32);
    const QRectF to(200, 18, 44, 32);
    DrawFolder(painter, from);
    DrawFolder(painter, to);

    const qreal t = frames > 1 ? qreal(frame) / (frames - 1) : 0;
    const qreal x = from.center().x() + t * (to.center().x() - from.center().x());
    const qreal y = from.top() + 6 - std::sin(std::numbers::pi * t) * 18;
    DrawSheet(painter, QPointF(x, y), -40 + 80 * t);
}

} // namespace

TAnimate::TAnimate(QWidget* parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    FTimer.setInterval(67);
    connect(&FTimer, &QTimer::timeout, this, &TAnimate::Step);
}

void TAnimate::SetCommonAVI(TCommonAVI clip)
{
    FClip = clip;
    FStartFrame = 0;
    FStopFrame = std::max(FrameCount() - 1, 0);
    FFrame = 0;
    updateGeometry();
    UpdateTimer();
    update();
}

void TAnimate::SetActive(bool active)
{
    if (active && !FActive)
        FFrame = FStartFrame;
    FActive = active;
    UpdateTimer();
    update();
}

void TAnimate::SetStartFrame(int frame)
{
    FStartFrame = Clamped(frame);
    FStopFrame = std::max(FStopFrame, FStartFrame);
    FFrame = std::clamp(FFrame, FStartFrame, FStopFrame);
    update();
}

void TAnimate::SetStopFrame(int frame)
{
    FStopFrame = Clamped(frame);
    FStartFrame = std::min(FStartFrame, FStopFrame);
    FFrame = std::clamp(FFrame, FStartFrame, FStopFrame);
    update();
}

void TAnimate::SetInterval(int milliseconds)
{
    FTimer.setInterval(std::max(milliseconds, 1));
}

int TAnimate::FrameCount() const
{
    switch (FClip) {
    case aviFindFolder:
        return 30;
    case aviCopyFile:
        return 27;
    case aviNone:
        break;
    }
    return 0;
}

QSize TAnimate::ClipSize() const
{
    return FClip == aviNone ? QSize(0, 0) : ClipPictureSize;
}

QSize TAnimate::sizeHint() const
{
    return ClipSize().isEmpty() ? QSize(80, 60) : ClipSize();
}

void TAnimate::paintEvent(QPaintEvent*)
{
    if (FClip == aviNone)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSize clip = ClipSize();
    painter.translate((width() - clip.width()) / 2, (height() - clip.height()) / 2);
    if (FClip == aviFindFolder)
        DrawFindFolder(painter, FFrame, FrameCount());
    else
        DrawCopyFile(painter, FFrame, FrameCount());
}

void TAnimate::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    UpdateTimer();
}

void TAnimate::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    UpdateTimer();
}

void TAnimate::Step()
{
    FFrame = FFrame >= FStopFrame ? FStartFrame : FFrame + 1;
    update();
}

void TAnimate::UpdateTimer()
{
    if (FActive && FrameCount() > 0 && isVisible())
        FTimer.start();
    else
        FTimer.stop();
}

int TAnimate::Clamped(int frame) const
{
    return std::clamp(frame, 0, std::max(FrameCount() - 1, 0));
}
