#pragma once

#include "db/ConnectionText.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace db {
class Database;
}

namespace tools {

struct CsvImportReport {
    QList<QPair<QString, qint64>> tables; // the loaded tables with their rows, in load order
    QStringList warnings;                 // skipped files, two-digit years
};

// Loads an old library that mdbtools exported table by table (mdb-export book.mdb 图书 > 图书.csv):
// a header line of column names, comma separated, texts in double quotes ("" for a quote),
// dates as MM/DD/YY HH:MM:SS, MM/DD/YYYY or yyyy-mm-dd, yes/no as 1/0, money as decimal text.
// Every FOLDER/<table>.csv of the eighteen tables replaces that table's rows; columns are matched
// by name without regard to case and converted by their kind; autonumber ids are kept.
class CsvImport {
public:
    explicit CsvImport(db::Database &database);

    // The table files of a folder, in the order they load; throws db::DbError when there are none.
    static QStringList tableFiles(const QString &folder, QStringList *skipped = nullptr);

    // All files in one transaction. Throws db::DbError naming the file, the line and the reason
    // of the first bad row or unknown column; the database is then as it was before.
    CsvImportReport load(const QString &folder);

private:
    db::Database &db_;
};

// Creates the library database of spec (as book-createdb does) and loads the folder into it.
// On any failure nothing of the new database is left: the SQLite file is removed, the tables made
// on a server are dropped again.
CsvImportReport createFromCsv(const QString &folder, const db::ConnectionSpec &spec);

} // namespace tools
