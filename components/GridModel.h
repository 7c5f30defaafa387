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

// A read-only table over a GridQuery that holds only the rows around what is being looked at:
// the row count comes from count(*), rows are fetched in chunks as the view asks for them, by
// keyset where the grid carries a row identity and the previous chunk is at hand, otherwise by
// offset. Every reset (sort, filter, refresh) drops the chunks.
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

    // Takes the query and columns (model columns in this order) and runs it; throws db::DbError.
    void open(db::Database &db, const GridQuery &query, const QList<Column> &columns, const QStringList &sumColumns);
    // Re-runs the count, the sums and drops every fetched row; throws db::DbError.
    void reload();
    void close();
    bool isOpen() const { return db_ != nullptr; }

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
    // The sum of a sum column over the grid's rows (typed by the column's kind).
    QVariant sum(const QString &field) const;

    static QString displayText(const QVariant &typed, db::ColumnKind kind);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Chunk {
        QList<QVariantList> rows; // typed values by model column
        QVariantList rowIds;      // raw
        GridQuery::Position last; // raw, for the next chunk by keyset
    };

    const Chunk &chunk(int index) const;
    Chunk fetch(int index) const;
    void readTotals();

    db::Database *db_ = nullptr;
    GridQuery query_;
    QList<Column> columns_;
    QStringList sumColumns_;
    QHash<QString, QVariant> sums_;
    int rows_ = 0;
    mutable QHash<int, Chunk> chunks_;
    mutable QList<int> recent_; // chunk numbers, most recent last
};
