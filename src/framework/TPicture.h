#pragma once

#include <QObject>
#include <QPixmap>

// A picture that tells its owner when its graphic changes, so a control showing it can
// schedule a repaint. It may hold no graphic at all.
class TPicture : public QObject
{
    Q_OBJECT

public:
    explicit TPicture(QObject* parent = nullptr);

    const QPixmap& Graphic() const { return FGraphic; }
    void SetGraphic(const QPixmap& graphic);
    // Copies the other picture's graphic; the other picture stays its owner's.
    void Assign(const TPicture& source);
    void Clear();

    int Width() const { return FGraphic.width(); }
    int Height() const { return FGraphic.height(); }
    bool Empty() const { return FGraphic.isNull(); }

signals:
    void Changed();

private:
    QPixmap FGraphic;
};
