#include "TElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

TElidedLabel::TElidedLabel(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString TElidedLabel::ShownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

QSize TElidedLabel::sizeHint() const
{
    return { 0, QLabel::sizeHint().height() };
}

QSize TElidedLabel::minimumSizeHint() const
{
    return { 0, QLabel::minimumSizeHint().height() };
}

void TElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, ShownText());
}

bool TElidedLabel::event(QEvent* event)
{
    // The whole text, when the label cuts it, is one hover away.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const QString shown = ShownText();
        if (shown != text())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(event);
}
