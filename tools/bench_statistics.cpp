// The statistics on a generated library (book-generate), each timed beside its bare statement:
// the same SQL text and values run straight through QSqlQuery, every row and column read.
//   bench_statistics TARGET [repeats]
//   TARGET: a .db file, or a connection text "Provider=PostgreSQL;...;Data Source=host:port"
// A window's time runs from its handler (统计, or the chart's FormShow) until the rows of the
// first screen, the count and the footers are there. Each figure is the median of the repeats,
// window and bare statement taking turns so that both meet the same caches.
#include "app/Session.h"
#include "common/Platform.h"
#include "components/BarChart.h"
#include "components/DataGrid.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "statistics/AdminLuRuStatUt.h"
#include "statistics/BkChartUt.h"
#include "statistics/QkChartUt.h"
#include "statistics/RdChartUt.h"
#include "statistics/ShouRuCountUt.h"
#include "statistics/SortSearchUt.h"
#include "tools/BenchSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double elapsedMs(const std::function<void()> &step)
{
    QElapsedTimer clock;
    clock.start();
    step();
    return double(clock.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The statement as the engine receives it, run bare; returns the rows read.
qint64 runBare(db::Database &database, const db::Sql &statement)
{
    QString text = statement.preparedText();
    if (statement.isRankingTop())
        text = database.driver().withRankingTop(text, statement.rowLimit());
    else if (statement.rowLimit() > 0)
        text = database.driver().withLimit(text, statement.rowLimit());
    QSqlQuery query(database.handle());
    query.setForwardOnly(true);
    if (!query.prepare(text))
        throw db::DbError(query.lastError().text());
    for (const QVariant &value : statement.boundValues())
        query.addBindValue(database.driver().toStorage(value));
    if (!query.exec())
        throw db::DbError(query.lastError().text());
    qint64 rows = 0;
    const int columns = query.record().count();
    while (query.next()) {
        for (int c = 0; c < columns; ++c)
            (void)query.value(c);
        ++rows;
    }
    return rows;
}

// What a list window shows first: the rows of the first screen, the count and the footers.
void firstScreen(DataGrid &grid)
{
    if (grid.rowCount() > 0)
        (void)grid.value(0, grid.columns().first().field);
    for (const GridColumn &column : grid.columns())
        (void)grid.footerText(column.field);
}

struct Case {
    const char *name;
    db::Sql bare;
    std::function<void()> window;
};

void report(db::Database &database, const Case &c, int repeats)
{
    std::vector<double> windowTimes, bareTimes;
    qint64 rows = 0;
    for (int i = 0; i < repeats; ++i) {
        windowTimes.push_back(elapsedMs(c.window));
        bareTimes.push_back(elapsedMs([&] { rows = runBare(database, c.bare); }));
    }
    const double window = median(windowTimes), bare = median(bareTimes);
    std::printf("%-44s %8lld rows  window %10.3f ms  bare %10.3f ms  ratio %5.2f\n", c.name, qlonglong(rows), window, bare,
                window / bare);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: bench_statistics TARGET [repeats]\n");
        return 2;
    }
    const int repeats = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 5;
    Platform::install(std::make_unique<tools::QuietPlatform>());
    try {
        const QString target = args.first();
        const db::ConnectionSpec spec = db::connectionSpecOf(target);
        db::Database database(spec, db::kindOfEngine(spec.engine));
        Session::instance().database = &database;
        Session::instance().DatabaseKind = database.kind();

        // The latest day in the library: the ranges end there.
        QSqlQuery latest(database.handle());
        latest.exec(QStringLiteral("select max(时间) from 收入"));
        QDate last = latest.next() ? database.driver().dateFromStorage(latest.value(0)) : QDate();
        if (!last.isValid())
            last = QDate::currentDate();
        std::printf("library %s, latest ledger day %s, median of %d\n", qPrintable(target),
                    qPrintable(last.toString(Qt::ISODate)), repeats);

        TSortSearchFM classes;
        const auto classCase = [&](const char *name, const QString &table) {
            return Case{name, TSortSearchFM::statistics(table), [&classes, table] {
                            classes.ComboBox1->setCurrentText(table);
                            classes.Button1Click();
                            firstScreen(*classes.DBGrid1);
                        }};
        };
        TAdminLuRuStatFm intake;
        const auto intakeCase = [&](const char *name, const QDate &from) {
            return Case{name, TAdminLuRuStatFm::statistics(from, last), [&intake, from, last] {
                            intake.DateTimePicker1->setDate(from);
                            intake.DateTimePicker2->setDate(last);
                            intake.Button1Click();
                            firstScreen(*intake.DBGrid1);
                        }};
        };
        TShouRuCountFm ledger;
        const auto ledgerCase = [&](const char *name, const QDate &from) {
            return Case{name, TShouRuCountFm::ledger(from, last), [&ledger, from, last] {
                            ledger.DateTimePicker1->setDate(from);
                            ledger.DateTimePicker2->setDate(last);
                            ledger.Button1Click();
                            firstScreen(*ledger.DBGrid1);
                        }};
        };
        TBkChartFm books;
        TQkChartFm periodicals;
        TRdChartFm readers;
        const auto chartCase = [](const char *name, RankingChartWindow &chart) {
            return Case{name, RankingChartWindow::ranking(chart.setup()), [&chart] { chart.FormShow(); }};
        };

        const QList<Case> cases{
            classCase("分类统计 图书", QStringLiteral("图书")),
            classCase("分类统计 期刊", QStringLiteral("期刊")),
            intakeCase("管理员录入量统计 last year", last.addYears(-1)),
            intakeCase("管理员录入量统计 all years", QDate(1900, 1, 1)),
            chartCase("图书借阅统计", books),
            chartCase("期刊借阅统计", periodicals),
            chartCase("读者借阅统计", readers),
            ledgerCase("资金统计 last month", last.addMonths(-1)),
            ledgerCase("资金统计 all years", QDate(1900, 1, 1)),
        };
        for (const Case &c : cases)
            report(database, c, repeats);
        Session::instance().database = nullptr;
    } catch (const db::DbError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 1;
    }
    return 0;
}
