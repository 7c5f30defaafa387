#include "db/Rows.h"

#include "db/DbError.h"
#include "db/Driver.h"

namespace db {

Rows::Rows(QSqlQuery query, const Driver &driver, QHash<QString, ColumnKind> declaredKinds)
    : d_(std::make_shared<State>()), driver_(&driver), declared_(std::move(declaredKinds))
{
    d_->query = std::move(query);
}

bool Rows::next()
{
    if (!d_->buffered)
        return d_->query.next();
    d_->at = std::min(d_->at + 1, d_->rows.size());
    return d_->at < d_->rows.size();
}

bool Rows::first()
{
    if (!d_->buffered)
        return d_->query.first();
    d_->at = 0;
    return !d_->rows.isEmpty();
}

bool Rows::isValid() const
{
    return d_->buffered ? d_->at >= 0 && d_->at < d_->rows.size() : d_->query.isValid();
}

QSqlRecord Rows::record() const
{
    if (!d_->buffered)
        return d_->query.record();
    return isValid() ? d_->rows.at(d_->at) : d_->columns;
}

bool Rows::isUnfinished() const { return isUnfinished(*d_); }

bool Rows::isUnfinished(const State &s)
{
    return !s.buffered && s.query.isActive() && s.query.isSelect() && s.query.at() != QSql::AfterLastRow;
}

void Rows::buffer() { buffer(*d_); }

void Rows::buffer(State &s)
{
    if (s.buffered)
        return;
    s.columns = s.query.record();
    for (int i = 0; i < s.columns.count(); ++i)
        s.columns.setValue(i, QVariant());
    const bool onRow = s.query.isValid();
    if (onRow)
        s.rows.append(s.query.record());
    if (s.query.isActive() && s.query.at() != QSql::AfterLastRow)
        while (s.query.next())
            s.rows.append(s.query.record());
    s.at = onRow ? 0 : -1;
    s.query.finish();
    s.buffered = true;
}

QVariant Rows::raw(int index) const
{
    if (!d_->buffered)
        return d_->query.value(index);
    return isValid() ? d_->rows.at(d_->at).value(index) : QVariant();
}

// The names of the columns, taken once: a record of the current row carries every value, and a
// lookup by name per value would build one each time.
const QSqlRecord &Rows::columns() const
{
    if (d_->columns.isEmpty() && !d_->buffered) {
        d_->columns = d_->query.record();
        for (int i = 0; i < d_->columns.count(); ++i)
            d_->columns.setValue(i, QVariant());
    }
    return d_->columns;
}

ColumnKind Rows::kindOf(int index) const
{
    const QString name = columns().fieldName(index);
    const auto found = declared_.constFind(name.toLower());
    return found != declared_.constEnd() ? *found : columnKind(name);
}

int Rows::index(const QString &column) const
{
    const int i = columns().indexOf(column);
    if (i < 0)
        throw DbError(QStringLiteral("字段不存在: %1").arg(column));
    return i;
}

QVariant Rows::value(const QString &column) const { return raw(index(column)); }

QString Rows::text(const QString &column) const
{
    const QVariant v = value(column);
    return v.isNull() ? QString() : v.toString();
}

qint64 Rows::integer(const QString &column) const { return value(column).toLongLong(); }
double Rows::floating(const QString &column) const { return value(column).toDouble(); }
Money Rows::money(const QString &column) const { return driver_->moneyFromStorage(value(column)); }
QDate Rows::date(const QString &column) const { return driver_->dateFromStorage(value(column)); }
bool Rows::yes(const QString &column) const { return driver_->yesFromStorage(value(column)); }
bool Rows::isNull(const QString &column) const { return value(column).isNull(); }

QVariant Rows::typed(int index) const
{
    return typed(index, kindOf(index));
}

QVariant Rows::typed(int index, ColumnKind kind) const
{
    const QVariant v = raw(index);
    if (v.isNull())
        return {};
    switch (kind) {
    case ColumnKind::Money:
        return QVariant::fromValue(driver_->moneyFromStorage(v));
    case ColumnKind::Date:
        return driver_->dateFromStorage(v);
    case ColumnKind::YesNo:
        return driver_->yesFromStorage(v);
    case ColumnKind::Integer:
        return QVariant::fromValue<qint64>(v.toLongLong());
    case ColumnKind::Floating:
        return v.toDouble();
    case ColumnKind::Text:
        break;
    }
    // Text, or a computed column the schema does not know: numbers stay numbers.
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return v;
    default:
        return v.toString();
    }
}

} // namespace db
