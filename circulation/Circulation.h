#pragma once

#include "db/Money.h"
#include "db/Sql.h"

#include <QDate>
#include <QString>
#include <QVariantHash>
#include <optional>

namespace db {
class Database;
}

// What the desks share: the item kinds, how they show numbers, how they read typed amounts and
// days, how they refuse.
namespace circulation {

// An item kind is also the name of the table that holds such items.
inline const QString Book = QStringLiteral("图书");
inline const QString Periodical = QStringLiteral("期刊");
bool isItemKind(const QString &kind);

// The column of a row read by firstRow() that names that row for good (Database::rowIdentity).
inline const QString Identity = QStringLiteral("lb_identity");

// "select <identity> as lb_identity, * from <table>": the whole row and what names it, so that a
// later change touches exactly that row even where its number is not unique.
db::Sql selectRow(db::Database &database, const QString &table);
// The first row of a select, each value typed by its column's kind; nullopt when there is none.
std::optional<QVariantHash> firstRow(db::Database &database, const db::Sql &select);

// A number as the desks show it: a point, no trailing zeros ("2.5", "3", "0.1234").
QString plainNumber(db::Money amount);
QString plainNumber(const QVariant &typed);
// A typed amount to four decimals; 0 when the text is not a number.
db::Money amountOrZero(const QString &text);
// A whole number typed or held as text; throws a Chinese error naming the text when it is not one.
int wholeNumber(const QString &text);
// Whole days between lending and today, at least 1.
int daysOut(const QDate &lent, const QDate &today);
// The date as the user's short date format writes it.
QString shortDate(const QDate &date);

// A refusal at a desk: the beep, for a librarian looking at the books, then the message.
void refuse(const QString &text);

} // namespace circulation
