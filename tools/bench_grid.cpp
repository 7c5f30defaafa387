// How the data grid holds up on a big table: a 图书 table of a million rows, a grid on it
// offscreen, and the time of each thing a librarian does with it, beside the time of the bare
// statement that step needs anyway (the engine's own floor), timed in the same run.
//   bench_grid [rows]                                         a temporary SQLite file
//   bench_grid [rows] --postgresql "host=.. port=.. user=.."  a scratch database on that server
#include "components/DataGrid.h"
#include "components/GridModel.h"
#include "components/GridQuery.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Money.h"
#include "tools/BenchSupport.h"
#include "tools/DatabaseCreator.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <algorithm>
#include <functional>

using db::Sql;

static const QStringList Classes = {QStringLiteral("文学"), QStringLiteral("历史"), QStringLiteral("哲学"),
                                    QStringLiteral("经济"), QStringLiteral("计算机"), QStringLiteral("艺术"),
                                    QStringLiteral("医学"), QStringLiteral("教育"), QStringLiteral("法律"),
                                    QStringLiteral("地理")};

static void exec(QSqlDatabase handle, const QString &statement)
{
    QSqlQuery query(handle);
    if (!query.exec(statement))
        throw db::DbError(query.lastError().text() + QStringLiteral("\n") + statement);
}

// One prepared insert, every row bound, one transaction: the way an import fills a table.
static void fillSqlite(db::Database &database, int rows)
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

// The same kind of rows made by the server itself, then the statistics its autovacuum would
// gather on a table of that size.
static void fillPostgres(db::Database &database, int rows)
{
    QSqlDatabase handle = database.handle();
    exec(handle, QStringLiteral("select setseed(0.5)"));
    exec(handle, QStringLiteral("insert into 图书 (编号, 名称, 条形码, 分类, 数量, 价格, 作者, 入库时间, 借出次数) "
                                "select 'B' || lpad(i::text, 7, '0'), '书名' || floor(random() * 1000000)::int, "
                                "(690000000000 + i)::text, (array['%1'])[1 + floor(random() * 10)::int], "
                                "1 + floor(random() * 5)::int, floor(random() * 2000000) / 10000, "
                                "'作者' || floor(random() * 5000)::int, date '2000-01-01' + floor(random() * 9000)::int, "
                                "floor(random() * 300)::int from generate_series(0, %2) as i")
                     .arg(Classes.join(QStringLiteral("', '")))
                     .arg(rows - 1));
    exec(handle, QStringLiteral("analyze 图书"));
}

static double timed(const std::function<void()> &step)
{
    QElapsedTimer clock;
    clock.start();
    step();
    return double(clock.nsecsElapsed()) / 1e6;
}

