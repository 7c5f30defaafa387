#pragma once

#include <QString>
#include <QStringList>

namespace db {

enum class ColumnKind { Text, Integer, Floating, Money, Date, YesNo };

// The kind of a column of the library schema by its name (the same name has the same kind in
// every table); Text for names the schema does not have. Grids and the export use it to show
// and write money, dates and truth values as such whatever the engine stores.
ColumnKind columnKind(const QString &column);

// A column name as the schema writes it ("isbn" -> "ISBN", "adminname" -> "AdminName"): PostgreSQL
// hands back unquoted names folded to lower case. Names the schema does not have pass unchanged.
QString canonicalColumnName(const QString &column);

// The eighteen tables, in the order the creation tool makes them.
QStringList schemaTables();

} // namespace db
