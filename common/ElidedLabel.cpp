#include "common/ElidedLabel.h"

#include <QEvent>

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

void ElidedLabel::setFullText(const QString &text)
{
    full_ = text;
    setAccessibleName(text);
    elide();
}

void ElidedLabel::elide()
{
    const int room = contentsRect().width() - 2 * margin() - qMax(indent(), 0);
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, qMax(room, 0));
    setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        elide();
}
