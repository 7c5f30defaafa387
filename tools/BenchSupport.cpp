#include "tools/BenchSupport.h"

#include "db/Database.h"
#include "db/DbError.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

namespace tools {

ScratchPostgres::ScratchPostgres(const QString &settings, const QString &name)
{
    for (const QString &part : settings.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString key = part.section(QLatin1Char('='), 0, 0);
        const QString value = part.section(QLatin1Char('='), 1);
        if (key == QLatin1String("host"))
            spec.host = value;
        else if (key == QLatin1String("port"))
            spec.port = value.toInt();
        else if (key == QLatin1String("user"))
            spec.user = value;
        else if (key == QLatin1String("password"))
            spec.password = value;
    }
    spec.engine = db::Engine::PostgreSQL;
    spec.database = name;
    admin(QStringLiteral("drop database if exists %1 with (force)").arg(name));
    admin(QStringLiteral("create database %1 encoding 'UTF8' template template0").arg(name));
}

ScratchPostgres::~ScratchPostgres()
{
    try {
        admin(QStringLiteral("drop database if exists %1 with (force)").arg(spec.database));
    } catch (const db::DbError &) {
    }
}

void ScratchPostgres::admin(const QString &statement) const
{
    const QString connection = QStringLiteral("bench-admin");
    {
        QSqlDatabase handle = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        handle.setHostName(spec.host);
        handle.setPort(spec.port);
        handle.setUserName(spec.user);
        handle.setPassword(spec.password);
        handle.setDatabaseName(QStringLiteral("postgres"));
        if (!handle.open())
            throw db::DbError(handle.lastError().text());
        QSqlQuery query(handle);
        if (!query.exec(statement))
            throw db::DbError(query.lastError().text() + QStringLiteral("\n") + statement);
    }
    QSqlDatabase::removeDatabase(connection);
}

void QuietPlatform::error(const QString &text) { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }

QStringList queryPlan(db::Database &database, const db::Sql &statement)
{
    const bool sqlite = database.engine() == db::Engine::SQLite;
    db::Sql explain = db::Sql::fixed(sqlite ? QStringLiteral("explain query plan ") : QStringLiteral("explain ")) + statement;
    explain.limit(statement.rowLimit());
    QStringList lines;
    try {
        db::Rows rows = database.select(explain);
        while (rows.next())
            lines.append(rows.query().value(sqlite ? QStringLiteral("detail") : QStringLiteral("QUERY PLAN")).toString());
    } catch (const db::DbError &e) {
        lines.append(e.text());
    }
    return lines;
}

} // namespace tools
