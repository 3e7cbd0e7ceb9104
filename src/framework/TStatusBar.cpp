#include "TStatusBar.h"

TStatusBar::TStatusBar(QWidget* parent)
    : QStatusBar(parent)
{
    setSizeGripEnabled(true);
}
