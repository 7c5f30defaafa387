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

// The rows of a select, typed through Rows::typed, in the order the database returns them.
QList<ReportRow> reportRows(db::Database &database, const db::Sql &statement);
