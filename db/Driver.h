#pragma once

#include "db/ConnectionText.h"
#include "db/Money.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <memory>

namespace db {

// What differs between the engines: driver name, connection options, row limits, storage of
// money, dates and truth values, row identity. One subclass per engine; windows never ask which
// engine they run on.
class Driver {
public:
    virtual ~Driver() = default;
    static std::unique_ptr<Driver> forEngine(Engine engine);

    virtual Engine engine() const = 0;
    virtual QString qtDriverName() const = 0;
    virtual void configure(QSqlDatabase &db, const ConnectionSpec &spec) const = 0;
    // The prepared text with a row limit.
    virtual QString withLimit(const QString &statement, int rows) const = 0;
    // The prepared text with the top n of a ranking (Sql::rankingTop): n rows unless the engine
    // ranks by share.
    virtual QString withRankingTop(const QString &statement, int n) const { return withLimit(statement, n); }
    // The stable identity of a row of a table without an autonumber, usable in
    // "where rowid = ?": SQLite's own rowid; on the servers a hidden autonumber column "rowid"
    // that the schema gives those tables (ctid and %%physloc%% move when a row is updated).
    QString rowIdColumn() const { return QStringLiteral("rowid"); }
    // An insert that hands back the new row's autonumber column.
    virtual QString insertReturning(const QString &insert, const QString &column) const = 0;
    virtual bool returnsInsertedId() const { return true; }

    // The operator of a contains-search that ignores letter case, as it does on SQLite (ASCII)
    // and Access: "like", "ilike" on PostgreSQL.
    virtual QString likeOperator() const { return QStringLiteral("like"); }

    // What an unfinished select (rows left to read) does to its connection, see Rows.
    enum class UnfinishedReads {
        Harmless,
        BlockWrites,        // SQLite: its read snapshot can keep a write transaction from beginning
        EndAtNextStatement, // PostgreSQL, SQL Server: the next statement on the connection cuts it short
    };
    virtual UnfinishedReads unfinishedReads() const { return UnfinishedReads::Harmless; }

    // Transactions. The statement that begins one, or empty for the Qt driver's own way.
    virtual QString beginStatement() const { return {}; }
    virtual QString savepoint(const QString &name) const { return QStringLiteral("savepoint ") + name; }
    // Empty where the engine has nothing to release.
    virtual QString releaseSavepoint(const QString &name) const { return QStringLiteral("release savepoint ") + name; }
    virtual QString rollbackToSavepoint(const QString &name) const { return QStringLiteral("rollback to savepoint ") + name; }

    // The statement that writes a consistent copy of the whole database into the file bound to
    // its one value, while other connections go on writing; empty where the engine's own server
    // tools make the backups.
    virtual QString backupStatement() const { return {}; }

    // A bound value as the engine stores it (money needs this; other values pass).
    virtual QVariant toStorage(const QVariant &value) const;
    virtual Money moneyFromStorage(const QVariant &stored) const;
    QDate dateFromStorage(const QVariant &stored) const;
    bool yesFromStorage(const QVariant &stored) const;

    // Nesting, ordering and paging a window's query (the data grid).
    // A column name as a quoted identifier: "name" (a quote inside doubled).
    virtual QString quoteIdentifier(const QString &name) const;
    // One ORDER BY term; nulls sort as the lowest value on every engine.
    virtual QString orderTerm(const QString &expression, bool descending) const;
    // A statement given its ORDER BY list (may be empty) and a page of rows from offset.
    virtual QString paged(const QString &statement, const QString &orderBy, qint64 offset, int rows) const;
    // An expression as text, for a contains-search over any column.
    virtual QString castToText(const QString &expression) const;
    // A money column as its amount with four decimals ("25.5000"), for a contains-search.
    virtual QString amountAsText(const QString &expression) const { return castToText(expression); }
    // Whether "(a, b) > (?, ?)" compares row values: an index on (a, b) seeks on it.
    virtual bool comparesRowValues() const { return true; }
};

class SqliteDriver : public Driver {
public:
    Engine engine() const override { return Engine::SQLite; }
    QString qtDriverName() const override { return QStringLiteral("QSQLITE"); }
    void configure(QSqlDatabase &db, const ConnectionSpec &spec) const override;
    QString withLimit(const QString &statement, int rows) const override;
    QString insertReturning(const QString &insert, const QString &column) const override;
    QString beginStatement() const override;
    QString backupStatement() const override { return QStringLiteral("vacuum into ?"); }
    UnfinishedReads unfinishedReads() const override { return UnfinishedReads::BlockWrites; }
    QVariant toStorage(const QVariant &value) const override;
    Money moneyFromStorage(const QVariant &stored) const override;
    QString amountAsText(const QString &expression) const override;
};

class PgsqlDriver : public Driver {
public:
    Engine engine() const override { return Engine::PostgreSQL; }
    QString qtDriverName() const override { return QStringLiteral("QPSQL"); }
    void configure(QSqlDatabase &db, const ConnectionSpec &spec) const override;
    QString withLimit(const QString &statement, int rows) const override;
    QString insertReturning(const QString &insert, const QString &column) const override;
    QString orderTerm(const QString &expression, bool descending) const override;
    QString likeOperator() const override { return QStringLiteral("ilike"); }
    // Forward-only results come row by row (libpq's single-row mode).
    UnfinishedReads unfinishedReads() const override { return UnfinishedReads::EndAtNextStatement; }
};

class MssqlDriver : public Driver {
public:
    Engine engine() const override { return Engine::SqlServer; }
    QString qtDriverName() const override { return QStringLiteral("QODBC"); }
    void configure(QSqlDatabase &db, const ConnectionSpec &spec) const override;
    QString withLimit(const QString &statement, int rows) const override;
    QString withRankingTop(const QString &statement, int n) const override;
    QString insertReturning(const QString &insert, const QString &column) const override;
    QString quoteIdentifier(const QString &name) const override;
    QString paged(const QString &statement, const QString &orderBy, qint64 offset, int rows) const override;
    QString castToText(const QString &expression) const override;
    // One active statement per connection (no MARS over FreeTDS).
    UnfinishedReads unfinishedReads() const override { return UnfinishedReads::EndAtNextStatement; }
    QString savepoint(const QString &name) const override { return QStringLiteral("save transaction ") + name; }
    QString releaseSavepoint(const QString &) const override { return {}; }
    QString rollbackToSavepoint(const QString &name) const override { return QStringLiteral("rollback transaction ") + name; }
    bool comparesRowValues() const override { return false; }
};

} // namespace db
