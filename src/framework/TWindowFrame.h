#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>

#include <functional>

class QWidget;

// Places a top-level window by its outer frame, the rectangle the window manager draws
// around it: the settings' window bounds and the dialogs' placing rules speak of that
// rectangle, while Qt places and sizes a window by what lies inside the frame.
//
// Qt learns a window's frame only once the window manager has framed it, after the window
// is first shown. Until then the frame of another framed window of the program stands in
// for it (one window manager draws its frames alike), and when the real frame turns out
// different the placing is made again, so the window ends where its first placing meant it.
class TWindowFrame : public QObject
{
    Q_OBJECT

public:
    // frame(margins) is the outer rectangle wanted, given the frame's margins around the
    // inside; the window takes that place and, inside the frame, what is left of the size.
    using TFrameRule = std::function<QRect(const QMargins& margins)>;

    static void Place(QWidget& window, TFrameRule frame);
    // For a window that keeps its size: origin(frameSize) is where the frame's top left goes.
    static void PlaceAt(QWidget& window, std::function<QPoint(const QSize& frameSize)> origin);

    // The frame's margins as far as they are known: the window's own once it has been
    // framed, otherwise those of another framed window of the program, otherwise none.
    static QMargins Margins(const QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TWindowFrame(QWidget& window, TFrameRule frame, const QMargins& assumed);

    static QMargins OwnMargins(const QWidget& window);
    static void Apply(QWidget& window, const QRect& frame, const QMargins& margins);

    TFrameRule FFrame;
    QMargins FAssumed;
};
