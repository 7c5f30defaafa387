#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

namespace db {

// Money columns meet the values a caller hands over in two places: the fields of an insert or an
// update, and the values bound beside a money column in a statement of the program's own
// ("update 读者库 set 卡内金额=卡内金额+?"). Both take the amount the caller meant, whatever its
// type (Money, a whole number of yuan, a floating value, a text such as "12.5"), so that every
// engine stores it exact; SQLite keeps money as integer ten-thousandths and would otherwise take
// 12.5 for 0.0013.

// The value for a column: an amount for a money column (DbError naming the column when it is
// not one), anything else as it is. Null stays null.
QVariant fieldValue(const QString &column, const QVariant &value);

// What an entry box typed for a column stores: null for an empty text; a whole number, a floating
// number or an exact amount where the column's kind says so (DbError naming the column and the
// text when it is none; blanks around a number are ignored); anything else the text as typed.
QVariant typedFieldValue(const QString &column, const QString &text);
// The text an entry box shows for a column's value (as Rows::typed gives it): empty for null,
// an amount with its decimals ("12.50", "0.1234"), a number without a trailing ".0".
QString fieldText(const QVariant &typed);

// A value bound after `textBefore`, the statement's prepared text up to its "?". Where it meets a
// money column as an amount (after "卡内金额+", "卡内金额-", "set 价格=", or in the values of
// "insert into 图书 (编号, 价格) values (?, ?)") it becomes Money like a field. Where it is
// compared with one ("价格 >= ?", "lb_grid.价格 = ?") a floating value or a text becomes Money,
// but a whole number stays as it is: it is how SQLite hands a stored amount back, and the grid
// seeks with what it read. A factor ("租金*?") is never an amount. Compare amounts with
// Sql::money.
QVariant boundValue(const QString &textBefore, const QVariant &value);

// Whether a value is a whole number as the engines hand them back (int, long long, unsigned).
bool isWholeNumber(const QVariant &value);

// A date as people type and sheets write it: a four-digit year, then month and day with or
// without leading zeros, parted by one of `separators` throughout (2008-8-8, 2008/08/08); blanks
// around it are ignored. Invalid for anything else and for days that do not exist (2008-2-30).
QDate dateFromText(const QString &text, QStringView separators = u"-/");

} // namespace db
