#include "db/Database.h"

#include "db/DbError.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

namespace db {

static QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("library-%1").arg(counter.fetchAndAddRelaxed(1));
}

QString errorText(const QSqlError &error, const QString &statement)
{
    QString text = error.databaseText().trimmed();
    const QString driverText = error.driverText().trimmed();
    if (text.isEmpty())
        text = driverText;
    else if (!driverText.isEmpty() && !text.contains(driverText))
        text += QStringLiteral("\n") + driverText;
    if (text.isEmpty())
        text = QStringLiteral("数据库错误");
    if (!statement.isEmpty())
        text += QStringLiteral("\n\n") + statement;
    return text;
}

Database::Database(const ConnectionSpec &spec, const QString &kind)
    : spec_(spec), kind_(kind), driver_(Driver::forEngine(spec.engine)), name_(nextConnectionName())
{
    open();
}

Database::~Database()
{
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

void Database::open()
{
    if (spec_.engine == Engine::SQLite && !QFileInfo(spec_.file).isFile())
        throw DbError(QStringLiteral("数据库文件不存在: %1").arg(spec_.file));
    if (!QSqlDatabase::isDriverAvailable(driver_->qtDriverName()))
        throw DbError(QStringLiteral("缺少数据库驱动 %1").arg(driver_->qtDriverName()));
    QSqlDatabase db = QSqlDatabase::contains(name_) ? QSqlDatabase::database(name_, false)
                                                    : QSqlDatabase::addDatabase(driver_->qtDriverName(), name_);
    driver_->configure(db, spec_);
    if (!db.open())
        throw DbError(errorText(db.lastError(), {}));
    if (spec_.engine == Engine::SQLite) {
        QSqlQuery pragma(db);
        pragma.exec(QStringLiteral("pragma foreign_keys = off"));
        // A file written by other programs must still hold our tables.
        if (!db.tables().contains(QStringLiteral("admin"), Qt::CaseInsensitive)) {
            db.close();
            throw DbError(QStringLiteral("不是图书管理系统的数据库文件: %1").arg(spec_.file));
        }
    }
}

QSqlDatabase Database::handle() const { return QSqlDatabase::database(name_, false); }

void Database::close()
{
    QSqlDatabase db = handle();
    db.close();
}

void Database::reopen()
{
    close();
    open();
}

const QSet<QString> &Database::schemaNames() const
{
    if (schemaNames_.isEmpty()) {
        const QSqlDatabase db = handle();
        for (const QString &table : db.tables()) {
            schemaNames_.insert(table.toLower());
            const QSqlRecord record = db.record(table);
            for (int i = 0; i < record.count(); ++i)
                schemaNames_.insert(record.fieldName(i).toLower());
        }
    }
    return schemaNames_;
}

QString Database::rowIdentity(const QString &table) const
{
    const QSqlRecord record = handle().record(table);
    const int id = record.indexOf(QStringLiteral("id"));
    return id >= 0 ? record.fieldName(id) : driver_->rowIdColumn();
}

bool Database::isSchemaName(const QString &name) const
{
    return schemaNames().contains(name.trimmed().toLower());
}

bool Database::hasTable(const QString &table) const
{
    return handle().tables().contains(table, Qt::CaseInsensitive);
}

bool Database::hasColumn(const QString &table, const QString &column) const
{
    return hasTable(table) && handle().record(table).indexOf(column) >= 0;
}

void Database::checkIdentifiers(const Sql &statement) const
{
    for (const QString &name : statement.identifiers())
        if (!isSchemaName(name))
            throw DbError(QStringLiteral("无效的表名或字段名: %1").arg(name));
}

QSqlQuery Database::prepare(const Sql &statement, bool forwardOnly)
{
    checkIdentifiers(statement);
    QString text = statement.preparedText();
    if (statement.rowLimit() > 0)
        text = driver_->withLimit(text, statement.rowLimit());
    QSqlQuery query(handle());
    query.setForwardOnly(forwardOnly);
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!query.prepare(text))
        throw DbError(errorText(query.lastError(), displayText(statement)));
    for (const QVariant &v : statement.boundValues())
        query.addBindValue(driver_->toStorage(v));
    return query;
}

void Database::run(QSqlQuery &query, const QString &what)
{
    if (!query.exec())
        throw DbError(errorText(query.lastError(), what));
}

Rows Database::select(const Sql &statement, bool forwardOnly)
{
    QSqlQuery query = prepare(statement, forwardOnly);
    run(query, displayText(statement));
    return Rows(std::move(query), *driver_, statement.declaredKinds());
}

int Database::exec(const Sql &statement)
{
    QSqlQuery query = prepare(statement);
    run(query, displayText(statement));
    return query.numRowsAffected();
}

static QString joined(const Fields &fields, const QString &suffix)
{
    QStringList parts;
    for (const auto &f : fields)
        parts.append(f.first + suffix);
    return parts.join(QStringLiteral(","));
}

QVariant Database::insert(const QString &table, const Fields &fields, const QString &returning)
{
    QStringList marks;
    for (qsizetype i = 0; i < fields.size(); ++i)
        marks.append(QStringLiteral("?"));
    QString text = QStringLiteral("insert into %1 (%2) values (%3)")
                       .arg(table, joined(fields, {}), marks.join(QLatin1Char(',')));
    if (!returning.isEmpty())
        text = driver_->insertReturning(text, returning);
    QSqlQuery query(handle());
    query.setForwardOnly(true);
    if (!query.prepare(text))
        throw DbError(errorText(query.lastError(), text));
    for (const auto &f : fields)
        query.addBindValue(driver_->toStorage(f.second));
    run(query, text);
    if (!returning.isEmpty() && query.next())
        return query.value(0);
    return {};
}

int Database::update(const QString &table, const Fields &fields, const Sql &where)
{
    Sql statement = Sql::fixed(QStringLiteral("update %1 set ").arg(table));
    for (qsizetype i = 0; i < fields.size(); ++i) {
        statement += Sql::fixed(QString(i ? QStringLiteral(",") : QString()) + fields[i].first + QStringLiteral("="));
        statement += Sql::value(fields[i].second);
    }
    statement += where;
    return exec(statement);
}

} // namespace db
