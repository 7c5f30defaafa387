// The bar chart: points from a query's rows, and what it draws, rendered offscreen.
#include "TestLibrary.h"
#include "components/BarChart.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Money.h"

#include <QImage>
#include <QPainter>
#include <QSet>
#include <QWheelEvent>
#include <QtTest>

using db::Sql;
using Points = QList<BarChart::Point>;

class TstChart : public QObject {
    Q_OBJECT
private slots:
    void rowsFeedThePoints_data();
    void rowsFeedThePoints();
    void missingColumnLeavesTheChartEmpty();
    void drawsColouredPyramidsWithMarksAndTitle();
    void mouseAndWheelChangeNothing();
};

static QImage rendered(BarChart &chart)
{
    QImage image(chart.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    chart.render(&image);
    return image;
}

static void fill(db::Database &database)
{
    const auto book = [&database](const QString &number, const QString &name, int loans, const char *price) {
        database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), number},
                                                 {QStringLiteral("名称"), name},
                                                 {QStringLiteral("借出次数"), loans},
                                                 {QStringLiteral("价格"), QVariant::fromValue(*db::Money::parse(QString::fromLatin1(price)))}});
    };
    book(QStringLiteral("1"), QStringLiteral("红楼梦"), 7, "35.50");
    book(QStringLiteral("2"), QStringLiteral("水浒传"), 12, "20");
    book(QStringLiteral("3"), QStringLiteral("未借过的书"), 0, "8.25");
    const auto reader = [&database](const QString &number, const QString &name, int loans) {
        database.insert(QStringLiteral("读者库"), {{QStringLiteral("读者编号"), number},
                                                   {QStringLiteral("读者姓名"), name},
                                                   {QStringLiteral("累计借阅次数"), loans}});
    };
    reader(QStringLiteral("R1"), QStringLiteral("张三"), 4);
    reader(QStringLiteral("R2"), QStringLiteral("李四"), 9);
    reader(QStringLiteral("R3"), QStringLiteral("张三"), 2);
}

void TstChart::rowsFeedThePoints_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("valueColumn");
    QTest::addColumn<QString>("labelColumn");
    QTest::addColumn<Points>("points");
    QTest::newRow("books by loans, a never lent one included")
        << "select * from 图书 order by 借出次数 desc" << "借出次数" << "名称"
        << Points{{"水浒传", 12}, {"红楼梦", 7}, {"未借过的书", 0}};
    QTest::newRow("readers of the same name are two bars")
        << "select 读者姓名, 累计借阅次数 from 读者库 order by 累计借阅次数 desc" << "累计借阅次数" << "读者姓名"
        << Points{{"李四", 9}, {"张三", 4}, {"张三", 2}};
    QTest::newRow("money as its amount") << "select 名称, 价格 from 图书 order by 编号" << "价格" << "名称"
                                         << Points{{"红楼梦", 35.5}, {"水浒传", 20}, {"未借过的书", 8.25}};
}

void TstChart::rowsFeedThePoints()
{
    QFETCH(QString, statement);
    QFETCH(QString, valueColumn);
    QFETCH(QString, labelColumn);
    QFETCH(Points, points);
    TestLibrary library;
    fill(library.db());
    db::Rows rows = library.db().select(Sql::fixed(statement).limit(12));
    BarChart chart;
    chart.setSource(rows, valueColumn, labelColumn);
    QCOMPARE(chart.pointCount(), points.size());
    QCOMPARE(chart.points(), points);
}

void TstChart::missingColumnLeavesTheChartEmpty()
{
    TestLibrary library;
    fill(library.db());
    BarChart chart;
    chart.setPoints({{QStringLiteral("旧"), 1}});
    db::Rows rows = library.db().select(Sql("select 名称 from 图书"));
    QVERIFY_THROWS_EXCEPTION(db::DbError, chart.setSource(rows, QStringLiteral("借出次数"), QStringLiteral("名称")));
    QCOMPARE(chart.pointCount(), 0);
}

