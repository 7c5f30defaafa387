#pragma once

#include <QColor>
#include <QLineF>
#include <QList>
#include <QPair>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QWidget>

namespace db {
class Rows;
}

// A bar chart of one series: pyramid-shaped bars placed one after another in the order of the
// points, each in its own colour of a palette that starts with red, each carrying a mark box with
// its label joined to the bar by an arrow; a value axis on the left, a white back wall, a flat
// look. It takes no mouse input: the chart shows what it was given and nothing else.
class BarChart : public QWidget {
    Q_OBJECT
public:
    using Point = QPair<QString, double>; // label, value

    static constexpr int arrowLength = 20;

    explicit BarChart(QWidget *parent = nullptr);

    void setTitle(const QString &title);
    QString title() const { return title_; }

    void setPoints(const QList<Point> &points);
    // One point per remaining row of `rows`, in row order: the value column as bar height (money
    // and numbers as such, an empty value as 0), the label column as bar label. A column that is
    // not there throws db::DbError and leaves the chart empty.
    void setSource(db::Rows &rows, const QString &valueColumn, const QString &labelColumn);

    int pointCount() const { return int(points_.size()); }
    const QList<Point> &points() const { return points_; }

    // The colour of the bar at `index`; the palette repeats after its last colour.
    static QColor paletteColor(int index);

    // Where everything goes at the widget's present size.
    struct Bar {
        QPolygonF shape; // base left, base right, apex
        QRectF mark;
        QLineF arrow;    // from the mark to the apex
        QString markText;
        QColor color;
    };
    struct Layout {
        QRectF titleRect;
        QRectF plot; // the back wall
        double axisMin = 0;
        double axisMax = 1;
        double step = 1;
        QList<Bar> bars;
    };
    Layout layout() const;

    QSize sizeHint() const override { return {640, 420}; }
    QSize minimumSizeHint() const override { return {200, 150}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont titleFont() const;
    void drawAxis(QPainter &painter, const Layout &layout) const;
    void drawBar(QPainter &painter, const Bar &bar) const;

    QString title_;
    QList<Point> points_;
};
