#include "components/GridQuery.h"

#include "db/DbError.h"

#include <QRegularExpression>

using db::Sql;

const QString GridQuery::Alias = QStringLiteral("lb_grid");
const QString GridQuery::RowIdAlias = QStringLiteral("lb_rowid");
const QString GridQuery::CountAlias = QStringLiteral("lb_count");

static Sql pieceStatement(const Sql::Piece &piece)
{
    switch (piece.kind) {
    case Sql::PieceKind::Fixed:
        return Sql::fixed(piece.text);
    case Sql::PieceKind::Text:
        return Sql::text(piece.text);
    case Sql::PieceKind::Date:
        return Sql::date(piece.value.toDate());
    case Sql::PieceKind::Like:
        return Sql::like(piece.text);
    case Sql::PieceKind::Value:
        return Sql::value(piece.value);
    case Sql::PieceKind::Identifier:
        return Sql::identifier(piece.text);
    }
    return {};
}

// Inserts fixed text at a position of the prepared text ("?" for every value), keeping every
// value bound.
static Sql insertedAt(const Sql &statement, qsizetype at, const QString &text)
{
    Sql out;
    qsizetype start = 0;
    bool done = false;
    for (const Sql::Piece &piece : statement.pieces()) {
        const bool fixed = piece.kind == Sql::PieceKind::Fixed || piece.kind == Sql::PieceKind::Identifier;
        const qsizetype length = fixed ? piece.text.size() : 1;
        if (!done && piece.kind == Sql::PieceKind::Fixed && at >= start && at <= start + length) {
            out += Sql::fixed(piece.text.left(at - start) + text + piece.text.mid(at - start));
            done = true;
        } else {
            if (!done && at == start) {
                out += Sql::fixed(text);
                done = true;
            }
            out += pieceStatement(piece);
        }
        start += length;
    }
    if (!done)
        out += Sql::fixed(text);
    for (auto it = statement.declaredKinds().begin(); it != statement.declaredKinds().end(); ++it)
        out.kind(it.key(), it.value());
    return out;
}

Sql nestableStatement(const Sql &select, const db::Driver &driver)
{
    Sql copy = insertedAt(select, select.preparedText().size(), {});
    if (select.rowLimit() <= 0)
        return copy;
    // Where the engine puts its limit ("top N" after select, or "limit N" at the end) is found
    // by comparing the texts with and without it.
    const QString plain = select.preparedText();
    const QString limited = driver.withLimit(plain, select.rowLimit());
    qsizetype common = 0;
    while (common < plain.size() && plain.at(common) == limited.at(common))
        ++common;
    return insertedAt(copy, common, limited.mid(common, limited.size() - plain.size()));
}

