// book-createdb: makes a new library database with its tables and required rows.
#include "db/ConnectionText.h"
#include "db/DbError.h"
#include "tools/CsvImport.h"
#include "tools/DatabaseCreator.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

// An old library exported with mdb-export, one FOLDER/<table>.csv per table.
static int importCsv(const QString &folder, const QString &target, QTextStream &out)
{
    const tools::CsvImportReport report = tools::createFromCsv(folder, db::connectionSpecOf(target));
    for (const QString &warning : report.warnings)
        out << "warning: " << warning << "\n";
    for (const auto &[table, rows] : report.tables)
        out << table << ": " << rows << "\n";
    out << "created " << target << "\n";
    return 0;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--print-schema")) {
        const QString engine = args[1];
        const db::Engine e = engine == QLatin1String("postgresql") ? db::Engine::PostgreSQL
            : engine == QLatin1String("mssql")                    ? db::Engine::SqlServer
                                                                  : db::Engine::SQLite;
        for (const QString &s : tools::schemaStatements(e))
            out << s << ";\n\n";
        return 0;
    }
    if (args.size() == 3 && args[0] == QLatin1String("--import-csv")) {
        try {
            return importCsv(args[1], args[2], out);
        } catch (const db::DbError &e) {
            err << "book-createdb: " << e.text() << "\n";
            return 1;
        }
    }
    if (args.size() != 1 || args[0].startsWith(QLatin1String("-"))) {
        err << "usage: book-createdb FILE.db\n"
               "       book-createdb \"Provider=PostgreSQL;Password=..;User ID=..;Initial Catalog=..;Data Source=host[:port]\"\n"
               "       book-createdb \"Provider=SQLOLEDB.1;Password=..;User ID=..;Initial Catalog=..;Data Source=server\"\n"
               "       book-createdb --import-csv FOLDER TARGET   (FOLDER holds <table>.csv files made by mdb-export)\n"
               "       book-createdb --print-schema sqlite|postgresql|mssql\n";
        return 2;
    }
    try {
        const QString target = args[0];
        tools::createDatabase(db::connectionSpecOf(target));
        out << "created " << target << "\n";
        return 0;
    } catch (const db::DbError &e) {
        err << "book-createdb: " << e.text() << "\n";
        return 1;
    }
}
