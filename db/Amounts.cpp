#include "db/Amounts.h"

#include "db/DbError.h"
#include "db/Money.h"
#include "db/Schema.h"

#include <QRegularExpression>
#include <QStringList>

namespace db {

namespace {

enum class Slot { None, Comparison, Amount };

DbError notAnAmount(const QString &column, const QString &text)
{
    return DbError(QStringLiteral("%1 的值 \"%2\" 不是金额 (最多四位小数)").arg(column, text));
}

QVariant toAmount(const QString &column, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return value;
    if (const auto amount = Money::fromAmount(value))
        return QVariant::fromValue(*amount);
    throw notAnAmount(column, value.toString());
}

// "insert into 图书 (编号, 价格) values (?, " -> 价格: the column whose value comes next.
QString insertColumn(const QString &before)
{
    static const QRegularExpression insert(
        QStringLiteral("^\\s*insert\\s+into\\s+\\S+\\s*\\(([^()]*)\\)\\s*values\\s*\\(([^()]*)$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = insert.match(before);
    if (!m.hasMatch())
        return {};
    const QStringList columns = m.captured(1).split(QLatin1Char(','));
    const qsizetype position = m.captured(2).count(QLatin1Char(','));
    return position < columns.size() ? columns.at(position).trimmed() : QString();
}

Slot slotOf(const QString &before, QString *column)
{
    // A column name (bare, quoted or qualified) and the operator right before the value.
    static const QRegularExpression operand(
        QStringLiteral("([\\p{L}\\p{N}_]+)[\"\\]`]?\\s*(<>|!=|<=|>=|=|<|>|\\+|-)\\s*$"));
    static const QRegularExpression update(QStringLiteral("^\\s*update\\s"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression where(QStringLiteral("\\bwhere\\b"), QRegularExpression::CaseInsensitiveOption);
    const auto m = operand.match(before);
    if (!m.hasMatch()) {
        *column = insertColumn(before);
        return column->isEmpty() ? Slot::None : Slot::Amount;
    }
    *column = m.captured(1);
    const QString op = m.captured(2);
    if (op == QLatin1String("+") || op == QLatin1String("-"))
        return Slot::Amount;
    if (op == QLatin1String("=") && update.match(before).hasMatch() && !where.match(before).hasMatch())
        return Slot::Amount; // in the set list
    return Slot::Comparison;
}

} // namespace

QVariant fieldValue(const QString &column, const QVariant &value)
{
    return columnKind(column) == ColumnKind::Money ? toAmount(column, value) : value;
}

QVariant typedFieldValue(const QString &column, const QString &text)
{
    if (text.isEmpty())
        return {};
    bool ok = false;
    switch (columnKind(column)) {
    case ColumnKind::Integer: {
        const qlonglong number = text.trimmed().toLongLong(&ok);
        if (ok)
            return number;
        throw DbError(QStringLiteral("%1 的值 \"%2\" 不是整数").arg(column, text));
    }
    case ColumnKind::Floating: {
        const double number = text.trimmed().toDouble(&ok);
        if (ok)
            return number;
        throw DbError(QStringLiteral("%1 的值 \"%2\" 不是数字").arg(column, text));
    }
    case ColumnKind::Money:
        if (const auto amount = Money::parse(text.trimmed()))
            return QVariant::fromValue(*amount);
        throw notAnAmount(column, text);
    default:
        return text;
    }
}

QString fieldText(const QVariant &typed)
{
    if (!typed.isValid() || typed.isNull())
        return {};
    if (typed.metaType() == QMetaType::fromType<Money>())
        return typed.value<Money>().toPlainString();
    if (typed.typeId() == QMetaType::Double)
        return QString::number(typed.toDouble(), 'g', 15);
    return typed.toString();
}

QVariant boundValue(const QString &textBefore, const QVariant &value)
{
    QString column;
    const Slot slot = slotOf(textBefore, &column);
    if (slot == Slot::None || columnKind(column) != ColumnKind::Money)
        return value;
    if (slot == Slot::Comparison && isWholeNumber(value))
        return value;
    return toAmount(column, value);
}

bool isWholeNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// By hand: QDate::fromString would be most of a line's work when a large sheet is imported.
QDate dateFromText(const QString &text, QStringView separators)
{
    const QString trimmed = text.trimmed();
    int parts[3] = {0, 0, 0};
    int part = 0;
    int digits = 0;
    QChar separator;
    for (const QChar c : trimmed) {
        const int most = part == 0 ? 4 : 2; // digits of the year, the month, the day
        const bool partWhole = part == 0 ? digits == 4 : digits > 0;
        if (c.isDigit() && c.unicode() < 128) {
            parts[part] = parts[part] * 10 + (c.unicode() - '0');
            if (++digits > most)
                return {};
        } else if (part < 2 && partWhole && separators.contains(c) && (separator.isNull() || c == separator)) {
            separator = c;
            ++part;
            digits = 0;
        } else {
            return {};
        }
    }
    if (part != 2 || digits == 0)
        return {};
    return QDate(parts[0], parts[1], parts[2]);
}

} // namespace db
