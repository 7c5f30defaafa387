#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>
#include <compare>
#include <cstdint>
#include <optional>

namespace db {

// Fixed point with four decimals, held as ten-thousandths: the Access Currency type.
// Every sum and balance stays exact; conversions from floating values round to the nearest
// ten-thousandth.
class Money {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromRaw(std::int64_t tenThousandths) { Money m; m.raw_ = tenThousandths; return m; }
    static constexpr Money fromInt(std::int64_t units) { return fromRaw(units * Scale); }
    static Money fromDouble(double value);
    // Parses "12", "-3.5", "0.1234", "1,234.50", "¥12.30"; nullopt for anything else: more than
    // four decimals that are not zeros, separators that do not group thousands ("1,2,3"), an
    // amount beyond the range of ten-thousandths in 64 bits.
    static std::optional<Money> parse(const QString &text);
    // An amount as a caller hands it over to be stored: Money, a whole number of yuan, a floating
    // value (to the nearest ten-thousandth) or a text that parse() accepts; nullopt for anything
    // else, also for a number out of range. Null stays for the caller to handle.
    static std::optional<Money> fromAmount(const QVariant &value);
    // Reads a money value as any engine hands it back (integer ten-thousandths from SQLite are
    // not handled here: see the drivers), numbers and decimal texts.
    static Money fromVariant(const QVariant &value);

    constexpr std::int64_t raw() const { return raw_; }
    double toDouble() const { return double(raw_) / Scale; }
    // "12.30" with the given number of decimals (rounded half away from zero), "-0.50", ...
    QString toString(int decimals = 2) const;
    // Every decimal that is not zero, at least two: "12.30", "0.1234".
    QString toPlainString() const;

    constexpr Money operator+(Money o) const { return fromRaw(raw_ + o.raw_); }
    constexpr Money operator-(Money o) const { return fromRaw(raw_ - o.raw_); }
    constexpr Money operator-() const { return fromRaw(-raw_); }
    constexpr Money operator*(std::int64_t n) const { return fromRaw(raw_ * n); }
    Money &operator+=(Money o) { raw_ += o.raw_; return *this; }
    Money &operator-=(Money o) { raw_ -= o.raw_; return *this; }
    constexpr auto operator<=>(const Money &) const = default;
    constexpr bool isZero() const { return raw_ == 0; }

private:
    std::int64_t raw_ = 0;
};

} // namespace db

Q_DECLARE_METATYPE(db::Money)
