#pragma once

class QWidget;

// A dialog that has no parent widget (so that disabling its owner leaves it usable) still
// belongs to its owner for the window manager: this keeps it above owner, hides it with
// owner, and makes it the active window now, whatever the window manager would choose.
// Call it when the dialog is shown; owner may be null.
void ActivateAbove(QWidget& window, const QWidget* owner);
