#pragma once

#include "db/Driver.h"
#include "db/Sql.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

// The statements of a data grid over a window's query: the query nested as a derived table,
// the grid's value filters as bound conditions, its order, pages of rows, the count and the
// footer sums. Everything is computed by the database; nothing here holds rows.
class GridQuery {
public:
    // The alias of the derived table and of the carried row identity.
    static const QString Alias;
    static const QString RowIdAlias;
    static const QString CountAlias;

    // Where a row stands in the grid's order: its sort value and row identity as the engine
    // returned them (unconverted, so they bind back exactly).
    struct Position {
        QVariant sortValue;
        QVariant rowId;
    };

    GridQuery() = default;
    // select: the window's query without order by. keyTable: the table whose row identity is
    // carried along (empty for none); identity: its identity column (Database::rowIdentity),
    // empty for the engine's rowid.
    GridQuery(const db::Driver &driver, const db::Sql &select, const QString &keyTable, const QString &identity = {});

    // The data columns, named as the engine reports them; set once after the first run.
    void setColumns(const QStringList &columns) { columns_ = columns; }
    const QStringList &columns() const { return columns_; }
    // The column's name as the engine reports it (without regard to case); empty if none.
    QString column(const QString &field) const;
    bool hasRowId() const { return hasRowId_; }

    void setSort(const QString &column, bool descending);
    const QString &sortColumn() const { return sortColumn_; }
    bool sortDescending() const { return descending_; }

    void setFilter(const QString &column, const QVariantList &values) { filters_.insert(column, values); }
    void clearFilter(const QString &column) { filters_.remove(column); }
    void clearFilters() { filters_.clear(); }
    bool hasFilter(const QString &column) const { return filters_.contains(column); }
    QVariantList filter(const QString &column) const { return filters_.value(column); }

    // No rows: only the column names of the result.
    db::Sql shape() const;
    // count(*) as CountAlias plus sum(column) as sumAlias(column) for each column given.
    db::Sql totals(const QStringList &sumColumns) const;
    static QString sumAlias(int index) { return QStringLiteral("lb_sum_%1").arg(index); }
    // Whether the grid's order is fixed enough to be read from its end (a sort or a row identity).
    bool canReverse() const { return hasRowId_ || !sortColumn_.isEmpty(); }
    // rows [offset, offset + rows) in the grid's order, or counted from its end in the reversed
    // order (descending is exactly ascending reversed, so either end is a seek on an index).
    db::Sql page(qint64 offset, int rows, bool reversed = false) const;
    // The rows that follow `last` in the grid's order (or in the reversed order): keyset paging,
    // needs the row identity. Statements to run in turn until `rows` rows are read: first the
    // rows whose sort value is null (or not) as last's is, then the others.
    QList<db::Sql> pagesAfter(const Position &last, int rows, bool reversed = false) const;
    // How many rows come before `position` in the grid's order.
    db::Sql countBefore(const Position &position) const;
    // The sort value of the row with this identity (the row may have moved after an edit).
    db::Sql sortValueOf(const QVariant &rowId) const;
    // The distinct values of a column under the other columns' filters, optionally only those
    // whose text contains `search`.
    // `search` is matched against the values as shown: an amount as its decimals (`kind`).
    db::Sql distinct(const QString &column, int limit, const QString &search = {},
                     db::ColumnKind kind = db::ColumnKind::Text) const;
    // Exactly the grid's rows, every data column, in the grid's order.
    db::Sql result() const;

private:
    QString ref(const QString &column) const;
    QString selectList(bool withRowId) const;
    db::Sql from(const QString &selectList) const;
    db::Sql where(const QString &skipFilter, const db::Sql &extra) const;
    db::Sql filterCondition(const QString &column, const QVariantList &values) const;
    QString rowIdRef() const;
    QList<db::Sql> beyond(const Position &position, bool upward) const;
    db::Sql valuesBeyond(const Position &position, bool upward) const;
    QString orderBy(bool reversed) const;

    const db::Driver *driver_ = nullptr;
    db::Sql inner_;
    bool hasRowId_ = false;
    QStringList columns_;
    QString sortColumn_;
    bool descending_ = false;
    QMap<QString, QVariantList> filters_;
};

// The statement with its row limit written into the text, so that it can be nested.
db::Sql nestableStatement(const db::Sql &select, const db::Driver &driver);
// The statement with the key table's row identity as its first column.
db::Sql withRowIdentity(const db::Sql &select, const QString &keyTable, const QString &identity);
