// How the data grid holds up on a big table: a 图书 table of a million rows in a temporary
// SQLite file, a grid on it offscreen, and the time of each thing a librarian does with it.
//   bench_grid [rows]
#include "components/DataGrid.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Money.h"
#include "tools/DatabaseCreator.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

static const QStringList Classes = {QStringLiteral("文学"), QStringLiteral("历史"), QStringLiteral("哲学"),
                                    QStringLiteral("经济"), QStringLiteral("计算机"), QStringLiteral("艺术"),
                                    QStringLiteral("医学"), QStringLiteral("教育"), QStringLiteral("法律"),
                                    QStringLiteral("地理")};

// One prepared insert, every row bound, one transaction: the way an import fills a table.
static void fillBooks(db::Database &database, int rows)
{
    QSqlDatabase handle = database.handle();
    if (!handle.transaction())
        throw db::DbError(handle.lastError().text());
    QSqlQuery insert(handle);
    insert.prepare(QStringLiteral("insert into 图书 (编号, 名称, 条形码, 分类, 数量, 价格, 作者, 入库时间, 借出次数) "
                                  "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const QDate start(2000, 1, 1);
    quint32 seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int i = 0; i < rows; ++i) {
        insert.bindValue(0, QStringLiteral("B%1").arg(i, 7, 10, QLatin1Char('0')));
        insert.bindValue(1, QStringLiteral("书名%1").arg(next() % 1000000));
        insert.bindValue(2, QStringLiteral("%1").arg(690000000000LL + i));
        insert.bindValue(3, Classes.at(int(next() % Classes.size())));
        insert.bindValue(4, qlonglong(next() % 5 + 1));
        // Money as stored in the embedded file: integer ten-thousandths.
        insert.bindValue(5, qlonglong(next() % 2000000));
        insert.bindValue(6, QStringLiteral("作者%1").arg(next() % 5000));
        insert.bindValue(7, start.addDays(next() % 9000).toString(QStringLiteral("yyyy-MM-dd")));
        insert.bindValue(8, qlonglong(next() % 300));
        if (!insert.exec())
            throw db::DbError(insert.lastError().text());
    }
    if (!handle.commit())
        throw db::DbError(handle.lastError().text());
}

static double timed(const std::function<void()> &step)
{
    QElapsedTimer clock;
    clock.start();
    step();
    return double(clock.nsecsElapsed()) / 1e6;
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;

    try {
        QTemporaryDir dir;
        db::ConnectionSpec spec;
        spec.engine = db::Engine::SQLite;
        spec.file = dir.filePath(QStringLiteral("book.db"));
        tools::createDatabase(spec);
        db::Database database(spec, QStringLiteral("a"));
        std::printf("fill %d rows: %.0f ms\n", rows, timed([&] { fillBooks(database, rows); }));

        DataGrid grid;
        grid.setObjectName(QStringLiteral("DBGrid1"));
        grid.resize(1280, 800);
        grid.setColumns({{.field = QStringLiteral("编号"), .footer = GridColumn::Footer::Count},
                         {.field = QStringLiteral("名称")},
                         {.field = QStringLiteral("分类")},
                         {.field = QStringLiteral("数量"), .footer = GridColumn::Footer::Sum},
                         {.field = QStringLiteral("价格"), .footer = GridColumn::Footer::Sum},
                         {.field = QStringLiteral("简介"), .visible = false}});
        grid.show();
        // grab() paints the grid now, so each step includes fetching the rows on screen.
        const auto screen = [&grid] { (void)grid.grab(); };
        const auto report = [](const char *what, double ms) { std::printf("%-44s %8.1f ms\n", what, ms); };

        report("open + first screen (count, sums, rows)", timed([&] {
                   grid.open(database, db::Sql("select * from 图书"), QStringLiteral("图书"));
                   screen();
               }));
        report("scroll 50 screens down, page by page", timed([&] {
                   QTableView *view = grid.view();
                   for (int i = 0; i < 50; ++i) {
                       grid.setCurrentRow(qMin(grid.rowCount() - 1, (i + 1) * 40));
                       view->scrollTo(view->currentIndex());
                       screen();
                   }
               }));
        report("jump to the last row", timed([&] {
                   grid.setCurrentRow(grid.rowCount() - 1);
                   screen();
               }));
        report("sort by 名称 ascending (no index)", timed([&] {
                   grid.sortBy(QStringLiteral("名称"), Qt::AscendingOrder);
                   screen();
               }));
        report("sort by 借出次数 descending (index)", timed([&] {
                   grid.sortBy(QStringLiteral("借出次数"), Qt::DescendingOrder);
                   screen();
               }));
        report("distinct values of 分类 (filter list)", timed([&] { grid.distinctValues(QStringLiteral("分类")); }));
        report("filter 分类 = 计算机 (count, sums, rows)", timed([&] {
                   grid.setFilter(QStringLiteral("分类"), {QStringLiteral("计算机")});
                   screen();
               }));
        report("footer sums again (refresh)", timed([&] {
                   grid.refresh();
                   screen();
               }));
        std::printf("rows shown %d, 价格 sum %s, 数量 sum %s\n", grid.rowCount(),
                    qPrintable(grid.footerText(QStringLiteral("价格"))), qPrintable(grid.footerText(QStringLiteral("数量"))));
        report("clear filter", timed([&] {
                   grid.clearFilters();
                   screen();
               }));
    } catch (const db::DbError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 1;
    }
    return 0;
}
