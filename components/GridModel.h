#pragma once

#include "components/GridQuery.h"
#include "db/Schema.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QVariant>

namespace db {
class Database;
}

// A read-only table over a GridQuery that holds only the rows around what is being looked at.
// Rows are fetched in chunks as the view asks for them: by keyset from a neighbouring chunk where
// the grid carries a row identity, otherwise by offset from the nearer end of the order.
// The first chunk is read at once; the row count and the footer sums (count(*) and sum() over
// every row) follow when ensureTotals() is called (the grid does so after its first screen), so
// the first screen does not wait for them. Until then rowCount() is the rows read so far. Every
// reset (sort, filter, refresh) drops the chunks; only a change of the rows themselves (filter,
// refresh) counts and sums again.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;   // as the engine names it in the result
        QString caption;
        db::ColumnKind kind = db::ColumnKind::Text;
    };

    // Rows per fetch: a few screens, so scrolling by a page rarely waits on the database.
    static constexpr int ChunkRows = 200;
    static constexpr int CachedChunks = 64;

    explicit GridModel(QObject *parent = nullptr);

    // Takes the query and columns (model columns in this order) and reads the first chunk;
    // throws db::DbError.
    void open(db::Database &db, const GridQuery &query, const QList<Column> &columns, const QStringList &sumColumns);
    // Drops every fetched row and reads the first chunk again; the count and sums follow.
    void reload();
    // The same rows in a new order (query().setSort()): the count and sums stay.
    void reorder();
    void close();
    bool isOpen() const { return db_ != nullptr; }

    // Whether the row count and the sums are known (otherwise they are on their way).
    bool totalsKnown() const { return !totalsPending_; }
    // Counts and sums now if that is still to come; throws db::DbError.
    void ensureTotals();
    // The number of rows, counted now if need be.
    int totalRows();

    GridQuery &query() { return query_; }
    const GridQuery &query() const { return query_; }
    const QList<Column> &modelColumns() const { return columns_; }
    int columnOf(const QString &field) const;

    // The typed value (Money, QDate, bool, qint64, double, QString; null as invalid).
    QVariant value(int row, int column) const;
    // The engine's row identity of the row (invalid without a key table).
    QVariant rowId(int row) const;
    // Where the row with this identity now stands, or -1.
    int rowOf(const QVariant &rowId);
    // The sum of a sum column over the grid's rows (typed by the column's kind); invalid until
    // the totals are known.
    QVariant sum(const QString &field) const;

    static QString displayText(const QVariant &typed, db::ColumnKind kind);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // The row count and the sums are known.
    void totalsChanged();

private:
    struct Chunk {
        QList<QVariantList> rows;  // typed values by model column
        QVariantList rowIds;       // raw
        GridQuery::Position first; // raw, for the chunk before by keyset
        GridQuery::Position last;  // raw, for the chunk after by keyset
    };

    void restart(bool recount);
    void setRows(int rows);
    const Chunk &chunk(int index) const;
    const Chunk *fetched(int index) const;
    Chunk fetch(int index) const;
    Chunk read(const QList<db::Sql> &statements, int rows, bool reversed) const;
    void remember(int index, Chunk chunk) const;

    db::Database *db_ = nullptr;
    GridQuery query_;
    QList<Column> columns_;
    QStringList sumColumns_;
    QHash<QString, QVariant> sums_;
    int rows_ = 0;
    bool totalsPending_ = false;
    mutable QHash<int, Chunk> chunks_;
    mutable QList<int> recent_; // chunk numbers, most recent last
};
