#include "components/GridModel.h"

#include "common/ErrorDisplay.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Money.h"

#include <QApplication>
#include <QDate>
#include <QSqlRecord>
#include <QStyle>
#include <QTimer>
#include <algorithm>

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent) {}

void GridModel::open(db::Database &db, const GridQuery &query, const QList<Column> &columns,
                     const QStringList &sumColumns)
{
    db_ = &db;
    query_ = query;
    columns_ = columns;
    sumColumns_ = sumColumns;
    restart(true);
}

void GridModel::reload()
{
    if (db_)
        restart(true);
}

void GridModel::reorder()
{
    if (db_)
        restart(false);
}

// Reads the first chunk at once: a query the database refuses fails here, in front of the
// caller, and a result of less than a chunk is counted by it.
void GridModel::restart(bool recount)
{
    beginResetModel();
    chunks_.clear();
    recent_.clear();
    if (recount) {
        sums_.clear();
        totalsPending_ = true;
        rows_ = ChunkRows;
    }
    try {
        Chunk first = fetch(0);
        if (recount) {
            rows_ = int(first.rows.size());
            totalsPending_ = rows_ == ChunkRows || !sumColumns_.isEmpty();
        }
        remember(0, std::move(first));
    } catch (...) {
        rows_ = 0;
        totalsPending_ = false;
        sums_.clear();
        endResetModel();
        throw;
    }
    endResetModel();
}

void GridModel::close()
{
    beginResetModel();
    db_ = nullptr;
    query_ = {};
    columns_.clear();
    sumColumns_.clear();
    sums_.clear();
    chunks_.clear();
    recent_.clear();
    rows_ = 0;
    totalsPending_ = false;
    endResetModel();
}

