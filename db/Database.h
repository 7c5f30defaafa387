#pragma once

#include "db/ConnectionText.h"
#include "db/Driver.h"
#include "db/Rows.h"
#include "db/Sql.h"

#include <QList>
#include <QPair>
#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <memory>

namespace db {

// Column name and value of a row to insert or update; Money, QDate, bool, numbers and texts.
using Fields = QList<QPair<QString, QVariant>>;

// One open connection. Every statement goes through here: values bound, failures thrown as
// DbError with the database's text.
class Database {
public:
    // Opens the connection; throws DbError when it cannot be opened. `kind` is the DatabaseKind
    // whose delimiters the display texts use.
    Database(const ConnectionSpec &spec, const QString &kind);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const QString &kind() const { return kind_; }
    const Driver &driver() const { return *driver_; }
    Engine engine() const { return driver_->engine(); }
    const ConnectionSpec &spec() const { return spec_; }
    QSqlDatabase handle() const;
    QString connectionName() const { return name_; }

    // A select: the rows, positioned before the first.
    Rows select(const Sql &statement, bool forwardOnly = true);
    // A statement without rows; the number of rows it touched.
    int exec(const Sql &statement);
    // insert into table (columns) values (?, ...); with a returning column, its new value.
    QVariant insert(const QString &table, const Fields &fields, const QString &returning = {});
    // update table set column=?, ... + where; the number of rows touched.
    int update(const QString &table, const Fields &fields, const Sql &where);

    QString displayText(const Sql &statement) const { return statement.displayText(kind_); }
    // Table and column names of this database, for names a user may type.
    bool hasTable(const QString &table) const;
    bool hasColumn(const QString &table, const QString &column) const;
    bool isSchemaName(const QString &name) const;
    // The column that names one row of a table for good: its autonumber (id, ID) where it has
    // one, else the engine's stable row identity (Driver::rowIdColumn). Never changes when
    // another desk updates the row.
    QString rowIdentity(const QString &table) const;

    // Around a file copy of the embedded database.
    void close();
    void reopen();

    // A prepared, bound query for the statement (used by components that page a result).
    QSqlQuery prepare(const Sql &statement, bool forwardOnly = true);
    void run(QSqlQuery &query, const QString &what);

private:
    void open();
    void checkIdentifiers(const Sql &statement) const;
    const QSet<QString> &schemaNames() const;

    ConnectionSpec spec_;
    QString kind_;
    std::unique_ptr<Driver> driver_;
    QString name_;
    mutable QSet<QString> schemaNames_;
};

// The text of a failed query for the general error display.
QString errorText(const QSqlError &error, const QString &statement);

} // namespace db
