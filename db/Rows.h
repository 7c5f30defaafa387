#pragma once

#include "db/Money.h"
#include "db/Schema.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <memory>

namespace db {

class Driver;

// The rows of a select. Values are taken by column name (without regard to case), never by
// position, and converted from the engine's storage.
//
// A select left unfinished (rows not yet read) must not change what the connection does next:
// on the embedded file it keeps a read snapshot, and a write transaction cannot begin once another
// desk has written past it; on PostgreSQL the next statement on the connection would cut it short.
// So at those moments (a Transaction beginning; on the servers any statement) the database takes
// the rest of every unfinished select of the connection into memory (buffer()) and ends it, and
// the Rows read on from memory. "Find the reader, then lend" works however many desks write, and
// a loop that runs a statement per row sees every row on every engine.
class Rows {
public:
    Rows(QSqlQuery query, const Driver &driver, QHash<QString, ColumnKind> declaredKinds = {});

    bool next();
    bool first();
    bool isValid() const;
    // Moves to the first row and tells whether there is one.
    bool any() { return first() || next(); }

    QVariant value(const QString &column) const;
    QString text(const QString &column) const;
    qint64 integer(const QString &column) const;
    double floating(const QString &column) const;
    Money money(const QString &column) const;
    QDate date(const QString &column) const;
    bool yes(const QString &column) const;
    bool isNull(const QString &column) const;

    // The kind of the column at a position: as the statement declared it (Sql::kind), else the
    // schema's kind of that name.
    ColumnKind kindOf(int index) const;
    // The value at a position as its kind says (by default kindOf(index)): Money, QDate, bool, qint64, double or QString; null stays an invalid QVariant.
    QVariant typed(int index) const;
    QVariant typed(int index, ColumnKind kind) const;

    // The current row's record (the column names before the first row).
    QSqlRecord record() const;
    // The query itself, for reading a result straight through (grids, exports); once buffered it
    // is finished and only the Rows' own accessors read on.
    QSqlQuery &query() { return d_->query; }
    const Driver &driver() const { return *driver_; }

    // Takes the rows not yet read into memory and ends the statement (see above).
    void buffer();
    // Whether the statement still runs: rows are left to read and none were buffered.
    bool isUnfinished() const;

private:
    struct State {
        QSqlQuery query;
        bool buffered = false;
        QSqlRecord columns;        // names, without values
        QList<QSqlRecord> rows;    // buffered rows
        qsizetype at = -1;         // position in rows
    };
    friend class Database;
    std::weak_ptr<State> state() const { return d_; }
    static bool isUnfinished(const State &s);
    static void buffer(State &s);

    int index(const QString &column) const;
    const QSqlRecord &columns() const;
    QVariant raw(int index) const;

    std::shared_ptr<State> d_;
    const Driver *driver_;
    QHash<QString, ColumnKind> declared_;
};

} // namespace db
