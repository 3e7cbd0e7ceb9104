#include "TWindowFrame.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

const char* const WatcherName = "TWindowFrameWatcher";

} // namespace

TWindowFrame::TWindowFrame(QWidget& window, TFrameRule frame, const QMargins& assumed)
    : QObject(&window)
    , FFrame(std::move(frame))
    , FAssumed(assumed)
{
    setObjectName(QLatin1String(WatcherName));
    window.installEventFilter(this);
}

void TWindowFrame::Place(QWidget& window, TFrameRule frame)
{
    // A later placing replaces one still waiting for the frame.
    delete window.findChild<TWindowFrame*>(QLatin1String(WatcherName), Qt::FindDirectChildrenOnly);

    const bool framed = window.windowHandle() && window.windowHandle()->isExposed();
    const QMargins margins = Margins(window);
    Apply(window, frame(margins), margins);
    if (!framed)
        new TWindowFrame(window, std::move(frame), margins);
}

void TWindowFrame::PlaceAt(QWidget& window, std::function<QPoint(const QSize&)> origin)
{
    Place(window, [&window, origin = std::move(origin)](const QMargins& margins) {
        const QSize frame = window.size().grownBy(margins);
        return QRect(origin(frame), frame);
    });
}

QMargins TWindowFrame::Margins(const QWidget& window)
{
    if (window.windowHandle() && window.windowHandle()->isExposed())
        return OwnMargins(window);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget* other : windows) {
        if (other == &window)
            continue;
        const QMargins margins = OwnMargins(*other);
        if (margins != QMargins())
            return margins;
    }
    return {};
}

bool TWindowFrame::eventFilter(QObject* watched, QEvent* event)
{
    // A window is painted once it is on the screen; by then the window manager has framed
    // it and said how.
    const QEvent::Type type = event->type();
    auto* window = static_cast<QWidget*>(watched);
    if ((type == QEvent::Paint || type == QEvent::UpdateRequest) && window->windowHandle()
        && window->windowHandle()->isExposed()) {
        const QMargins real = OwnMargins(*window);
        const TFrameRule frame = std::move(FFrame);
        const QMargins assumed = FAssumed;
        window->removeEventFilter(this);
        deleteLater();
        // A maximised or full-screen window has the place the window manager gives it.
        const bool placedByManager
            = window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
        if (real != assumed && !placedByManager)
            Apply(*window, frame(real), real);
    } else if (type == QEvent::Hide) {
        // Shown again, the window is placed again by whoever shows it.
        window->removeEventFilter(this);
        deleteLater();
    }
    return QObject::eventFilter(watched, event);
}

QMargins TWindowFrame::OwnMargins(const QWidget& window)
{
    // Qt asks the window manager afresh here; the widget's own frame geometry follows only
    // when the window next moves.
    const QWindow* handle = window.windowHandle();
    return handle && handle->isExposed() ? handle->frameMargins() : QMargins();
}

void TWindowFrame::Apply(QWidget& window, const QRect& frame, const QMargins& margins)
{
    const QRect inside = frame.marginsRemoved(margins);
    if (!window.testAttribute(Qt::WA_WState_Created)) {
        // Not yet made, Qt passes the place on as the frame's, and the window manager puts
        // the frame there.
        window.move(frame.topLeft());
        window.resize(inside.size());
        return;
    }
    // Made but perhaps not yet framed: Qt would take the place as the inside's.
    window.setGeometry(inside);
}
