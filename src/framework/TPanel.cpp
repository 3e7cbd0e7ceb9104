#include "TPanel.h"

TPanel::TPanel(QWidget* parent)
    : TCustomPanel(parent)
{
}
