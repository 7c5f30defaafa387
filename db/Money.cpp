#include "db/Money.h"

#include <QRegularExpression>
#include <cmath>

namespace db {

Money Money::fromDouble(double value)
{
    return fromRaw(std::llround(value * Scale));
}

std::optional<Money> Money::parse(const QString &input)
{
    QString text = input.trimmed();
    text.remove(QLatin1Char(',')).remove(QChar(0xFFE5)).remove(QChar(0x00A5));
    static const QRegularExpression re(QStringLiteral("^([+-]?)(\\d*)(?:\\.(\\d*))?$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString whole = m.captured(2);
    QString frac = m.captured(3);
    if (whole.isEmpty() && frac.isEmpty())
        return std::nullopt;
    if (whole.size() > 14)
        return std::nullopt;
    while (frac.size() > 4 && frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    if (frac.size() > 4)
        return std::nullopt;
    frac = frac.leftJustified(4, QLatin1Char('0'));
    std::int64_t raw = (whole.isEmpty() ? 0 : whole.toLongLong()) * Scale + frac.toLongLong();
    if (m.captured(1) == QLatin1String("-"))
        raw = -raw;
    return fromRaw(raw);
}

Money Money::fromVariant(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>();
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return fromInt(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return fromDouble(value.toDouble());
    default:
        break;
    }
    if (auto parsed = parse(value.toString()))
        return *parsed;
    return fromDouble(value.toDouble());
}

QString Money::toString(int decimals) const
{
    decimals = std::clamp(decimals, 0, 4);
    std::int64_t divisor = 1;
    for (int i = decimals; i < 4; ++i)
        divisor *= 10;
    std::int64_t magnitude = raw_ < 0 ? -raw_ : raw_;
    magnitude = (magnitude + divisor / 2) / divisor; // half away from zero
    std::int64_t unitScale = 1;
    for (int i = 0; i < decimals; ++i)
        unitScale *= 10;
    QString s = QString::number(magnitude / unitScale);
    if (decimals > 0)
        s += QLatin1Char('.') + QString::number(magnitude % unitScale).rightJustified(decimals, QLatin1Char('0'));
    if (raw_ < 0 && magnitude != 0)
        s.prepend(QLatin1Char('-'));
    return s;
}

QString Money::toPlainString() const
{
    int decimals = 4;
    std::int64_t r = raw_;
    while (decimals > 2 && r % 10 == 0) {
        r /= 10;
        --decimals;
    }
    return toString(decimals);
}

} // namespace db
