#include "OwnedWindow.h"

#include <QWidget>
#include <QWindow>

void ActivateAbove(QWidget& window, const QWidget* owner)
{
    if (owner && owner->windowHandle() && window.windowHandle())
        window.windowHandle()->setTransientParent(owner->windowHandle());
    window.raise();
    window.activateWindow();
}
