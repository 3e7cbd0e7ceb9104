#include "BringToFront.h"

#include <QApplication>
#include <QWidget>

void BringToFront(QWidget& window)
{
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
    if (window.isEnabled())
        return;
    // Disabled, the window waits for a dialog of its own, which is where the keys must go.
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (other != &window && other->isVisible() && other->isEnabled()
            && other->windowType() != Qt::ToolTip && other->windowType() != Qt::Popup) {
            other->raise();
            other->activateWindow();
            return;
        }
    }
}
