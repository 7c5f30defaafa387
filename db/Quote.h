#pragma once

#include <QString>

namespace db {

// DatabaseKind: "a" the embedded file (Access dialect in display texts), "s" SQL Server,
// "p" PostgreSQL. Anything else is a kind without delimiters.
inline const QString KindEmbedded = QStringLiteral("a");
inline const QString KindSqlServer = QStringLiteral("s");
inline const QString KindPostgres = QStringLiteral("p");

// Delimiter of a text literal: " for "a", ' for "s" and "p", empty for any other kind.
QString StringQuote(const QString &kind);
// Delimiter of a date literal: # for "a", ' for "s" and "p", empty for any other kind.
QString DateQuote(const QString &kind);

} // namespace db
