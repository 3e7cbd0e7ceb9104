#pragma once

#include <QStatusBar>

// The status bar as the windows use it: often only for its size grip in the corner of a
// resizable window.
class TStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    explicit TStatusBar(QWidget* parent = nullptr);
};
