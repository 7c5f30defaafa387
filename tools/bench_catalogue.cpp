// How 图书资料管理 holds up on a library of a million books made by the generator. Beside each
// thing the window does, the bare statements that do the same work, timed in the same run:
//   opening: the window built, shown and painted | the top 500 (bare); the goal: <= 50 ms
//   then until the totals line over the whole table is in | the one pass over 图书 it needs
//   a contains-search on 名称 typed into the window, 查询 clicked, the screen painted | the same
//     like read for one screen of rows, and for every row (the scan the goal compares with:
//     <= 1.5 x); once for a frequent word, once for a title nobody has, where both read the
//     whole table
//   an exact search on 编号 | the same statement
//   bench_catalogue [books]                                           a temporary SQLite file
//   bench_catalogue [books] --postgresql "host=.. port=.. user=.."     a scratch database on that server
//   bench_catalogue --library TARGET      a library of book-generate (a .db file or a connection text)
#include "app/Session.h"
#include "catalogue/BkSearchUt.h"
#include "catalogue/QkSearchUt.h"
#include "common/Platform.h"
#include "components/DataGrid.h"
#include "components/GridModel.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "tools/BenchSupport.h"
#include "tools/DatabaseCreator.h"
#include "tools/Generator.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using db::Sql;

namespace {

// Rows on one screen of the list, at the size the benchmark gives the window.
constexpr int ScreenRows = 40;
constexpr int Runs = 5;
constexpr double OpeningGoalMs = 50;
constexpr double SearchGoalRatio = 1.5;

double timed(const std::function<void()> &step)
{
    QElapsedTimer clock;
    clock.start();
    step();
    return double(clock.nsecsElapsed()) / 1e6;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// The bare statement, every value of every row read as the engine hands it over.
void readAll(db::Database &database, const Sql &statement)
{
    db::Rows rows = database.select(statement);
    const int columns = rows.record().count();
    while (rows.next())
        for (int i = 0; i < columns; ++i)
            (void)rows.query().value(i);
}

// Whatever the event loop still holds (a count after the screen) runs now, outside the clock.
void settle(DataGrid &grid)
{
    QCoreApplication::processEvents();
    while (!grid.model()->totalsKnown())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Medians of the window's step, of the bare statement of its first screen and of the bare scan
// that the goal compares with (the same statement when a step has one only).
struct Result {
    double first = 0, program = 0, screen = 0, scan = 0;
};

void printPlan(db::Database &database, const char *whose, const Sql &statement)
{
    std::printf("    plan of %s: %s\n", whose, qPrintable(db::Database::preparedText(statement, database.driver())));
    for (const QString &line : tools::queryPlan(database, statement))
        std::printf("        %s\n", qPrintable(line));
}

void printLine(const QString &what, const Result &r)
{
    std::printf("%-40s %8.1f %8.1f %8.1f %8.1f %7.2f\n", qPrintable(what), r.first, r.program, r.screen, r.scan,
                r.program / r.scan);
}

class Bench {
public:
    explicit Bench(db::Database &database) : db_(database) {}

    void run()
    {
        Session &session = Session::instance();
        session.database = &db_;
        session.DatabaseKind = db_.kind();
        session.setAll(true);
        books_ = [&] {
            db::Rows n = db_.select(Sql("select count(*) as n from 图书"));
            return n.next() ? n.integer(QStringLiteral("n")) : 0;
        }();
        std::printf("%lld books\n", books_);

        const Result opening = openingList();
        const Result totals = totalsLine();
        const QString common = QStringLiteral("数据库"), rare = QStringLiteral("红楼梦");
        const Result fuzzyCommon = search(QStringLiteral("名称"), common, false);
        const Result fuzzyRare = search(QStringLiteral("名称"), rare, false);
        const QString middle = middleNumber();
        const Result exact = search(QStringLiteral("编号"), middle, true);

        std::printf("\n%-40s %8s %8s %8s %8s %7s\n", "ms, median of 5 runs", "1st run", "window", "b.screen",
                    "b.scan", "w/scan");
        printLine(QStringLiteral("open: top 500, first screen"), opening);
        printLine(QStringLiteral("open: until the totals line"), totals);
        printLine(QStringLiteral("模糊 名称 %1, first screen").arg(common), fuzzyCommon);
        printLine(QStringLiteral("模糊 名称 %1, first screen").arg(rare), fuzzyRare);
        printLine(QStringLiteral("精确 编号 %1, first screen").arg(middle), exact);
        std::printf("  b.screen: the bare statement's rows of one screen (%d); b.scan: every row of it\n", ScreenRows);
        std::printf("    books whose title holds %s: %d; holds %s: %d\n", qPrintable(common), countOf(common),
                    qPrintable(rare), countOf(rare));

        std::printf("\ngoals:\n");
        std::printf("  opening list, first screen %.1f ms <= %.0f ms: %s\n", opening.program, OpeningGoalMs,
                    opening.program <= OpeningGoalMs ? "met" : "MISSED");
        for (const auto &[what, r] : {std::pair{common, fuzzyCommon}, std::pair{rare, fuzzyRare}})
            std::printf("  模糊 名称 %s, first screen %.2f x the bare like scan <= %.1f x: %s\n", qPrintable(what),
                        r.program / r.scan, SearchGoalRatio, r.program / r.scan <= SearchGoalRatio ? "met" : "MISSED");
        std::printf("  totals line (for the record): %.2f x its bare statement\n", totals.program / totals.scan);
        std::printf("  精确 编号 (for the record): %.2f x the bare statement\n", exact.program / exact.scan);
        session.database = nullptr;
    }

private:
    // The window and the bare statements take turns, so all meet the same caches; one turn first
    // warms them. screen may be empty: the step has one bare statement only.
    Result measure(const std::function<void()> &program, const std::function<void()> &screen,
                   const std::function<void()> &scan, const std::function<void()> &between)
    {
        QList<double> programMs, screenMs, scanMs;
        for (int run = 0; run <= Runs; ++run) {
            between();
            programMs.append(timed(program));
            between();
            scanMs.append(timed(scan));
            if (screen)
                screenMs.append(timed(screen));
        }
        Result r;
        r.first = programMs.takeFirst();
        scanMs.removeFirst();
        r.program = median(programMs);
        r.scan = median(scanMs);
        if (screen) {
            screenMs.removeFirst();
            r.screen = median(screenMs);
        } else {
            r.screen = r.scan;
        }
        return r;
    }

    std::unique_ptr<TBkSearchFm> newWindow() const
    {
        auto fm = std::make_unique<TBkSearchFm>();
        fm->setWindowState(Qt::WindowNoState);
        fm->resize(1280, 800);
        fm->show();
        // grab() paints the window now, so the step includes fetching the rows on screen.
        (void)fm->grab();
        return fm;
    }

    Result openingList()
    {
        std::unique_ptr<TBkSearchFm> fm;
        const Sql bare = TBkSearchFm::bookList().openingQuery;
        const auto drop = [&] {
            if (fm)
                settle(*fm->grid);
            fm.reset();
        };
        const Result r = measure([&] { fm = newWindow(); }, {}, [&] { readAll(db_, bare); }, drop);
        fm = newWindow();
        printPlan(db_, "the window's first page", fm->grid->model()->query().page(0, GridModel::ChunkRows));
        printPlan(db_, "the bare statement", bare);
        return r;
    }

    // From the window's creation until the totals line over the whole table is in, which follows
    // the first screen; beside the one pass over the table it needs.
    Result totalsLine()
    {
        std::unique_ptr<TBkSearchFm> fm;
        const Sql bare("select count(编号), sum(数量), sum(数量*价格) from 图书");
        const Result r = measure(
            [&] {
                fm = newWindow();
                while (fm->Label2->text().isEmpty())
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            },
            {}, [&] { readAll(db_, bare); }, [&] { fm.reset(); });
        printPlan(db_, "the totals line", bare);
        fm = newWindow();
        settle(*fm->grid);
        std::printf("    totals line: %s\n", qPrintable(fm->Label2->text()));
        return r;
    }

    Result search(const QString &column, const QString &value, bool exact)
    {
        if (!window_)
            window_ = newWindow();
        TBkSearchFm &fm = *window_;
        const Sql condition = Sql::fixed(QStringLiteral(" where ") + column)
            + (exact ? Sql(" = ") + Sql::text(value) : Sql(" like ") + Sql::like(value));
        const Sql bare = Sql("select * from 图书") + condition;
        Sql screen = bare;
        screen.limit(ScreenRows);
        const Result r = measure(
            [&] {
                fm.ComboBox1->setCurrentText(column);
                fm.Edit1->setText(value);
                (exact ? fm.RadioButton1 : fm.RadioButton2)->setChecked(true);
                fm.toolButton(QStringLiteral("ToolButton8"))->click();
                (void)fm.grab();
            },
            exact ? std::function<void()>() : [&] { readAll(db_, screen); }, [&] { readAll(db_, bare); },
            [&] { settle(*fm.grid); });
        printPlan(db_, "the window's first page", fm.grid->model()->query().page(0, GridModel::ChunkRows));
        printPlan(db_, "the bare statement", bare);
        return r;
    }

    int countOf(const QString &titlePart)
    {
        db::Rows n = db_.select(Sql("select count(*) as n from 图书 where 名称 like ") + Sql::like(titlePart));
        return n.next() ? int(n.integer(QStringLiteral("n"))) : 0;
    }

    // The 编号 of a book half way down the table.
    QString middleNumber()
    {
        Sql statement = Sql("select 编号 from 图书 order by 编号");
        db::Rows rows = db_.select(statement + Sql(" ") + Sql::fixed(db_.driver().paged({}, {}, books_ / 2, 1)));
        return rows.next() ? rows.text(QStringLiteral("编号")) : QString();
    }

    db::Database &db_;
    qint64 books_ = 0;
    std::unique_ptr<TBkSearchFm> window_;
};

tools::GeneratorOptions libraryOf(int books)
{
    tools::GeneratorOptions options;
    options.books = books;
    options.periodicals = 100;
    options.readers = 100;
    options.loans = 0;
    options.income = 0;
    options.today = QDate(2025, 6, 16);
    return options;
}

// Fills the library on a connection of its own, so that the settings that speed up the filling
// are gone when the benchmark runs.
void generate(const db::ConnectionSpec &spec, int books)
{
    const double ms = timed([&] {
        db::Database filling(spec, db::kindOfEngine(spec.engine));
        tools::preferSpeedWhileFilling(filling);
        tools::Generator generator(filling, libraryOf(books));
        generator.setBatchRows(20000);
        generator.run();
        // The statistics autovacuum would gather on a table of that size (not a statement to prepare).
        if (spec.engine == db::Engine::PostgreSQL)
            QSqlQuery(filling.handle()).exec(QStringLiteral("analyze"));
    });
    std::printf("generated %d books in %.1f s\n", books, ms / 1000);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int books = args.size() > 1 && !args.at(1).startsWith(QLatin1String("--")) ? args.at(1).toInt() : 1000000;
    const auto option = [&args](const char *name) {
        const qsizetype at = args.indexOf(QString::fromLatin1(name));
        return at > 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    };
    Platform::install(std::make_unique<tools::QuietPlatform>());
    try {
        QTemporaryDir dir;
        std::unique_ptr<tools::ScratchPostgres> scratch;
        db::ConnectionSpec spec;
        const QString library = option("--library"), server = option("--postgresql");
        if (!library.isEmpty()) {
            spec = db::connectionSpecOf(library);
        } else {
            if (!server.isEmpty()) {
                scratch = std::make_unique<tools::ScratchPostgres>(server, QStringLiteral("lib_bench_catalogue"));
                spec = scratch->spec;
            } else {
                spec.engine = db::Engine::SQLite;
                spec.file = dir.filePath(QStringLiteral("book.db"));
            }
            tools::createDatabase(spec);
            generate(spec, books);
        }
        std::printf("%s\n", spec.engine == db::Engine::SQLite ? "SQLite" : "PostgreSQL");
        db::Database database(spec, db::kindOfEngine(spec.engine));
        Bench(database).run();
    } catch (const db::DbError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 1;
    }
    return 0;
}
