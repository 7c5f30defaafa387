#pragma once

#include "db/ConnectionText.h"
#include "db/Driver.h"
#include "db/Rows.h"
#include "db/Sql.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace db {

// Column name and value of a row to insert or update; Money, QDate, bool, numbers and texts.
// A money column takes Money, a whole number, a floating value or an amount text ("12.5",
// "1,234.50") and stores that amount on every engine; anything else is refused (db/Amounts.h).
using Fields = QList<QPair<QString, QVariant>>;

// One open connection. Every statement goes through here: values bound, failures thrown as
// DbError with the database's text.
//
// The embedded SQLite file is opened in WAL mode with a busy timeout, and transactions begin
// IMMEDIATE: a second desk on the same machine waits for the first instead of failing with
// "database is locked". Desks on several machines share a server database, never a file on a
// network share.
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

    // A select: the rows, positioned before the first. A contains-search (Sql::like) ignores
    // letter case on every engine.
    Rows select(const Sql &statement, bool forwardOnly = true);
    // A statement without rows; the number of rows it touched.
    int exec(const Sql &statement);
    // insert into table (columns) values (?, ...); with a returning column, its new value.
    QVariant insert(const QString &table, const Fields &fields, const QString &returning = {});
    // update table set column=?, ... + where; the number of rows touched.
    int update(const QString &table, const Fields &fields, const Sql &where);

    // Edits or deletes exactly one row: the row whose rowIdentity(table) is rowId (as read
    // from a list), even after another desk changed it. When that would change no row (another
    // desk deleted it) or several, the change is undone and DbError says so in Chinese. Inside
    // a Transaction only this change is undone.
    void updateRow(const QString &table, const QVariant &rowId, const Fields &fields);
    void deleteRow(const QString &table, const QVariant &rowId);
    // The same for the one row a condition names (" where 读者编号=..."): where the program
    // treats a column as identifying without the database enforcing it.
    void updateOne(const QString &table, const Fields &fields, const Sql &where);
    void deleteOne(const QString &table, const Sql &where);

    // Whether a Transaction is open on this connection.
    bool inTransaction() const { return transactionDepth_ > 0; }

    QString displayText(const Sql &statement) const { return statement.displayText(kind_); }
    // Table and column names of this database, for names a user may type.
    bool hasTable(const QString &table) const;
    bool hasColumn(const QString &table, const QString &column) const;
    bool isSchemaName(const QString &name) const;
    // The column that names one row of a table for good: its autonumber (id, ID) where it has
    // one, else the engine's stable row identity (Driver::rowIdColumn). Never changes when
    // another desk updates the row.
    QString rowIdentity(const QString &table) const;

    // Writes a copy of the embedded database into `path` while the program runs: one read
    // snapshot, so the copy is whole and consistent however other desks write meanwhile. The copy
    // is made beside `path` and then takes its place, so an earlier backup there is replaced only
    // by a complete one (its stale -wal/-shm files go with it). Throws DbError with the reason:
    // a file it cannot write, the database's own file, a server database (its own tools back it
    // up), a transaction still open on this connection.
    void backupTo(const QString &path);

    // Around a file copy of the embedded database: close() first writes every change into the
    // file itself (the WAL checkpoint), so that the copy is whole.
    void close();
    void reopen();

    // Called with every statement before it runs (selects, writes, the grids' pages, inserts);
    // for a test that renders them in another engine's dialect. Empty: nothing is called.
    using StatementObserver = std::function<void(const Sql &statement)>;
    void setStatementObserver(StatementObserver observer) { observer_ = std::move(observer); }
    // The text a driver prepares for the statement: its dialect, "?" for every value, the row limit.
    static QString preparedText(const Sql &statement, const Driver &driver);

    // A prepared, bound query for the statement (used by components that page a result).
    QSqlQuery prepare(const Sql &statement, bool forwardOnly = true);
    void run(QSqlQuery &query, const QString &what);

private:
    friend class Transaction;
    friend class Savepoint;
    friend class PreparedInsert;

    void open();
    void checkIdentifiers(const Sql &statement) const;
    const QSet<QString> &schemaNames() const;
    Sql updateStatement(const QString &table, const Fields &fields) const;
    Sql identityCondition(const QString &table, const QVariant &rowId) const;
    void changeOne(const Sql &statement, const QString &verb);
    QSqlQuery &preparedStatement(const QString &text);

    // Transactions and savepoints (Transaction.h).
    void control(const QString &statement);
    void beginTransaction();
    void endReads() const;
    // Before anything runs on the connection, the server's catalogue reads of the schema lookups too.
    void beforeStatement() const;
    void commitTransaction();
    void rollbackTransaction() noexcept;

    ConnectionSpec spec_;
    QString kind_;
    std::unique_ptr<Driver> driver_;
    QString name_;
    mutable QSet<QString> schemaNames_;
    mutable QHash<QString, QString> identities_; // rowIdentity by lower-case table name
    mutable std::vector<std::weak_ptr<Rows::State>> reads_; // selects that may be unfinished (Rows)
    int transactionDepth_ = 0;
    bool spoiled_ = false; // a nested Transaction ended without commit
    int savepoints_ = 0; // open savepoints
    StatementObserver observer_;
    QHash<QString, QSqlQuery> prepared_; // inserts and savepoints, prepared once, by their text
};

// One insert of the same columns for many rows (an import): the statement is prepared once and a
// row only binds its values, converted as Database::insert converts them (money by its column).
class PreparedInsert {
public:
    PreparedInsert(Database &database, const QString &table, const QStringList &columns);
    // The values in the order of the columns; throws DbError with the database's text.
    void insert(const QVariantList &values);

private:
    Database &db_;
    QString table_;
    QStringList columns_;
    QString text_;
    QList<bool> money_; // by column: converted as an amount
};

// The text of a failed query for the general error display.
QString errorText(const QSqlError &error, const QString &statement);

} // namespace db
