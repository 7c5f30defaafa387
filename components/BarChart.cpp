#include "components/BarChart.h"

#include "db/DbError.h"
#include "db/Money.h"
#include "db/Rows.h"

#include <QPainter>
#include <QPainterPath>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>

namespace {

constexpr double margin = 10;
constexpr double barShare = 0.7; // of a bar's slot; the rest is the gap between bars

// 1, 2 or 5 times a power of ten, so the axis reads in round numbers.
double niceStep(double span)
{
    const double rough = span / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0})
        if (rough <= factor * power)
            return factor * power;
    return 10 * power;
}

QString tickText(double value, double step)
{
    const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step)));
    return QString::number(value, 'f', decimals);
}

double pointValue(const db::Rows &rows, int index)
{
    const QVariant value = rows.typed(index);
    if (!value.isValid())
        return 0;
    if (value.metaType() == QMetaType::fromType<db::Money>())
        return value.value<db::Money>().toDouble();
    return value.toDouble();
}

} // namespace

BarChart::BarChart(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void BarChart::setTitle(const QString &title)
{
    title_ = title;
    update();
}

void BarChart::setPoints(const QList<Point> &points)
{
    points_ = points;
    update();
}

void BarChart::setSource(db::Rows &rows, const QString &valueColumn, const QString &labelColumn)
{
    setPoints({});
    const QSqlRecord record = rows.record();
    const int valueIndex = record.indexOf(valueColumn);
    if (valueIndex < 0)
        throw db::DbError(QStringLiteral("字段不存在: %1").arg(valueColumn));
    if (record.indexOf(labelColumn) < 0)
        throw db::DbError(QStringLiteral("字段不存在: %1").arg(labelColumn));
    QList<Point> points;
    for (bool row = rows.isValid() || rows.next(); row; row = rows.next())
        points.append({rows.text(labelColumn), pointValue(rows, valueIndex)});
    setPoints(points);
}

QColor BarChart::paletteColor(int index)
{
    static const QList<QColor> palette{
        QColor(255, 0, 0),   QColor(0, 160, 0),   QColor(255, 200, 0), QColor(0, 0, 255),   QColor(255, 128, 0),
        QColor(128, 0, 128), QColor(0, 160, 160), QColor(128, 128, 128), QColor(160, 0, 0), QColor(0, 0, 128),
        QColor(128, 128, 0), QColor(255, 0, 255), QColor(0, 200, 255), QColor(110, 70, 30), QColor(0, 255, 128),
    };
    return palette.at(index % palette.size());
}

QFont BarChart::titleFont() const
{
    QFont f = font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    return f;
}

BarChart::Layout BarChart::layout() const
{
    Layout l;
    double top = margin;
    if (!title_.isEmpty()) {
        const QFontMetricsF titleMetrics(titleFont());
        l.titleRect = QRectF(margin, top, width() - 2 * margin, titleMetrics.height() + 4);
        top = l.titleRect.bottom() + 4;
    }

    double low = 0;
    double high = 0;
    for (const Point &p : points_) {
        low = std::min(low, p.second);
        high = std::max(high, p.second);
    }
    if (high - low <= 0)
        high = low + 1;
    l.step = niceStep(high - low);
    l.axisMin = std::floor(low / l.step) * l.step;
    l.axisMax = std::ceil(high / l.step) * l.step;

    const QFontMetricsF metrics(font());
    const double markHeight = metrics.height() + 4;
    double axisTextWidth = 0;
    for (double v = l.axisMin; v <= l.axisMax + l.step / 2; v += l.step)
        axisTextWidth = std::max(axisTextWidth, metrics.horizontalAdvance(tickText(v, l.step)));
    // Room above the plot for the highest bar's arrow and mark, below it for the lowest's.
    const double markRoom = markHeight + arrowLength + 2;
    const double plotTop = top + markRoom;
    const double plotBottom = height() - margin - (l.axisMin < 0 ? markRoom : metrics.height() / 2);
    l.plot = QRectF(QPointF(margin + axisTextWidth + 6, plotTop), QPointF(width() - margin, plotBottom));

    const auto y = [&l](double v) { return l.plot.bottom() - (v - l.axisMin) / (l.axisMax - l.axisMin) * l.plot.height(); };
    const double minMarkText = metrics.horizontalAdvance(QStringLiteral("图书…"));
    const double slot = points_.isEmpty() ? 0 : l.plot.width() / double(points_.size());
    const double baseY = y(0);
    for (int i = 0; i < points_.size(); ++i) {
        Bar bar;
        // On a pixel's middle, so the one-pixel arrow is drawn sharp.
        const double centre = std::floor(l.plot.left() + slot * (i + 0.5)) + 0.5;
        const double half = slot * barShare / 2;
        const double apexY = y(points_[i].second);
        bar.shape = QPolygonF({QPointF(centre - half, baseY), QPointF(centre + half, baseY), QPointF(centre, apexY)});
        bar.color = paletteColor(i);
        // Crowded charts keep at least two characters of each label; their marks may overlap.
        bar.markText = metrics.elidedText(points_[i].first, Qt::ElideRight, std::max(slot - 10, minMarkText));
        const QSizeF markSize(metrics.horizontalAdvance(bar.markText) + 8, markHeight);
        const bool below = points_[i].second < 0;
        const double markEdge = below ? apexY + arrowLength : apexY - arrowLength;
        const double markLeft = std::clamp(centre - markSize.width() / 2, 1.0, std::max(1.0, width() - 1 - markSize.width()));
        bar.mark = QRectF(QPointF(markLeft, below ? markEdge : markEdge - markSize.height()), markSize);
        bar.arrow = QLineF(centre, markEdge, centre, apexY);
        l.bars.append(bar);
    }
    return l;
}

void BarChart::drawAxis(QPainter &painter, const Layout &l) const
{
    painter.fillRect(l.plot, Qt::white);
    const auto y = [&l](double v) { return l.plot.bottom() - (v - l.axisMin) / (l.axisMax - l.axisMin) * l.plot.height(); };
    const QFontMetricsF metrics(font());
    for (double v = l.axisMin; v <= l.axisMax + l.step / 2; v += l.step) {
        const double at = y(v);
        painter.setPen(QColor(210, 210, 210));
        painter.drawLine(QPointF(l.plot.left(), at), QPointF(l.plot.right(), at));
        painter.setPen(Qt::black);
        painter.drawLine(QPointF(l.plot.left() - 4, at), QPointF(l.plot.left(), at));
        const QString text = tickText(v, l.step);
        painter.drawText(QPointF(l.plot.left() - 6 - metrics.horizontalAdvance(text), at + metrics.ascent() / 2 - 1), text);
    }
    painter.setPen(Qt::black);
    painter.drawLine(l.plot.bottomLeft(), l.plot.topLeft());
    painter.drawLine(QPointF(l.plot.left(), y(0)), QPointF(l.plot.right(), y(0)));
}

void BarChart::drawBar(QPainter &painter, const Bar &bar) const
{
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(bar.color);
    painter.drawPolygon(bar.shape);

    // The arrow points at the apex; its head stays inside the 20 pixels.
    painter.drawLine(bar.arrow);
    const QPointF tip = bar.arrow.p2();
    const double direction = bar.arrow.dy() >= 0 ? -1 : 1;
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip + QPointF(-3.5, 7 * direction));
    head.lineTo(tip + QPointF(3.5, 7 * direction));
    head.closeSubpath();
    painter.fillPath(head, Qt::black);

    painter.setBrush(QColor(255, 255, 225));
    painter.drawRect(bar.mark);
    painter.drawText(bar.mark, Qt::AlignCenter, bar.markText);
}

void BarChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().window());
    const Layout l = layout();
    if (!title_.isEmpty()) {
        painter.setFont(titleFont());
        painter.setPen(Qt::black);
        painter.drawText(l.titleRect, Qt::AlignCenter, title_);
        painter.setFont(font());
    }
    drawAxis(painter, l);
    for (const Bar &bar : l.bars)
        drawBar(painter, bar);
}
