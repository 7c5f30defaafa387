#include "components/GridFooter.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOption>

GridFooter::GridFooter(QHeaderView *header, QWidget *parent) : QWidget(parent), header_(header)
{
    setObjectName(QStringLiteral("GridFooter"));
    const auto repaint = [this] { update(); };
    connect(header_, &QHeaderView::sectionResized, this, repaint);
    connect(header_, &QHeaderView::sectionMoved, this, repaint);
    connect(header_, &QHeaderView::geometriesChanged, this, repaint);
    // The header scrolls with the table; its offset is what the footer follows.
    connect(header_, &QHeaderView::sectionCountChanged, this, repaint);
    if (auto *table = qobject_cast<QAbstractScrollArea *>(header_->parentWidget()))
        connect(table->horizontalScrollBar(), &QScrollBar::valueChanged, this, repaint);
}

void GridFooter::setTexts(const QHash<int, QString> &textsBySection)
{
    texts_ = textsBySection;
    update();
}

QSize GridFooter::sizeHint() const { return {100, fontMetrics().height() + 8}; }

void GridFooter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    // The header's viewport starts where the table's cells start.
    const int origin = header_->viewport()->mapTo(window(), QPoint()).x() - mapTo(window(), QPoint()).x();
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(rect().topLeft(), rect().topRight());
    for (auto it = texts_.begin(); it != texts_.end(); ++it) {
        if (it.key() >= header_->count() || header_->isSectionHidden(it.key()))
            continue;
        const QRect cell(origin + header_->sectionViewportPosition(it.key()), 0, header_->sectionSize(it.key()), height());
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(cell.adjusted(0, 1, -1, -1));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(cell.adjusted(4, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, it.value());
    }
}
