#pragma once

#include <QList>
#include <QString>
#include <QVariantHash>

namespace db {
class Database;
class Sql;
} // namespace db

// One row of a report: column name → value as the schema types it (db::Money, QDate, bool,
// qint64, double, QString; null is an invalid QVariant).
using ReportRow = QVariantHash;

// The rows of a select in the order the database returns them, each value typed by the kind the
// statement declares for its column (Sql::kind, for a sum under an alias) or else the schema's;
// columns named as the schema writes them (ISBN, also where PostgreSQL hands back "isbn").
QList<ReportRow> reportRows(db::Database &database, const db::Sql &statement);
