#include "db/Rows.h"

#include "db/DbError.h"
#include "db/Driver.h"

namespace db {

Rows::Rows(QSqlQuery query, const Driver &driver, QHash<QString, ColumnKind> declaredKinds)
    : query_(std::move(query)), driver_(&driver), declared_(std::move(declaredKinds))
{
}

ColumnKind Rows::kindOf(int index) const
{
    const QString name = query_.record().fieldName(index);
    const auto found = declared_.constFind(name.toLower());
    return found != declared_.constEnd() ? *found : columnKind(name);
}

int Rows::index(const QString &column) const
{
    const int i = query_.record().indexOf(column);
    if (i < 0)
        throw DbError(QStringLiteral("字段不存在: %1").arg(column));
    return i;
}

QVariant Rows::value(const QString &column) const { return query_.value(index(column)); }

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
    const QVariant v = query_.value(index);
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
