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
    text.remove(QChar(0xFFE5)).remove(QChar(0x00A5));
    // Digits with or without thousands separators, a sign, up to any number of decimals.
    static const QRegularExpression re(QStringLiteral("^([+-]?)(\\d*|\\d{1,3}(?:,\\d{3})+)(?:\\.(\\d*))?$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    QString whole = m.captured(2).remove(QLatin1Char(','));
    QString frac = m.captured(3);
    if (whole.isEmpty() && frac.isEmpty())
        return std::nullopt;
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    while (frac.size() > 4 && frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    if (frac.size() > 4 || whole.size() > 15)
        return std::nullopt;
    frac = frac.leftJustified(4, QLatin1Char('0'));
    std::int64_t raw = 0;
    if (__builtin_mul_overflow(whole.isEmpty() ? 0 : whole.toLongLong(), Scale, &raw)
        || __builtin_add_overflow(raw, frac.toLongLong(), &raw))
        return std::nullopt;
    if (m.captured(1) == QLatin1String("-"))
        raw = -raw;
    return fromRaw(raw);
}

std::optional<Money> Money::fromAmount(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>();
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        std::int64_t raw = 0;
        if (value.typeId() == QMetaType::ULongLong && value.toULongLong() > std::uint64_t(INT64_MAX))
            return std::nullopt;
        if (__builtin_mul_overflow(value.toLongLong(), Scale, &raw))
            return std::nullopt;
        return fromRaw(raw);
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        // Beyond 2^53 ten-thousandths a double no longer names one amount.
        const double scaled = value.toDouble() * Scale;
        if (!std::isfinite(scaled) || std::fabs(scaled) > 9007199254740992.0)
            return std::nullopt;
        return fromRaw(std::llround(scaled));
    }
    case QMetaType::QString:
        return parse(value.toString());
    default:
        return std::nullopt;
    }
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
    // Unsigned, so that the largest and the smallest amount round without overflow.
    std::uint64_t magnitude = raw_ < 0 ? std::uint64_t(0) - std::uint64_t(raw_) : std::uint64_t(raw_);
    magnitude = magnitude / divisor + (magnitude % divisor >= std::uint64_t(divisor + 1) / 2 ? 1 : 0); // half away from zero
    std::uint64_t unitScale = 1;
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
