// How the reader management list holds up on a big register: a library of 100,000 readers made by
// the generator, and beside each thing the window does, the bare statements that do the same
// work, timed in the same run:
//   opening: count(*) and the rows of one screen (bare) | the data grid alone | 读者管理 itself
//   a contains-search by name (模糊, 读者姓名): the same count and screen under the like (bare) | the window
//   bench_readers [readers] [runs]
// The embedded file by default; with LIBRARY_TEST_PG="host=.. port=.. user=.." also PostgreSQL
// (a database bench_readers of that server, made afresh).
#include "app/Session.h"
#include "common/Platform.h"
#include "components/DataGrid.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "readers/RdSearchUt.h"
#include "tools/DatabaseCreator.h"
#include "tools/Generator.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// Rows on one screen of the list.
constexpr int ScreenRows = 40;
const QString NamePart = QStringLiteral("明");

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// The median time of `runs` runs of a step, in milliseconds, after one run that warms the caches.
double timed(int runs, const std::function<void()> &step)
{
    step();
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        step();
        times.append(double(clock.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

// What a first screen needs at the least: how many rows, and the rows shown.
void bareScreen(db::Database &database, const db::Sql &where)
{
    db::Rows n = database.select(db::Sql("select count(*) as n from 读者库") + where);
    n.next();
    db::Rows rows = database.select((db::Sql("select * from 读者库") + where).limit(ScreenRows));
    while (rows.next())
        (void)rows.text(QStringLiteral("读者编号"));
}

void report(const char *what, double bare, double program)
{
    std::printf("%-44s bare %8.1f ms   program %8.1f ms   ratio %5.2f\n", what, bare, program, program / bare);
}

void bench(db::Database &database, int runs)
{
    Session &session = Session::instance();
    session.database = &database;
    session.DatabaseKind = database.kind();
    session.setAll(true);

    const db::Sql everyone;
    const db::Sql byName = db::Sql(" where 读者姓名 like ") + db::Sql::like(NamePart);
    const double bareOpen = timed(runs, [&] { bareScreen(database, everyone); });
    const double bareSearch = timed(runs, [&] { bareScreen(database, byName); });

    // The grid alone, as its own benchmark opens it.
    const double gridOpen = timed(runs, [&] {
        DataGrid grid;
        grid.resize(1280, 800);
        grid.setColumns({{.field = QStringLiteral("读者编号"), .footer = GridColumn::Footer::Count}});
        grid.show();
        grid.open(database, db::Sql("select * from 读者库"), QStringLiteral("读者库"));
        (void)grid.grab();
    });
    // grab() paints the window now, so each step includes fetching the rows on screen.
    const double windowOpen = timed(runs, [&] {
        TRdSearchFm fm;
        fm.resize(1280, 800);
        fm.show();
        (void)fm.grab();
    });
    TRdSearchFm fm;
    fm.resize(1280, 800);
    fm.show();
    (void)fm.grab();
    const double windowSearch = timed(runs, [&] {
        fm.ComboBox1->setCurrentText(QStringLiteral("读者姓名"));
        fm.Edit1->setText(NamePart);
        fm.RadioButton2->setChecked(true);
        fm.toolButton(QStringLiteral("ToolButton8"))->click();
        (void)fm.grab();
    });

    std::printf("readers listed %d; with %s in the name %d\n", [&] {
        fm.toolButton(QStringLiteral("ToolButton5"))->click();
        return fm.grid->rowCount();
    }(), qPrintable(NamePart), [&] {
        fm.toolButton(QStringLiteral("ToolButton4"))->click();
        fm.ComboBox1->setCurrentText(QStringLiteral("读者姓名"));
        fm.Edit1->setText(NamePart);
        fm.toolButton(QStringLiteral("ToolButton8"))->click();
        return fm.grid->rowCount();
    }());
    report("open: first screen, grid alone", bareOpen, gridOpen);
    report("open: first screen, 读者管理", bareOpen, windowOpen);
    report("模糊 读者姓名 (first screen)", bareSearch, windowSearch);
    std::printf("读者管理 over the grid alone: %.2f\n", windowOpen / gridOpen);
    session.database = nullptr;
}

void fill(db::Database &database, int readers)
{
    tools::GeneratorOptions options;
    options.books = 100;
    options.periodicals = 10;
    options.readers = readers;
    options.loans = 0;
    options.income = 0;
    options.today = QDate(2025, 6, 16);
    QElapsedTimer clock;
    clock.start();
    tools::Generator(database, options).run();
    std::printf("generated %d readers in %.1f s\n", readers, double(clock.elapsed()) / 1000);
}

QString pgSetting(const QString &all, const QString &key)
{
    for (const QString &part : all.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (part.startsWith(key + QLatin1Char('=')))
            return part.mid(key.size() + 1);
    return {};
}

// A fresh database bench_readers on the server that LIBRARY_TEST_PG names.
db::ConnectionSpec freshPostgres(const QString &settings)
{
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("bench-admin"));
        admin.setHostName(pgSetting(settings, QStringLiteral("host")));
        admin.setPort(pgSetting(settings, QStringLiteral("port")).toInt());
        admin.setUserName(pgSetting(settings, QStringLiteral("user")));
        admin.setDatabaseName(QStringLiteral("postgres"));
        if (!admin.open())
            throw db::DbError(admin.lastError().text());
        QSqlQuery q(admin);
        for (const char *statement : {"drop database if exists bench_readers with (force)",
                                      "create database bench_readers encoding 'UTF8' template template0"})
            if (!q.exec(QString::fromLatin1(statement)))
                throw db::DbError(q.lastError().text());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-admin"));
    db::ConnectionSpec spec;
    spec.engine = db::Engine::PostgreSQL;
    spec.host = pgSetting(settings, QStringLiteral("host"));
    spec.port = pgSetting(settings, QStringLiteral("port")).toInt();
    spec.user = pgSetting(settings, QStringLiteral("user"));
    spec.database = QStringLiteral("bench_readers");
    return spec;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int readers = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    const int runs = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 5;
    try {
        QTemporaryDir dir;
        db::ConnectionSpec spec;
        spec.engine = db::Engine::SQLite;
        spec.file = dir.filePath(QStringLiteral("book.db"));
        tools::createDatabase(spec);
        {
            db::Database database(spec, QStringLiteral("a"));
            std::printf("== SQLite\n");
            fill(database, readers);
            bench(database, runs);
        }
        const QString pg = qEnvironmentVariable("LIBRARY_TEST_PG");
        if (!pg.isEmpty()) {
            const db::ConnectionSpec server = freshPostgres(pg);
            tools::createDatabase(server);
            db::Database database(server, QStringLiteral("p"));
            std::printf("== PostgreSQL\n");
            fill(database, readers);
            bench(database, runs);
        }
    } catch (const db::DbError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 1;
    }
    return 0;
}
