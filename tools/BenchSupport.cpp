#include "tools/BenchSupport.h"

#include "db/Database.h"
#include "db/DbError.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
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

// The statement as the engine runs it, its bound values written in as the engine's literals (a
// server does not prepare an explain).
static QString literalText(db::Database &database, const db::Sql &statement)
{
    const QVariantList values = database.prepare(statement).boundValues();
    const QString text = db::Database::preparedText(statement, database.driver());
    QString out;
    qsizetype next = 0;
    for (const QChar c : text) {
        if (c != QLatin1Char('?') || next >= values.size()) {
            out += c;
            continue;
        }
        const QVariant &value = values.at(next++);
        QSqlField field(QString(), value.metaType());
        field.setValue(value);
        out += database.handle().driver()->formatValue(field);
    }
    return out;
}

QStringList queryPlan(db::Database &database, const db::Sql &statement)
{
    const bool sqlite = database.engine() == db::Engine::SQLite;
    QSqlQuery query(database.handle());
    if (!query.exec((sqlite ? QStringLiteral("explain query plan ") : QStringLiteral("explain "))
                    + literalText(database, statement)))
        return {query.lastError().text()};
    QStringList lines;
    while (query.next())
        lines.append(query.value(sqlite ? QStringLiteral("detail") : QStringLiteral("QUERY PLAN")).toString());
    return lines;
}

} // namespace tools
