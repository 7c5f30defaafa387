// book-generate: fills a new library database with a large, consistent library for benchmarks.
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "tools/CommandLine.h"
#include "tools/DatabaseCreator.h"
#include "tools/Generator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTextStream>
#include <optional>

namespace {

const char usage[] =
    "usage: book-generate [--books N] [--periodicals N] [--readers N] [--loans N] [--income N] [--seed S] TARGET\n"
    "  TARGET: a .db file (created when missing) or \"Provider=PostgreSQL;Password=..;User ID=..;Initial Catalog=..;Data Source=host[:port]\"\n";

struct Arguments {
    tools::GeneratorOptions options;
    QString target;
};

std::optional<Arguments> parseArguments(const QStringList &args)
{
    Arguments parsed;
    tools::CommandLine line;
    line.number(QStringLiteral("--books"), &parsed.options.books);
    line.number(QStringLiteral("--periodicals"), &parsed.options.periodicals);
    line.number(QStringLiteral("--readers"), &parsed.options.readers);
    line.number(QStringLiteral("--loans"), &parsed.options.loans);
    line.number(QStringLiteral("--income"), &parsed.options.income);
    line.number(QStringLiteral("--seed"), &parsed.options.seed);
    if (!line.parse(args, &parsed.target))
        return std::nullopt;
    return parsed;
}

// A missing file, or a server database without our tables, gets the schema first.
void createWhenMissing(const db::ConnectionSpec &spec, QTextStream &out)
{
    if (spec.engine == db::Engine::SQLite) {
        if (QFileInfo::exists(spec.file))
            return;
    } else {
        db::Database probe(spec, QString());
        if (probe.hasTable(QStringLiteral("admin")))
            return;
    }
    tools::createDatabase(spec);
    out << "created the library database\n";
    out.flush();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const auto args = parseArguments(app.arguments().mid(1));
    if (!args) {
        err << usage;
        return 2;
    }
    try {
        QElapsedTimer total;
        total.start();
        const db::ConnectionSpec spec = db::connectionSpecOf(args->target);
        createWhenMissing(spec, out);
        db::Database database(spec, db::kindOfEngine(spec.engine));
        // The file is throw-away until the generator has finished.
        tools::preferSpeedWhileFilling(database);
        tools::Generator generator(database, args->options);
        // Fewer commits: every commit writes out the index pages the batch touched.
        generator.setBatchRows(20000);
        QElapsedTimer tableTimer;
        QString current;
        generator.setProgress([&](const QString &table, qint64 done, qint64 all) {
            if (table != current) {
                current = table;
                tableTimer.start();
            }
            out << QStringLiteral("\r%1 %2/%3").arg(table).arg(done).arg(all);
            if (done == all)
                out << QStringLiteral("  %1 s\n").arg(tableTimer.elapsed() / 1000.0, 0, 'f', 1);
            out.flush();
        });
        generator.run();
        out << QStringLiteral("done in %1 s\n").arg(total.elapsed() / 1000.0, 0, 'f', 1);
        return 0;
    } catch (const db::DbError &e) {
        err << "\nbook-generate: " << e.text() << "\n";
        return 1;
    }
}
