#include "db/Quote.h"

namespace db {

QString StringQuote(const QString &kind)
{
    if (kind == KindSqlServer || kind == KindPostgres)
        return QStringLiteral("'");
    if (kind == KindEmbedded)
        return QStringLiteral("\"");
    return {};
}

QString DateQuote(const QString &kind)
{
    if (kind == KindSqlServer || kind == KindPostgres)
        return QStringLiteral("'");
    if (kind == KindEmbedded)
        return QStringLiteral("#");
    return {};
}

} // namespace db