Sql withRowIdentity(const Sql &select, const QString &keyTable, const QString &identity)
{
    static const QRegularExpression head(QStringLiteral("^\\s*select\\s+(?!distinct\\s)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QString text = select.preparedText();
    const auto match = head.match(text);
    if (!match.hasMatch())
        throw db::DbError(QStringLiteral("无法取得行标识: %1").arg(text));
    return insertedAt(select, match.capturedEnd(),
                      QStringLiteral("%1.%2 as %3, ").arg(keyTable, identity, GridQuery::RowIdAlias));
}

GridQuery::GridQuery(const db::Driver &driver, const Sql &select, const QString &keyTable, const QString &identity)
    : driver_(&driver), hasRowId_(!keyTable.isEmpty())
{
    // The identity goes in first, so that "top N" still follows the leading select.
    Sql identified = hasRowId_ ? withRowIdentity(select, keyTable, identity.isEmpty() ? driver.rowIdColumn() : identity) : select;
    identified.limit(select.rowLimit());
    inner_ = nestableStatement(identified, driver);
}

QString GridQuery::column(const QString &field) const
{
    for (const QString &c : columns_)
        if (c.compare(field, Qt::CaseInsensitive) == 0)
            return c;
    return {};
}

void GridQuery::setSort(const QString &column, bool descending)
{
    sortColumn_ = column;
    descending_ = descending;
}

QString GridQuery::ref(const QString &column) const
{
    return Alias + QLatin1Char('.') + driver_->quoteIdentifier(column);
}

QString GridQuery::selectList(bool withRowId) const
{
    QStringList refs;
    for (const QString &c : columns_)
        refs.append(ref(c));
    if (withRowId && hasRowId_)
        refs.append(rowIdRef());
    return refs.join(QStringLiteral(", "));
}

Sql GridQuery::from(const QString &list) const
{
    return Sql::fixed(QStringLiteral("select %1 from (").arg(list)) + inner_ + Sql::fixed(QStringLiteral(") as ") + Alias);
}

Sql GridQuery::filterCondition(const QString &column, const QVariantList &values) const
{
    QVariantList present;
    bool withNull = false;
    for (const QVariant &v : values) {
        if (!v.isValid() || v.isNull())
            withNull = true;
        else
            present.append(v);
    }
    if (present.isEmpty() && !withNull)
        return Sql("1=0");
    Sql in;
    if (!present.isEmpty()) {
        in = Sql::fixed(ref(column) + QStringLiteral(" in ("));
        for (qsizetype i = 0; i < present.size(); ++i)
            in += Sql::fixed(i ? QStringLiteral(", ") : QString()) + Sql::value(present.at(i));
        in += Sql(")");
    }
    if (!withNull)
        return in;
    const Sql isNull = Sql::fixed(ref(column) + QStringLiteral(" is null"));
    return present.isEmpty() ? isNull : Sql("(") + isNull + Sql(" or ") + in + Sql(")");
}

Sql GridQuery::where(const QString &skipFilter, const Sql &extra) const
{
    QList<Sql> conditions;
    for (auto it = filters_.begin(); it != filters_.end(); ++it)
        if (it.key() != skipFilter)
            conditions.append(filterCondition(it.key(), it.value()));
    if (!extra.isEmpty())
        conditions.append(extra);
    Sql out;
    for (qsizetype i = 0; i < conditions.size(); ++i)
        out += Sql::fixed(i ? QStringLiteral(" and ") : QStringLiteral(" where ")) + conditions.at(i);
    return out;
}

QString GridQuery::rowIdRef() const { return Alias + QLatin1Char('.') + RowIdAlias; }

// The rows beyond a position when the sort values are walked upward (nulls, then the values
// ascending) or downward; ties follow the row identity in the same direction. Rows whose sort
// value is null and the others are asked for apart, so that each condition is a range of an
// index on the sort column.
QList<Sql> GridQuery::beyond(const Position &position, bool upward) const
{
    const Sql ridBeyond = Sql::fixed(rowIdRef() + (upward ? QStringLiteral(" > ") : QStringLiteral(" < ")))
        + Sql::value(position.rowId);
    if (sortColumn_.isEmpty())
        return {ridBeyond};
    const QString col = ref(sortColumn_);
    const QVariant &v = position.sortValue;
    if (!v.isValid() || v.isNull()) {
        const Sql amongNulls = Sql::fixed(col + QStringLiteral(" is null and ")) + ridBeyond;
        if (upward)
            return {amongNulls, Sql::fixed(col + QStringLiteral(" is not null"))};
        return {amongNulls};
    }
    if (upward)
        return {valuesBeyond(position, true)};
    return {valuesBeyond(position, false), Sql::fixed(col + QStringLiteral(" is null"))};
}

// (value, identity) beyond the position's, for a position whose sort value is not null.
Sql GridQuery::valuesBeyond(const Position &position, bool upward) const
{
    const QString col = ref(sortColumn_);
    const QString op = upward ? QStringLiteral(">") : QStringLiteral("<");
    const Sql value = Sql::value(position.sortValue);
    const Sql rowId = Sql::value(position.rowId);
    if (driver_->comparesRowValues())
        return Sql::fixed(QStringLiteral("(%1, %2) %3 (").arg(col, rowIdRef(), op)) + value + Sql(", ") + rowId + Sql(")");
    return Sql::fixed(QStringLiteral("%1 %2= ").arg(col, op)) + value
        + Sql::fixed(QStringLiteral(" and (%1 %2 ").arg(col, op)) + value
        + Sql::fixed(QStringLiteral(" or %1 %2 ").arg(rowIdRef(), op)) + rowId + Sql(")");
}

// Ties follow the sort's direction, so that the descending order is exactly the ascending one
// reversed: one index serves both, and the end of the grid is its reversed beginning.
QString GridQuery::orderBy(bool reversed) const
{
    const bool down = descending_ != reversed;
    QStringList terms;
    if (!sortColumn_.isEmpty())
        terms.append(driver_->orderTerm(ref(sortColumn_), down));
    if (hasRowId_) {
        // Never null: written without a nulls rule, as an index on (column, identity) has it.
        terms.append(rowIdRef() + (down ? QStringLiteral(" desc") : QStringLiteral(" asc")));
    } else if (!sortColumn_.isEmpty()) {
        // Without a row identity every column breaks ties, so pages never overlap.
        for (const QString &c : columns_)
            if (c != sortColumn_)
                terms.append(driver_->orderTerm(ref(c), down));
    }
    return terms.join(QStringLiteral(", "));
}

Sql GridQuery::shape() const
{
    return from(QStringLiteral("*")) + Sql(" where 1=0");
}

Sql GridQuery::totals(const QStringList &sumColumns) const
{
    QString list = QStringLiteral("count(*) as ") + CountAlias;
    for (qsizetype i = 0; i < sumColumns.size(); ++i)
        list += QStringLiteral(", sum(%1) as %2").arg(ref(sumColumns.at(i)), sumAlias(int(i)));
    return from(list) + where({}, {});
}

Sql GridQuery::page(qint64 offset, int rows, bool reversed) const
{
    return from(selectList(true)) + where({}, {}) + Sql::fixed(driver_->paged({}, orderBy(reversed), offset, rows));
}

QList<Sql> GridQuery::pagesAfter(const Position &last, int rows, bool reversed) const
{
    QList<Sql> pages;
    for (const Sql &condition : beyond(last, descending_ == reversed))
        pages.append(from(selectList(true)) + where({}, condition)
                     + Sql::fixed(driver_->paged({}, orderBy(reversed), 0, rows)));
    return pages;
}

Sql GridQuery::countBefore(const Position &position) const
{
    const QList<Sql> conditions = beyond(position, descending_);
    Sql any;
    for (qsizetype i = 0; i < conditions.size(); ++i)
        any += Sql::fixed(i ? QStringLiteral(" or (") : QStringLiteral("(")) + conditions.at(i) + Sql(")");
    return from(QStringLiteral("count(*) as ") + CountAlias) + where({}, conditions.size() > 1 ? Sql("(") + any + Sql(")") : any);
}

Sql GridQuery::sortValueOf(const QVariant &rowId) const
{
    const QString value = sortColumn_.isEmpty() ? QStringLiteral("null") : ref(sortColumn_);
    return from(value + QStringLiteral(" as lb_value")) + where({}, Sql::fixed(rowIdRef() + " = ") + Sql::value(rowId));
}

Sql GridQuery::distinct(const QString &column, int limit, const QString &search, db::ColumnKind kind) const
{
    const QString shown = kind == db::ColumnKind::Money ? driver_->amountAsText(ref(column)) : driver_->castToText(ref(column));
    const Sql contains = search.isEmpty() ? Sql() : Sql::fixed(shown + " like ") + Sql::like(search);
    Sql statement = from("distinct " + ref(column)) + where(column, contains) + Sql::fixed(" order by " + driver_->orderTerm(ref(column), false));
    statement.limit(limit);
    return statement;
}

Sql GridQuery::result() const
{
    const QString order = orderBy(false);
    return from(selectList(false)) + where({}, {}) + Sql::fixed(order.isEmpty() ? QString() : " order by " + order);
}
