#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace db {

// One SQL statement, built from fixed pieces and values the way the windows write it:
//   Sql("select * from 读者库 where 读者编号=") + Sql::text(number)
// Values are always bound when the statement runs. The same statement renders its display
// text for a DatabaseKind, with the values between that kind's delimiters (a delimiter inside a
// value doubled), exactly as the user is shown it.
class Sql {
public:
    enum class PieceKind { Fixed, Text, Date, Like, Value, Identifier };
    struct Piece {
        PieceKind kind;
        QString text;   // fixed text, a text value, a like value or an identifier
        QVariant value; // a date or a bound value
    };

    Sql() = default;
    Sql(const QString &fixed);       // NOLINT: fixed pieces join naturally
    Sql(const char *fixed);          // NOLINT
    Sql(const QLatin1String &fixed); // NOLINT

    // StringQuote + value + StringQuote
    static Sql text(const QString &value);
    // DateQuote + yyyy-mm-dd + DateQuote
    static Sql date(const QDate &value);
    // StringQuote + "%" + value + "%" + StringQuote: a contains-search
    static Sql like(const QString &value);
    // A bound number, money or truth value; shown as its plain literal.
    static Sql value(const QVariant &value);
    // A table or column name a user may type; the database checks it against its schema.
    static Sql identifier(const QString &name);

    Sql &operator+=(const Sql &other);
    friend Sql operator+(Sql a, const Sql &b) { a += b; return a; }

    // "top N": rendered per engine when the statement runs, as "top N" in display texts.
    Sql &limit(int rows) { limit_ = rows; return *this; }
    int rowLimit() const { return limit_; }

    QString displayText(const QString &kind) const;
    // The text with "?" for every value, without the row limit.
    QString preparedText() const;
    QVariantList boundValues() const;
    QStringList identifiers() const;
    const QList<Piece> &pieces() const { return pieces_; }
    bool isEmpty() const { return pieces_.isEmpty(); }

private:
    QList<Piece> pieces_;
    int limit_ = 0;
};

// Inserts "top N " after the leading select (and distinct) of a statement's text.
QString insertTop(const QString &statement, const QString &topClause);

} // namespace db
