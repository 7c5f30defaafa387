#pragma once

#include "db/Money.h"
#include "db/Schema.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstddef>
#include <type_traits>

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
    // Only a string literal joins a statement implicitly: a typed value can never be spliced in
    // by accident ("... where 读者编号='" + Edit1->text() does not compile).
    template <std::size_t N>
    Sql(const char (&literal)[N]) : Sql(fixedPiece(QString::fromUtf8(literal, qsizetype(N) - 1))) {} // NOLINT
    // A fixed piece computed at run time from fixed pieces (a list of column names, a table name
    // the schema has checked). Never pass it anything a user typed.
    static Sql fixed(const QString &text);

    // StringQuote + value + StringQuote
    static Sql text(const QString &value);
    // DateQuote + yyyy-mm-dd + DateQuote
    static Sql date(const QDate &value);
    // StringQuote + "%" + value + "%" + StringQuote: a contains-search
    static Sql like(const QString &value);
    // A bound number, money or truth value; shown as its plain literal.
    static Sql value(const QVariant &value);
    // A bare floating number says nothing of what it is: an amount enters as money(), anything
    // else as value(QVariant(x)).
    template <class T>
        requires std::is_floating_point_v<T>
    static Sql value(T) = delete;
    // A bound amount, exact on every engine: "update 读者库 set 卡内金额=卡内金额+" + Sql::money(m).
    static Sql money(Money amount);
    // A table or column name a user may type; the database checks it against its schema.
    static Sql identifier(const QString &name);

    Sql &operator+=(const Sql &other);
    friend Sql operator+(Sql a, const Sql &b) { a += b; return a; }

    // Declares the kind of a result column the schema cannot know (an alias such as
    // "sum(价格) as 总价格"), so that grids, reports and exports read it as money, a date, ...
    // Carried along when the statement is joined or nested.
    Sql &kind(const QString &column, ColumnKind kind);
    const QHash<QString, ColumnKind> &declaredKinds() const { return kinds_; }

    // "top N": rendered per engine when the statement runs, as "top N" in display texts.
    Sql &limit(int rows) { limit_ = rows; rankingTop_ = false; return *this; }
    int rowLimit() const { return limit_; }
    // The top N of a ranking (the borrowing charts): N rows, except on SQL Server, whose
    // libraries have always been shown the top N percent of all rows ("top 12 percent", rounded
    // up to a whole row by the server). Rendered per engine like limit().
    Sql &rankingTop(int n) { limit_ = n; rankingTop_ = true; return *this; }
    bool isRankingTop() const { return limit_ > 0 && rankingTop_; }

    QString displayText(const QString &kind) const;
    // The text with "?" for every value, without the row limit.
    QString preparedText() const;
    QVariantList boundValues() const;
    QStringList identifiers() const;
    const QList<Piece> &pieces() const { return pieces_; }
    bool isEmpty() const { return pieces_.isEmpty(); }

private:
    struct FixedTag {
        QString text;
    };
    static FixedTag fixedPiece(QString text) { return {std::move(text)}; }
    explicit Sql(FixedTag piece);

    QList<Piece> pieces_;
    QHash<QString, ColumnKind> kinds_; // by lower-case column name
    int limit_ = 0;
    bool rankingTop_ = false;
};

static_assert(!std::is_convertible_v<QString, Sql>, "a run-time text must enter a statement as a value");
static_assert(!std::is_convertible_v<const char *, Sql>, "only literals join a statement implicitly");
static_assert(!std::is_convertible_v<QLatin1String, Sql>, "only literals join a statement implicitly");
static_assert(std::is_convertible_v<const char (&)[7], Sql>, "literals join a statement");
template <class T>
concept BindsAsValue = requires(T v) { Sql::value(v); };
static_assert(!BindsAsValue<double> && !BindsAsValue<float>, "an amount is bound as Sql::money");
static_assert(BindsAsValue<int> && BindsAsValue<qint64> && BindsAsValue<bool> && BindsAsValue<QVariant>,
              "whole numbers, truth values and variants bind as values");

// Inserts "top N " after the leading select (and distinct) of a statement's text.
QString insertTop(const QString &statement, const QString &topClause);

} // namespace db