int GridModel::columnOf(const QString &field) const
{
    for (qsizetype i = 0; i < columns_.size(); ++i)
        if (columns_.at(i).field.compare(field, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

// The count and every footer sum in one pass of the database over the grid's rows.
void GridModel::ensureTotals()
{
    if (!db_ || !totalsPending_)
        return;
    db::Rows rows = db_->select(query_.totals(sumColumns_));
    QHash<QString, QVariant> sums;
    qint64 count = 0;
    if (rows.next()) {
        count = rows.integer(GridQuery::CountAlias);
        const QSqlRecord record = rows.record();
        for (qsizetype i = 0; i < sumColumns_.size(); ++i) {
            const int column = columnOf(sumColumns_.at(i));
            const db::ColumnKind kind = column >= 0 ? columns_.at(column).kind : db::ColumnKind::Floating;
            sums.insert(sumColumns_.at(i), rows.typed(record.indexOf(GridQuery::sumAlias(int(i))), kind));
        }
    }
    sums_ = sums;
    totalsPending_ = false;
    setRows(int(qMin<qint64>(count, std::numeric_limits<int>::max())));
    emit totalsChanged();
}

int GridModel::totalRows()
{
    ensureTotals();
    return rows_;
}

// From the rows read so far to the rows counted: the rows past the first chunk arrive.
void GridModel::setRows(int rows)
{
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
}

const GridModel::Chunk *GridModel::fetched(int index) const
{
    const auto found = chunks_.constFind(index);
    return found != chunks_.constEnd() && !found->rows.isEmpty() ? &*found : nullptr;
}

// A neighbour at hand gives the chunk by keyset; otherwise the offset is counted from the nearer
// end of the order, so the last rows are as near as the first.
GridModel::Chunk GridModel::fetch(int index) const
{
    if (query_.hasRowId()) {
        if (const Chunk *before = fetched(index - 1))
            return read(query_.pagesAfter(before->last, ChunkRows), ChunkRows, false);
        if (const Chunk *after = fetched(index + 1))
            return read(query_.pagesAfter(after->first, ChunkRows, true), ChunkRows, true);
    }
    const qint64 start = qint64(index) * ChunkRows;
    if (!totalsPending_ && query_.canReverse()) {
        const int rows = int(qMin<qint64>(ChunkRows, rows_ - start));
        const qint64 fromEnd = rows_ - start - rows;
        if (rows > 0 && fromEnd < start)
            return read({query_.page(fromEnd, rows, true)}, rows, true);
    }
    return read({query_.page(start, ChunkRows)}, ChunkRows, false);
}

// Up to `rows` rows of the statements, run in turn; rows read in the reversed order are turned
// back into the grid's order.
GridModel::Chunk GridModel::read(const QList<db::Sql> &statements, int rows, bool reversed) const
{
    Chunk chunk;
    QList<GridQuery::Position> positions;
    for (const db::Sql &statement : statements) {
        if (chunk.rows.size() >= rows)
            break;
        db::Rows result = db_->select(statement);
        const QSqlRecord record = result.record();
        QList<int> at;
        for (const Column &c : columns_)
            at.append(record.indexOf(c.field));
        const int ridAt = record.indexOf(GridQuery::RowIdAlias);
        const int sortAt = query_.sortColumn().isEmpty() ? -1 : record.indexOf(query_.sortColumn());
        while (chunk.rows.size() < rows && result.next()) {
            QVariantList values;
            values.reserve(columns_.size());
            for (qsizetype i = 0; i < columns_.size(); ++i)
                values.append(at.at(i) >= 0 ? result.typed(at.at(i), columns_.at(i).kind) : QVariant());
            chunk.rows.append(values);
            const QVariant rowId = ridAt >= 0 ? result.query().value(ridAt) : QVariant();
            chunk.rowIds.append(rowId);
            positions.append({sortAt >= 0 ? result.query().value(sortAt) : QVariant(), rowId});
        }
    }
    if (reversed) {
        std::reverse(chunk.rows.begin(), chunk.rows.end());
        std::reverse(chunk.rowIds.begin(), chunk.rowIds.end());
        std::reverse(positions.begin(), positions.end());
    }
    if (!positions.isEmpty()) {
        chunk.first = positions.first();
        chunk.last = positions.last();
    }
    return chunk;
}

void GridModel::remember(int index, Chunk chunk) const
{
    while (recent_.size() >= CachedChunks)
        chunks_.remove(recent_.takeFirst());
    recent_.append(index);
    chunks_.insert(index, std::move(chunk));
}

const GridModel::Chunk &GridModel::chunk(int index) const
{
    auto found = chunks_.find(index);
    if (found != chunks_.end()) {
        recent_.removeOne(index);
        recent_.append(index);
        return *found;
    }
    Chunk fetched;
    try {
        fetched = fetch(index);
    } catch (const std::exception &e) {
        // A view asks for rows while painting: the error is shown after the paint, and the
        // empty chunk stays so that the next paint does not ask again.
        const QString text = dynamic_cast<const db::DbError *>(&e) ? static_cast<const db::DbError &>(e).text()
                                                                   : QString::fromUtf8(e.what());
        QTimer::singleShot(0, [text] { showError(db::DbError(text)); });
    }
    remember(index, std::move(fetched));
    return chunks_.find(index).value();
}

QVariant GridModel::value(int row, int column) const
{
    if (!db_ || row < 0 || row >= rows_ || column < 0 || column >= columns_.size())
        return {};
    const Chunk &c = chunk(row / ChunkRows);
    const int inChunk = row % ChunkRows;
    return inChunk < c.rows.size() ? c.rows.at(inChunk).at(column) : QVariant();
}

QVariant GridModel::rowId(int row) const
{
    if (!db_ || row < 0 || row >= rows_)
        return {};
    const Chunk &c = chunk(row / ChunkRows);
    const int inChunk = row % ChunkRows;
    return inChunk < c.rowIds.size() ? c.rowIds.at(inChunk) : QVariant();
}

int GridModel::rowOf(const QVariant &rowId)
{
    if (!db_ || !query_.hasRowId() || !rowId.isValid())
        return -1;
    db::Rows found = db_->select(query_.sortValueOf(rowId));
    if (!found.next())
        return -1;
    db::Rows before = db_->select(query_.countBefore({found.query().value(0), rowId}));
    if (!before.next())
        return -1;
    const qint64 row = before.integer(GridQuery::CountAlias);
    if (row >= rows_)
        ensureTotals();
    return row < rows_ ? int(row) : -1;
}

QVariant GridModel::sum(const QString &field) const
{
    for (auto it = sums_.begin(); it != sums_.end(); ++it)
        if (it.key().compare(field, Qt::CaseInsensitive) == 0)
            return it.value();
    return {};
}

QString GridModel::displayText(const QVariant &typed, db::ColumnKind kind)
{
    if (!typed.isValid() || typed.isNull())
        return {};
    // Money shows every decimal it has (at least two), so a sum of 12.3456 is never shown rounded.
    if (typed.metaType() == QMetaType::fromType<db::Money>())
        return typed.value<db::Money>().toPlainString();
    switch (kind) {
    case db::ColumnKind::Money:
        return db::Money::fromVariant(typed).toPlainString();
    case db::ColumnKind::Date:
        return typed.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case db::ColumnKind::YesNo:
        return typed.toBool() ? QStringLiteral("是") : QStringLiteral("否");
    default:
        break;
    }
    if (typed.typeId() == QMetaType::Double)
        return QString::number(typed.toDouble(), 'g', 15);
    return typed.toString();
}

int GridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rows_; }

int GridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

static bool isNumeric(db::ColumnKind kind)
{
    return kind == db::ColumnKind::Integer || kind == db::ColumnKind::Floating || kind == db::ColumnKind::Money;
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columns_.size())
        return {};
    const db::ColumnKind kind = columns_.at(index.column()).kind;
    switch (role) {
    case Qt::DisplayRole:
        return displayText(value(index.row(), index.column()), kind);
    case Qt::TextAlignmentRole:
        return int((isNumeric(kind) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    if (section < 0 || section >= columns_.size())
        return {};
    const Column &c = columns_.at(section);
    switch (role) {
    case Qt::DisplayRole:
        return c.caption;
    case Qt::DecorationRole:
        if (query_.hasFilter(c.field))
            return QApplication::style()->standardIcon(QStyle::SP_ArrowDown);
        return {};
    case Qt::ToolTipRole:
        return query_.hasFilter(c.field) ? QStringLiteral("已筛选 (右键单击标题更改)")
                                         : QStringLiteral("单击排序, 右键单击筛选");
    default:
        return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}
