#include "circulation/Circulation.h"

#include "common/Platform.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QLocale>
#include <QSqlRecord>
#include <cstdlib>

namespace circulation {

bool isItemKind(const QString &kind) { return kind == Book || kind == Periodical; }

db::Sql selectRow(db::Database &database, const QString &table)
{
    db::Sql select = db::Sql::fixed(QStringLiteral("select %1 as %2, * from %3").arg(database.rowIdentity(table), Identity, table));
    select.kind(Identity, db::ColumnKind::Integer);
    return select;
}

std::optional<QVariantHash> firstRow(db::Database &database, const db::Sql &select)
{
    db::Rows rows = database.select(select);
    if (!rows.next())
        return std::nullopt;
    QVariantHash row;
    const QSqlRecord record = rows.record();
    for (int i = 0; i < record.count(); ++i)
        row.insert(db::canonicalColumnName(record.fieldName(i)), rows.typed(i));
    return row;
}

QString plainNumber(db::Money amount)
{
    QString text = amount.toString(4);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString plainNumber(const QVariant &typed)
{
    if (!typed.isValid() || typed.isNull())
        throw db::DbError(QStringLiteral("无效的数值: 空值"));
    if (typed.metaType() == QMetaType::fromType<db::Money>())
        return plainNumber(typed.value<db::Money>());
    if (typed.typeId() == QMetaType::Double)
        return plainNumber(db::Money::fromDouble(typed.toDouble()));
    return typed.toString();
}

db::Money amountOrZero(const QString &text)
{
    if (const auto amount = db::Money::parse(text.trimmed()))
        return *amount;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::abs(value) < 1e14 ? db::Money::fromDouble(value) : db::Money();
}

int wholeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        throw db::DbError(QStringLiteral("\"%1\" 不是有效的整数").arg(text));
    return value;
}

int daysOut(const QDate &lent, const QDate &today)
{
    const qint64 days = lent.isValid() ? std::abs(lent.daysTo(today)) : 0;
    return days == 0 ? 1 : int(days);
}

QString shortDate(const QDate &date) { return QLocale().toString(date, QLocale::ShortFormat); }

void refuse(const QString &text)
{
    Platform::instance().beep();
    Platform::instance().message(text);
}

} // namespace circulation
