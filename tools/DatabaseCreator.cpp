#include "tools/DatabaseCreator.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/Driver.h"
#include "db/Money.h"
#include "db/Transaction.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

static void initSchemaResource() { Q_INIT_RESOURCE(schema); }

namespace tools {

QString schemaFileName(db::Engine engine)
{
    switch (engine) {
    case db::Engine::SQLite:
        return QStringLiteral("sqlite");
    case db::Engine::PostgreSQL:
        return QStringLiteral("postgresql");
    case db::Engine::SqlServer:
        return QStringLiteral("mssql");
    }
    return {};
}

QStringList schemaStatements(db::Engine engine)
{
    initSchemaResource();
    QFile file(QStringLiteral(":/schema/%1.sql").arg(schemaFileName(engine)));
    if (!file.open(QIODevice::ReadOnly))
        throw db::DbError(QStringLiteral("没有数据库结构文件 %1").arg(file.fileName()));
    QStringList statements;
    QString current;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed == QLatin1String("--;")) {
            if (!current.trimmed().isEmpty())
                statements.append(current.trimmed());
            current.clear();
        } else if (!trimmed.startsWith(QLatin1String("--"))) {
            current += line + QLatin1Char('\n');
        }
    }
    if (!current.trimmed().isEmpty())
        statements.append(current.trimmed());
    return statements;
}

static void createTables(const db::ConnectionSpec &spec)
{
    const auto driver = db::Driver::forEngine(spec.engine);
    const QString name = QStringLiteral("library-create");
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(driver->qtDriverName(), name);
        driver->configure(raw, spec);
        if (!raw.open())
            throw db::DbError(db::errorText(raw.lastError(), {}));
        if (spec.engine == db::Engine::SQLite) // as every connection will open it (db::Database)
            QSqlQuery(raw).exec(QStringLiteral("pragma journal_mode = wal"));
        const bool transactional = spec.engine != db::Engine::SqlServer;
        if (transactional)
            raw.transaction();
        for (const QString &statement : schemaStatements(spec.engine)) {
            QSqlQuery q(raw);
            if (!q.exec(statement)) {
                const QString text = db::errorText(q.lastError(), statement);
                if (transactional)
                    raw.rollback();
                raw.close();
                throw db::DbError(text);
            }
        }
        if (transactional)
            raw.commit();
        raw.close();
    }
    QSqlDatabase::removeDatabase(name);
}

static void insertRequiredRows(db::Database &database)
{
    using db::Money;
    db::Transaction transaction(database);
    db::Fields admin{{QStringLiteral("AdminName"), QStringLiteral("超级管理员")}, {QStringLiteral("pwd"), QStringLiteral("7394")}};
    for (const char *right : {"qxAdmin", "qxDel", "qxBk", "qxRd", "qxQk", "qxwp", "qxBkXg", "qxRdXg", "qxQkXg",
                              "qxwpxg", "qxborrow", "qxReturn", "qxSysSet", "qxAddData"})
        admin.append({QString::fromLatin1(right), true});
    database.insert(QStringLiteral("admin"), admin);

    database.insert(QStringLiteral("系统设置"),
                    {{QStringLiteral("图书馆名"), QStringLiteral("图书馆")},
                     {QStringLiteral("地址"), QString()},
                     {QStringLiteral("邮编"), QString()},
                     {QStringLiteral("电话"), QString()},
                     {QStringLiteral("负责人"), QString()},
                     {QStringLiteral("开户费"), QVariant::fromValue(Money())},
                     {QStringLiteral("借阅证背面文字"), QString()},
                     {QStringLiteral("归还焦点条形码"), true}});
    database.insert(QStringLiteral("读者类别"), {{QStringLiteral("类别名"), QStringLiteral("普通")},
                                                 {QStringLiteral("借阅天数"), 30},
                                                 {QStringLiteral("借阅数量限制"), 5},
                                                 {QStringLiteral("租金"), QVariant::fromValue(Money())}});
    database.insert(QStringLiteral("租金级别"),
                    {{QStringLiteral("名称"), QStringLiteral("普通")}, {QStringLiteral("租金"), QVariant::fromValue(Money())}});
    // The intake's default currency.
    database.insert(QStringLiteral("币种"), {{QStringLiteral("币种"), QStringLiteral("人民币")}});
    transaction.commit();
}

void createDatabase(const db::ConnectionSpec &spec)
{
    if (spec.engine == db::Engine::SQLite && QFileInfo::exists(spec.file))
        throw db::DbError(QStringLiteral("数据库文件已存在: %1").arg(spec.file));
    try {
        createTables(spec);
        db::Database database(spec, QString());
        insertRequiredRows(database);
    } catch (...) {
        if (spec.engine == db::Engine::SQLite)
            for (const char *suffix : {"", "-wal", "-shm"})
                QFile::remove(spec.file + QLatin1String(suffix));
        throw;
    }
}

} // namespace tools
