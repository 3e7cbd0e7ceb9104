#pragma once

#include "framework/TCustomPanel.h"

// The panel the windows place: everything it does comes from TCustomPanel.
class TPanel : public TCustomPanel
{
    Q_OBJECT

public:
    explicit TPanel(QWidget* parent = nullptr);
};
