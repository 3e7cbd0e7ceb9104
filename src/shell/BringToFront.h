#pragma once

class QWidget;

// Shows a window that a later start of the program asked for: out of its task-bar button
// when minimised, above the other windows and active. A window it waits for (a dialog that
// disables it) comes up above it.
void BringToFront(QWidget& window);