// The bare statement, every value of every row read as the engine hands it over.
static double timedBare(db::Database &database, const Sql &statement)
{
    return timed([&] {
        db::Rows rows = database.select(statement);
        const int columns = rows.record().count();
        while (rows.next())
            for (int i = 0; i < columns; ++i)
                (void)rows.query().value(i);
    });
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int rows = args.size() > 1 && !args.at(1).startsWith(QLatin1String("--")) ? args.at(1).toInt() : 1000000;
    const int pg = int(args.indexOf(QStringLiteral("--postgresql")));

    try {
        QTemporaryDir dir;
        std::unique_ptr<tools::ScratchPostgres> scratch;
        db::ConnectionSpec spec;
        if (pg > 0 && pg + 1 < args.size()) {
            scratch = std::make_unique<tools::ScratchPostgres>(args.at(pg + 1), QStringLiteral("lib_bench_grid"));
            spec = scratch->spec;
        } else {
            spec.engine = db::Engine::SQLite;
            spec.file = dir.filePath(QStringLiteral("book.db"));
        }
        tools::createDatabase(spec);
        db::Database database(spec, spec.engine == db::Engine::SQLite ? QStringLiteral("a") : QStringLiteral("p"));
        std::printf("%s, fill %d rows: %.0f ms\n", spec.engine == db::Engine::SQLite ? "SQLite" : "PostgreSQL", rows,
                    timed([&] {
                        if (spec.engine == db::Engine::SQLite)
                            fillSqlite(database, rows);
                        else
                            fillPostgres(database, rows);
                    }));

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
        // The event loop runs until the count and the sums are in, as it would after the screen.
        const auto totals = [&grid] {
            while (!grid.model()->totalsKnown())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        };
        // The same rows and order with no row fetched yet: where a step starts again.
        const auto cold = [&grid, &screen] {
            grid.model()->reorder();
            grid.setCurrentRow(0);
            screen();
        };
        const auto recount = [&grid, &screen] {
            grid.refresh();
            screen();
        };
        const auto lastRow = [&grid, &screen] {
            grid.setCurrentRow(grid.rowCount() - 1);
            screen();
        };
        const auto sort = [&grid, &screen](const char *field, Qt::SortOrder order) {
            return [&grid, &screen, field, order] {
                grid.sortBy(QString::fromUtf8(field), order);
                screen();
            };
        };
        const auto filter = [&grid, &screen] {
            grid.setFilter(QStringLiteral("分类"), {QStringLiteral("计算机")});
            screen();
        };
        const auto unfilter = [&grid, &screen] {
            grid.clearFilters();
            screen();
        };
        const QString chunk = QString::number(GridModel::ChunkRows);
        // The bare order of a column, nulls lowest as the grid has them on every engine.
        const auto orderBy = [&database, &chunk](const char *column, bool descending) {
            return Sql::fixed(" order by " + database.driver().orderTerm(QString::fromUtf8(column), descending) + " limit "
                              + chunk);
        };
        const Sql counted("select count(*), sum(数量), sum(价格) from 图书");
        const Sql byClass = Sql(" where 分类 = ") + Sql::text(QStringLiteral("计算机"));
        // Which of the grid's statements a step prints the plan of.
        enum class Plan { None, FirstPage, LastPage };
        struct Step {
            const char *what;
            std::function<void()> setup; // untimed, before each run
            std::function<void()> run;
            Sql bare;
            Plan plan = Plan::None;
        };
        const QList<Step> steps = {
            {"open + first screen", {}, [&] {
                 grid.open(database, Sql("select * from 图书"), QStringLiteral("图书"));
                 screen();
             }, Sql::fixed("select * from 图书 order by rowid limit " + chunk), Plan::FirstPage},
            {"count and sums, after the screen", recount, totals, counted},
            {"scroll 50 screens down, page by page", cold, [&] {
                 QTableView *view = grid.view();
                 for (int i = 0; i < 50; ++i) {
                     grid.setCurrentRow(qMin(grid.rowCount() - 1, (i + 1) * 40));
                     view->scrollTo(view->currentIndex());
                     screen();
                 }
             }, Sql("select * from 图书 order by rowid limit 2040")},
            {"jump to the last row", cold, lastRow, Sql::fixed("select * from 图书 order by rowid desc limit " + chunk),
             Plan::LastPage},
            {"sort by 名称 ascending (no index)", {}, sort("名称", Qt::AscendingOrder),
             Sql("select * from 图书") + orderBy("名称", false), Plan::FirstPage},
            {"sort by 借出次数 descending (index)", {}, sort("借出次数", Qt::DescendingOrder),
             Sql("select * from 图书") + orderBy("借出次数", true), Plan::FirstPage},
            {"jump to the last row (借出次数)", cold, lastRow,
             Sql("select * from 图书") + orderBy("借出次数", false), Plan::LastPage},
            {"sort by 借出次数 ascending (index)", {}, sort("借出次数", Qt::AscendingOrder),
             Sql("select * from 图书") + orderBy("借出次数", false), Plan::FirstPage},
            {"distinct values of 分类 (filter list)", {}, [&] { grid.distinctValues(QStringLiteral("分类")); },
             Sql("select distinct 分类 from 图书 order by 分类 limit 500")},
            {"filter 分类 = 计算机, first screen", unfilter, filter,
             Sql("select * from 图书") + byClass + orderBy("借出次数", false)},
            {"count and sums of the filter", recount, totals, counted + byClass},
            {"refresh, first screen", {}, recount,
             Sql("select * from 图书") + byClass + orderBy("借出次数", false)},
            {"clear filter, first screen", filter, unfilter,
             Sql("select * from 图书") + orderBy("借出次数", false)},
        };

        // Each step and its bare statement run in turn a few times; the medians are shown, so a
        // busy moment of the machine does not decide a line.
        constexpr int Runs = 5;
        const auto median = [](QList<double> times) {
            std::sort(times.begin(), times.end());
            return times.at(times.size() / 2);
        };
        QHash<QString, double> ms;
        std::printf("%-40s %9s %9s %9s %6s  %s\n", "step (median of 5 runs)", "1st run", "grid ms", "bare ms", "ratio",
                    "bare statement");
        for (const Step &step : steps) {
            QList<double> program, bare;
            for (int run = 0; run < Runs; ++run) {
                if (step.setup)
                    step.setup();
                program.append(timed(step.run));
                bare.append(timedBare(database, step.bare));
            }
            ms.insert(QString::fromUtf8(step.what), median(program));
            std::printf("%-40s %9.1f %9.1f %9.1f %6.2f  %s\n", step.what, program.first(), median(program), median(bare),
                        median(program) / median(bare), qPrintable(database.displayText(step.bare)));
            if (step.plan != Plan::None)
                for (const QString &line :
                     tools::queryPlan(database, grid.model()->query().page(0, GridModel::ChunkRows, step.plan == Plan::LastPage)))
                    std::printf("%50s   plan: %s\n", "", qPrintable(line));
        }
        std::printf("rows shown %d, 价格 sum %s, 数量 sum %s\n", grid.rowCount(),
                    qPrintable(grid.footerText(QStringLiteral("价格"))), qPrintable(grid.footerText(QStringLiteral("数量"))));
        std::printf("goals: first screen %.1f ms (<= 30), sort by an index %.1f / %.1f ms (<= 10), "
                    "last row %.1f / %.1f ms (<= 10)\n",
                    ms.value(QStringLiteral("open + first screen")),
                    ms.value(QStringLiteral("sort by 借出次数 descending (index)")),
                    ms.value(QStringLiteral("sort by 借出次数 ascending (index)")),
                    ms.value(QStringLiteral("jump to the last row")), ms.value(QStringLiteral("jump to the last row (借出次数)")));
    } catch (const db::DbError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 1;
    }
    return 0;
}
