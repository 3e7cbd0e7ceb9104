#pragma once

#include <QLabel>

// A one-line label that never asks for more room than its place gives it: a text longer than
// the label shows cut with an ellipsis, and the whole text in its tool tip. text() is always
// the whole text. Without this a long text (a long file name on the status line) would widen
// the label's window past the screen.
class TElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TElidedLabel(QWidget* parent = nullptr);

    // What the label shows for its current width.
    QString ShownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
};