void TstChart::drawsColouredPyramidsWithMarksAndTitle()
{
    BarChart chart;
    chart.resize(640, 420);
    chart.setPoints({{QStringLiteral("甲"), 5}, {QStringLiteral("乙"), 3}, {QStringLiteral("丙"), 8}, {QStringLiteral("丁"), 0}});
    const QImage untitled = rendered(chart);
    QVERIFY(chart.layout().titleRect.isEmpty());
    chart.setTitle(QStringLiteral("借阅次数排行"));
    const QImage image = rendered(chart);
    const BarChart::Layout layout = chart.layout();

    // The title is drawn: its strip holds more than the background.
    const QColor background = image.pixelColor(1, 1);
    int inked = 0;
    const QRect titleRect = layout.titleRect.toAlignedRect();
    for (int y = titleRect.top(); y <= titleRect.bottom(); ++y)
        for (int x = titleRect.left(); x <= titleRect.right(); ++x)
            inked += image.pixelColor(x, y) != background;
    QVERIFY(inked > 20);
    QVERIFY(image != untitled);

    // Bars in row order, apex height by value, each filled in its own palette colour; a mark above
    // each, joined by an arrow of 20 pixels.
    QCOMPARE(layout.bars.size(), 4);
    QSet<QRgb> colours;
    for (int i = 0; i < layout.bars.size(); ++i) {
        const BarChart::Bar &bar = layout.bars[i];
        const QPointF left = bar.shape[0], right = bar.shape[1], apex = bar.shape[2];
        QCOMPARE(left.y(), right.y());
        QCOMPARE(apex.x(), (left.x() + right.x()) / 2);
        if (i > 0)
            QVERIFY(left.x() > layout.bars[i - 1].shape[1].x());
        QCOMPARE(bar.arrow.length(), double(BarChart::arrowLength));
        QCOMPARE(bar.arrow.p2(), apex);
        QCOMPARE(bar.mark.bottom(), apex.y() - BarChart::arrowLength);
        QCOMPARE(bar.markText, chart.points()[i].first);
        QVERIFY(layout.plot.contains(left));
        // the arrow's shaft is drawn in black
        QVERIFY(image.pixelColor(int(apex.x()), int(apex.y()) - 15).lightness() < 80);
        if (apex.y() < left.y() - 6) {
            const QPoint inside(int(apex.x()), int(left.y() - (left.y() - apex.y()) / 4));
            QCOMPARE(image.pixelColor(inside), BarChart::paletteColor(i));
            colours.insert(image.pixel(inside));
        }
    }
    QCOMPARE(colours.size(), 3); // the bar of 0 has no height to fill
    QCOMPARE(BarChart::paletteColor(0), QColor(Qt::red));
    QVERIFY(layout.bars[2].shape[2].y() < layout.bars[0].shape[2].y());
    QVERIFY(layout.bars[0].shape[2].y() < layout.bars[1].shape[2].y());
    QCOMPARE(layout.bars[3].shape[2].y(), layout.bars[3].shape[0].y());
    QVERIFY(layout.axisMax >= 8);

    // The back wall is white: white is what most of the plot shows.
    QHash<QRgb, int> counts;
    const QRect plot = layout.plot.toAlignedRect();
    for (int y = plot.top(); y <= plot.bottom(); y += 2)
        for (int x = plot.left(); x <= plot.right(); x += 2)
            ++counts[image.pixel(x, y)];
    QCOMPARE(std::max_element(counts.begin(), counts.end()).key(), QColor(Qt::white).rgb());
}

void TstChart::mouseAndWheelChangeNothing()
{
    BarChart chart;
    chart.resize(500, 360);
    chart.setTitle(QStringLiteral("借阅次数排行"));
    chart.setPoints({{QStringLiteral("甲"), 5}, {QStringLiteral("乙"), 30}});
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const QImage before = rendered(chart);
    const QPoint centre = chart.rect().center();

    QTest::mousePress(&chart, Qt::LeftButton, {}, centre);
    QTest::mouseMove(&chart, centre + QPoint(80, 40));
    QTest::mouseRelease(&chart, Qt::LeftButton, {}, centre + QPoint(80, 40));
    QTest::mouseDClick(&chart, Qt::LeftButton, {}, centre);
    QTest::mouseClick(&chart, Qt::RightButton, {}, centre);
    for (Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
        QWheelEvent wheel(centre, chart.mapToGlobal(centre), {}, QPoint(0, 240), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&chart, &wheel);
    }
    QCoreApplication::processEvents();

    QCOMPARE(chart.points(), (Points{{QStringLiteral("甲"), 5}, {QStringLiteral("乙"), 30}}));
    QCOMPARE(rendered(chart), before);
}

QTEST_MAIN(TstChart)
#include "tst_chart.moc"
