#include "db/Driver.h"

#include "db/Sql.h"

#include <QRegularExpression>

namespace db {

std::unique_ptr<Driver> Driver::forEngine(Engine engine)
{
    switch (engine) {
    case Engine::SQLite:
        return std::make_unique<SqliteDriver>();
    case Engine::PostgreSQL:
        return std::make_unique<PgsqlDriver>();
    case Engine::SqlServer:
        return std::make_unique<MssqlDriver>();
    }
    return nullptr;
}

QVariant Driver::toStorage(const QVariant &value) const
{
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>().toString(4);
    return value;
}

Money Driver::moneyFromStorage(const QVariant &stored) const
{
    return Money::fromVariant(stored);
}

QDate Driver::dateFromStorage(const QVariant &stored) const
{
    if (!stored.isValid() || stored.isNull())
        return {};
    if (stored.typeId() == QMetaType::QDate)
        return stored.toDate();
    if (stored.typeId() == QMetaType::QDateTime)
        return stored.toDateTime().date();
    const QString text = stored.toString().trimmed();
    QDate d = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid())
        d = QDate::fromString(text, QStringLiteral("yyyy-M-d"));
    return d;
}

bool Driver::yesFromStorage(const QVariant &stored) const
{
    if (stored.typeId() == QMetaType::QString) {
        const QString t = stored.toString().trimmed().toLower();
        return t == QLatin1String("1") || t == QLatin1String("true") || t == QLatin1String("t")
            || t == QLatin1String("-1") || t == QLatin1String("yes");
    }
    return stored.toLongLong() != 0 || stored.toBool();
}

QString Driver::quoteIdentifier(const QString &name) const
{
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// SQLite and SQL Server already put nulls first when ascending and last when descending.
QString Driver::orderTerm(const QString &expression, bool descending) const
{
    return expression + (descending ? QStringLiteral(" desc") : QStringLiteral(" asc"));
}

QString Driver::paged(const QString &statement, const QString &orderBy, qint64 offset, int rows) const
{
    QString out = statement;
    if (!orderBy.isEmpty())
        out += QStringLiteral(" order by ") + orderBy;
    return out + QStringLiteral(" limit %1 offset %2").arg(rows).arg(offset);
}

QString Driver::castToText(const QString &expression) const
{
    return QStringLiteral("cast(%1 as text)").arg(expression);
}

// --- SQLite ---------------------------------------------------------------------------------

void SqliteDriver::configure(QSqlDatabase &db, const ConnectionSpec &spec) const
{
    db.setDatabaseName(spec.file);
    // Several desks may open the same file: wait for a writer instead of failing at once.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(spec.timeoutSeconds * 1000));
}

QString SqliteDriver::withLimit(const QString &statement, int rows) const
{
    return statement + QStringLiteral(" limit %1").arg(rows);
}

QString SqliteDriver::insertReturning(const QString &insert, const QString &column) const
{
    return insert + QStringLiteral(" returning ") + column;
}

// A write transaction takes the write lock at its start: a deferred one that read first could not
// wait for another writer (SQLite refuses at once, to avoid a deadlock).
QString SqliteDriver::beginStatement() const { return QStringLiteral("begin immediate"); }

// Money is kept as integer ten-thousandths: exact in sums and in balance updates.
QVariant SqliteDriver::toStorage(const QVariant &value) const
{
    if (value.metaType() == QMetaType::fromType<Money>())
        return QVariant::fromValue<qlonglong>(value.value<Money>().raw());
    return value;
}

QString SqliteDriver::amountAsText(const QString &expression) const
{
    return QStringLiteral("printf('%.4f', %1 / 10000.0)").arg(expression);
}

Money SqliteDriver::moneyFromStorage(const QVariant &stored) const
{
    if (!stored.isValid() || stored.isNull())
        return {};
    switch (stored.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return Money::fromRaw(stored.toLongLong());
    case QMetaType::Double:
        return Money::fromRaw(std::llround(stored.toDouble()));
    default: {
        bool ok = false;
        const qlonglong raw = stored.toString().toLongLong(&ok);
        return ok ? Money::fromRaw(raw) : Money::fromRaw(std::llround(stored.toDouble()));
    }
    }
}

// --- PostgreSQL -----------------------------------------------------------------------------

void PgsqlDriver::configure(QSqlDatabase &db, const ConnectionSpec &spec) const
{
    db.setHostName(spec.host);
    if (spec.port > 0)
        db.setPort(spec.port);
    db.setDatabaseName(spec.database);
    db.setUserName(spec.user);
    db.setPassword(spec.password);
    db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(spec.timeoutSeconds));
}

QString PgsqlDriver::withLimit(const QString &statement, int rows) const
{
    return statement + QStringLiteral(" limit %1").arg(rows);
}

QString PgsqlDriver::insertReturning(const QString &insert, const QString &column) const
{
    return insert + QStringLiteral(" returning ") + column;
}

QString PgsqlDriver::orderTerm(const QString &expression, bool descending) const
{
    // PostgreSQL puts nulls last when ascending; keep the order of the other engines.
    return expression + (descending ? QStringLiteral(" desc nulls last") : QStringLiteral(" asc nulls first"));
}

// --- SQL Server -----------------------------------------------------------------------------

void MssqlDriver::configure(QSqlDatabase &db, const ConnectionSpec &spec) const
{
    db.setDatabaseName(odbcConnectString(spec));
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1")
                             .arg(spec.timeoutSeconds));
}

QString MssqlDriver::withLimit(const QString &statement, int rows) const
{
    return insertTop(statement, QStringLiteral("top %1 ").arg(rows));
}

// The top n percent of the rows, as the SQL Server libraries have always drawn their rankings.
QString MssqlDriver::withRankingTop(const QString &statement, int n) const
{
    return insertTop(statement, QStringLiteral("top %1 percent ").arg(n));
}

QString MssqlDriver::insertReturning(const QString &insert, const QString &column) const
{
    static const QRegularExpression values(QStringLiteral("\\)\\s*values\\s*\\("),
                                           QRegularExpression::CaseInsensitiveOption);
    QString out = insert;
    const auto m = values.match(out);
    if (m.hasMatch())
        out.insert(m.capturedStart() + 1, QStringLiteral(" output inserted.") + column);
    return out;
}

QString MssqlDriver::quoteIdentifier(const QString &name) const
{
    QString escaped = name;
    escaped.replace(QLatin1Char(']'), QStringLiteral("]]"));
    return QLatin1Char('[') + escaped + QLatin1Char(']');
}

// offset .. fetch needs an ORDER BY; "(select null)" keeps the engine's own order.
QString MssqlDriver::paged(const QString &statement, const QString &orderBy, qint64 offset, int rows) const
{
    return statement + QStringLiteral(" order by ") + (orderBy.isEmpty() ? QStringLiteral("(select null)") : orderBy)
        + QStringLiteral(" offset %1 rows fetch next %2 rows only").arg(offset).arg(rows);
}

QString MssqlDriver::castToText(const QString &expression) const
{
    return QStringLiteral("cast(%1 as nvarchar(4000))").arg(expression);
}

} // namespace db
