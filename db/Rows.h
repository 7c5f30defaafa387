#pragma once

#include "db/Money.h"
#include "db/Schema.h"

#include <QDate>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

namespace db {

class Driver;

// The rows of a select. Values are taken by column name (without regard to case), never by
// position, and converted from the engine's storage.
class Rows {
public:
    Rows(QSqlQuery query, const Driver &driver, QHash<QString, ColumnKind> declaredKinds = {});

    bool next() { return query_.next(); }
    bool first() { return query_.first(); }
    bool isValid() const { return query_.isValid(); }
    // Moves to the first row and tells whether there is one.
    bool any() { return query_.first() || query_.next(); }

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

    QSqlRecord record() const { return query_.record(); }
    QSqlQuery &query() { return query_; }
    const Driver &driver() const { return *driver_; }

private:
    int index(const QString &column) const;

    QSqlQuery query_;
    const Driver *driver_;
    QHash<QString, ColumnKind> declared_;
};

} // namespace db
