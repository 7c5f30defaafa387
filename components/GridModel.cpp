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

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent) {}

void GridModel::open(db::Database &db, const GridQuery &query, const QList<Column> &columns,
                     const QStringList &sumColumns)
{
    beginResetModel();
    db_ = &db;
    query_ = query;
    columns_ = columns;
    sumColumns_ = sumColumns;
    chunks_.clear();
    recent_.clear();
    rows_ = 0;
    sums_.clear();
    try {
        readTotals();
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

void GridModel::reload()
{
    if (!db_)
        return;
    beginResetModel();
    chunks_.clear();
    recent_.clear();
    try {
        readTotals();
    } catch (...) {
        rows_ = 0;
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
void GridModel::readTotals()
{
    db::Rows rows = db_->select(query_.totals(sumColumns_));
    sums_.clear();
    if (!rows.next()) {
        rows_ = 0;
        return;
    }
    rows_ = int(qMin<qint64>(rows.integer(GridQuery::CountAlias), std::numeric_limits<int>::max()));
    const QSqlRecord record = rows.record();
    for (qsizetype i = 0; i < sumColumns_.size(); ++i) {
        const int column = columnOf(sumColumns_.at(i));
        const db::ColumnKind kind = column >= 0 ? columns_.at(column).kind : db::ColumnKind::Floating;
        sums_.insert(sumColumns_.at(i), rows.typed(record.indexOf(GridQuery::sumAlias(int(i))), kind));
    }
}

GridModel::Chunk GridModel::fetch(int index) const
{
    const auto previous = chunks_.constFind(index - 1);
    const bool byKeyset = index > 0 && query_.hasRowId() && previous != chunks_.constEnd()
        && !previous->rows.isEmpty();
    const db::Sql statement = byKeyset ? query_.pageAfter(previous->last, ChunkRows)
                                       : query_.page(qint64(index) * ChunkRows, ChunkRows);
    db::Rows rows = db_->select(statement);
    const QSqlRecord record = rows.record();
    QList<int> positions;
    for (const Column &c : columns_)
        positions.append(record.indexOf(c.field));
    const int ridPosition = record.indexOf(GridQuery::RowIdAlias);
    const int sortPosition = query_.sortColumn().isEmpty() ? -1 : record.indexOf(query_.sortColumn());

    Chunk chunk;
    while (rows.next()) {
        QVariantList values;
        values.reserve(columns_.size());
        for (qsizetype i = 0; i < columns_.size(); ++i)
            values.append(positions.at(i) >= 0 ? rows.typed(positions.at(i), columns_.at(i).kind) : QVariant());
        chunk.rows.append(values);
        chunk.rowIds.append(ridPosition >= 0 ? rows.query().value(ridPosition) : QVariant());
        if (ridPosition >= 0)
            chunk.last = {sortPosition >= 0 ? rows.query().value(sortPosition) : QVariant(),
                          rows.query().value(ridPosition)};
    }
    return chunk;
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
    while (recent_.size() >= CachedChunks)
        chunks_.remove(recent_.takeFirst());
    recent_.append(index);
    return *chunks_.insert(index, std::move(fetched));
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
    return before.next() ? int(before.integer(GridQuery::CountAlias)) : -1;
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
