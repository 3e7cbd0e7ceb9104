#include "TOwnedDialog.h"

#include <QEvent>
#include <QKeyEvent>

TOwnedDialog::TOwnedDialog(QWidget& dialog, QWidget* owner)
    : QObject(&dialog)
    , FDialog(dialog)
    , FOwner(owner)
{
    dialog.installEventFilter(this);
}

void TOwnedDialog::Show(QWidget& dialog, QWidget& owner)
{
    owner.setEnabled(false);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

bool TOwnedDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &FDialog) {
        if (event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            FDialog.close();
            return true;
        }
        // A window manager that minimises the dialog hides it too; only a real close gives
        // the owner back.
        if (event->type() == QEvent::Hide && !event->spontaneous() && FOwner)
            FOwner->setEnabled(true);
    }
    return QObject::eventFilter(watched, event);
}
