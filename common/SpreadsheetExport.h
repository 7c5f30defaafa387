#pragma once

#include "db/Schema.h"
#include "db/Sql.h"

#include <QHash>
#include <QString>
#include <functional>

namespace db {
class Database;
}

// Copies the rows of a statement into a new .xlsx workbook: row 1 the field names as the result
// names them (schema columns as the schema writes them), then one row per result row in result
// order, with cells typed by the statement's declared kinds and the schema, and fitted column
// widths. The workbook is streamed (libxlsxwriter's constant-memory mode), so a large list costs
// disk, not memory.
class SpreadsheetExport {
public:
    // Called every `progressInterval` rows with the number of rows written so far.
    using Progress = std::function<void(qint64 rows)>;
    static constexpr int progressInterval = 5000;

    SpreadsheetExport(db::Database &database, db::Sql statement);

    // The run of fields to export, by 0-based position; last < 0 means the last field.
    SpreadsheetExport &fields(int first, int last);
    // The cell kind of a column, over the one the statement declares (Sql::kind) or the schema's.
    SpreadsheetExport &columnKind(const QString &column, db::ColumnKind kind);
    SpreadsheetExport &onProgress(Progress progress);

    // Writes the workbook to `path` (replacing it) and returns the number of data rows.
    // Throws std::runtime_error for a failure of the writer or a file that cannot be written
    // ("无法写入文件 <path>: 没有权限"), db::DbError for one of the query; no half-written file
    // stays behind.
    qint64 writeTo(const QString &path);

    // Writes the workbook into a new folder under the temporary location and opens it in the
    // desktop's spreadsheet program as a new, unsaved document. Returns the file's path; empty
    // when no spreadsheet program is installed (the user is told, the file is removed again).
    QString openInSpreadsheet();

    // The spreadsheet programs tried in turn, each with the arguments it takes before the file.
    struct Program {
        QStringList candidates;
        QStringList arguments;
    };
    static QList<Program> spreadsheetPrograms();

private:
    qint64 write(const QString &path);

    db::Database &database_;
    db::Sql statement_;
    int first_ = 0;
    int last_ = -1;
    QHash<QString, db::ColumnKind> kinds_;
    Progress progress_;
};

// The shared export routine of the list windows: every field of the statement's rows (or the
// run first … last) into a new sheet shown in the spreadsheet program, with a progress dialog on
// long lists. Returns the path written, empty when no spreadsheet program was found.
QString ExportToSpreadsheet(db::Database &database, const db::Sql &statement, int firstField = 0, int lastField = -1,
                            const QHash<QString, db::ColumnKind> &columnKinds = {});
