#include "db/Database.h"

#include "db/Amounts.h"
#include "db/DbError.h"
#include "db/Transaction.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryFile>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace db {

static QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("library-%1").arg(counter.fetchAndAddRelaxed(1));
}

QString errorText(const QSqlError &error, const QString &statement)
{
    // libpq indents its hint lines with tabs, which a message box shows ragged.
    static const QRegularExpression indent(QStringLiteral("\n[ \t]+"));
    QString text = error.databaseText().trimmed().replace(indent, QStringLiteral("\n"));
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
    prepared_.clear();
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
        // Readers never wait for a writer, and a writer waits for another (the busy timeout)
        // instead of failing. The mode stays with the file; where the folder does not allow
        // the WAL's side files the file keeps its journal, and works as before.
        pragma.exec(QStringLiteral("pragma journal_mode = wal"));
        // The undo copies of a savepoint stay in memory: an import takes one per line, and
        // on a file each would be a write of its own.
        pragma.exec(QStringLiteral("pragma temp_store = memory"));
    }
}

QSqlDatabase Database::handle() const { return QSqlDatabase::database(name_, false); }

void Database::close()
{
    prepared_.clear();
    QSqlDatabase db = handle();
    if (db.isOpen() && spec_.engine == Engine::SQLite) {
        QSqlQuery checkpoint(db);
        checkpoint.exec(QStringLiteral("pragma wal_checkpoint(truncate)"));
    }
    db.close();
}

void Database::reopen()
{
    close();
    open();
}

void Database::backupTo(const QString &path)
{
    const QString statement = driver_->backupStatement();
    if (statement.isEmpty())
        throw DbError(QStringLiteral("服务器上的数据库由服务器的备份工具备份, 本程序不能复制它。"));
    if (inTransaction())
        throw DbError(QStringLiteral("事务尚未结束, 不能备份。"));
    const QFileInfo target(path);
    const QString own = QFileInfo(spec_.file).canonicalFilePath();
    if (target.exists() && target.canonicalFilePath() == own)
        throw DbError(QStringLiteral("不能把数据库备份到它自己的文件上: %1").arg(QDir::toNativeSeparators(path)));
    // VACUUM cannot run while a select of this connection is unfinished.
    endReads();

    // The copy goes into an empty file beside the target (which "vacuum into" accepts), and takes
    // the target's place only once it is complete.
    QTemporaryFile part(target.absoluteDir().filePath(target.fileName() + QStringLiteral(".XXXXXX.part")));
    if (!part.open())
        throw DbError(QStringLiteral("无法写入备份文件 %1: %2")
                          .arg(QDir::toNativeSeparators(target.absoluteFilePath()), part.errorString()));
    QSqlQuery query(handle());
    if (!query.prepare(statement))
        throw DbError(errorText(query.lastError(), statement));
    query.addBindValue(part.fileName());
    run(query, statement);
    query.finish();
    if (::fsync(part.handle()) != 0)
        throw DbError(QStringLiteral("无法写入备份文件 %1").arg(QDir::toNativeSeparators(part.fileName())));
    part.close();

    // Side files of an earlier copy that was opened would be read into the new one.
    for (const char *side : {"-wal", "-shm", "-journal"})
        QFile::remove(target.absoluteFilePath() + QLatin1String(side));
    if (std::rename(QFile::encodeName(part.fileName()).constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        throw DbError(QStringLiteral("无法写入备份文件 %1").arg(QDir::toNativeSeparators(target.absoluteFilePath())));
    part.setAutoRemove(false);
}

const QSet<QString> &Database::schemaNames() const
{
    if (schemaNames_.isEmpty()) {
        beforeStatement();
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
    // Asked at every desk operation; the schema answers once per table.
    const QString key = table.toLower();
    if (const auto known = identities_.constFind(key); known != identities_.cend())
        return *known;
    beforeStatement();
    const QSqlRecord record = handle().record(table);
    const int id = record.indexOf(QStringLiteral("id"));
    const QString identity = id >= 0 ? record.fieldName(id) : driver_->rowIdColumn();
    if (!record.isEmpty())
        identities_.insert(key, identity);
    return identity;
}

bool Database::isSchemaName(const QString &name) const
{
    return schemaNames().contains(name.trimmed().toLower());
}

bool Database::hasTable(const QString &table) const
{
    beforeStatement();
    return handle().tables().contains(table, Qt::CaseInsensitive);
}

bool Database::hasColumn(const QString &table, const QString &column) const
{
    beforeStatement();
    return hasTable(table) && handle().record(table).indexOf(column) >= 0;
}

void Database::checkIdentifiers(const Sql &statement) const
{
    for (const QString &name : statement.identifiers())
        if (!isSchemaName(name))
            throw DbError(QStringLiteral("无效的表名或字段名: %1").arg(name));
}

// The statement's text for this engine with "?" for every value, and its values as the engine
// stores them: amounts beside money columns as Money (Amounts.h), a contains-search with the
// engine's operator that ignores letter case.
struct Prepared {
    QString text;
    QVariantList values;
};

static Prepared prepared(const Sql &statement, const Driver &driver)
{
    static const QRegularExpression likeAtEnd(QStringLiteral("\\blike\\s*$"), QRegularExpression::CaseInsensitiveOption);
    Prepared out;
    const QVariantList values = statement.boundValues();
    qsizetype next = 0;
    for (const Sql::Piece &piece : statement.pieces()) {
        if (piece.kind == Sql::PieceKind::Fixed || piece.kind == Sql::PieceKind::Identifier) {
            out.text += piece.text;
            continue;
        }
        QVariant value = values.at(next++);
        if (piece.kind == Sql::PieceKind::Like) {
            const auto like = likeAtEnd.match(out.text);
            if (like.hasMatch())
                out.text.replace(like.capturedStart(), 4, driver.likeOperator());
        } else if (piece.kind == Sql::PieceKind::Text || piece.kind == Sql::PieceKind::Value) {
            value = boundValue(out.text, value);
        }
        out.values.append(driver.toStorage(value));
        out.text += QLatin1Char('?');
    }
    if (statement.isRankingTop())
        out.text = driver.withRankingTop(out.text, statement.rowLimit());
    else if (statement.rowLimit() > 0)
        out.text = driver.withLimit(out.text, statement.rowLimit());
    return out;
}

QString Database::preparedText(const Sql &statement, const Driver &driver)
{
    return prepared(statement, driver).text;
}

QSqlQuery Database::prepare(const Sql &statement, bool forwardOnly)
{
    checkIdentifiers(statement);
    if (observer_)
        observer_(statement);
    beforeStatement();
    const Prepared p = prepared(statement, *driver_);
    QSqlQuery query(handle());
    query.setForwardOnly(forwardOnly);
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!query.prepare(p.text))
        throw DbError(errorText(query.lastError(), displayText(statement)));
    for (const QVariant &v : p.values)
        query.addBindValue(v);
    return query;
}

void Database::run(QSqlQuery &query, const QString &what)
{
    if (!query.exec())
        throw DbError(errorText(query.lastError(), what));
}

// The display text is built only for the error display: a desk runs many statements a second.
static void execute(QSqlQuery &query, const Database &database, const Sql &statement)
{
    if (!query.exec())
        throw DbError(errorText(query.lastError(), database.displayText(statement)));
}

Rows Database::select(const Sql &statement, bool forwardOnly)
{
    QSqlQuery query = prepare(statement, forwardOnly);
    execute(query, *this, statement);
    Rows rows(std::move(query), *driver_, statement.declaredKinds());
    if (driver_->unfinishedReads() != Driver::UnfinishedReads::Harmless) {
        if (reads_.size() >= 64)
            std::erase_if(reads_, [](const auto &read) { return read.expired(); });
        reads_.push_back(rows.state());
    }
    return rows;
}

int Database::exec(const Sql &statement)
{
    QSqlQuery query = prepare(statement);
    execute(query, *this, statement);
    return query.numRowsAffected();
}

static QStringList columnsOf(const Fields &fields)
{
    QStringList columns;
    for (const auto &f : fields)
        columns.append(f.first);
    return columns;
}

// The insert as a statement of values, for the observer.
static Sql insertStatement(const QString &table, const Fields &fields)
{
    Sql statement = Sql::fixed(QStringLiteral("insert into %1 (%2) values (").arg(table, columnsOf(fields).join(QLatin1Char(','))));
    for (qsizetype i = 0; i < fields.size(); ++i)
        statement += Sql::fixed(i ? QStringLiteral(",") : QString()) + Sql::value(fieldValue(fields[i].first, fields[i].second));
    return statement + ")";
}

// insert into table (columns) values (?, ...)
static QString insertText(const QString &table, const QStringList &columns)
{
    const QString marks = QStringLiteral("?,").repeated(columns.size()).chopped(columns.isEmpty() ? 0 : 1);
    return QStringLiteral("insert into %1 (%2) values (%3)").arg(table, columns.join(QLatin1Char(',')), marks);
}

QVariant Database::insert(const QString &table, const Fields &fields, const QString &returning)
{
    QString text = insertText(table, columnsOf(fields));
    if (!returning.isEmpty())
        text = driver_->insertReturning(text, returning);
    if (observer_)
        observer_(insertStatement(table, fields));
    beforeStatement();
    QSqlQuery &query = preparedStatement(text);
    for (qsizetype i = 0; i < fields.size(); ++i)
        query.bindValue(int(i), driver_->toStorage(fieldValue(fields[i].first, fields[i].second)));
    QVariant value;
    try {
        run(query, text);
        if (!returning.isEmpty() && query.next())
            value = query.value(0);
    } catch (...) {
        query.finish();
        throw;
    }
    // Reset, not finalized: the statement holds nothing between two rows of an import.
    query.finish();
    return value;
}

// An import inserts the same columns row after row: each text is prepared once. The few kept
// are dropped when the connection closes.
QSqlQuery &Database::preparedStatement(const QString &text)
{
    auto found = prepared_.find(text);
    if (found != prepared_.end())
        return *found;
    if (prepared_.size() >= 32)
        prepared_.clear();
    QSqlQuery query(handle());
    query.setForwardOnly(true);
    if (!query.prepare(text))
        throw DbError(errorText(query.lastError(), text));
    return *prepared_.insert(text, std::move(query));
}

PreparedInsert::PreparedInsert(Database &database, const QString &table, const QStringList &columns)
    : db_(database), table_(table), columns_(columns), text_(insertText(table, columns))
{
    for (const QString &column : columns)
        money_.append(columnKind(column) == ColumnKind::Money);
}

void PreparedInsert::insert(const QVariantList &values)
{
    Q_ASSERT(values.size() == columns_.size());
    if (db_.observer_) {
        Fields fields;
        for (qsizetype i = 0; i < columns_.size(); ++i)
            fields.append({columns_.at(i), values.at(i)});
        db_.observer_(insertStatement(table_, fields));
    }
    db_.beforeStatement();
    QSqlQuery &query = db_.preparedStatement(text_);
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant &value = values.at(i);
        query.bindValue(int(i), db_.driver().toStorage(money_.at(i) ? fieldValue(columns_.at(i), value) : value));
    }
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        query.finish();
        throw DbError(errorText(error, text_));
    }
    query.finish();
}

Sql Database::updateStatement(const QString &table, const Fields &fields) const
{
    Sql statement = Sql::fixed(QStringLiteral("update %1 set ").arg(table));
    for (qsizetype i = 0; i < fields.size(); ++i) {
        statement += Sql::fixed(QString(i ? QStringLiteral(",") : QString()) + fields[i].first + QStringLiteral("="));
        statement += Sql::value(fieldValue(fields[i].first, fields[i].second));
    }
    return statement;
}

int Database::update(const QString &table, const Fields &fields, const Sql &where)
{
    return exec(updateStatement(table, fields) + where);
}

Sql Database::identityCondition(const QString &table, const QVariant &rowId) const
{
    if (!hasTable(table))
        throw DbError(QStringLiteral("无效的表名: %1").arg(table));
    return Sql::fixed(QStringLiteral(" where %1=").arg(rowIdentity(table))) + Sql::value(rowId);
}

// One change that must touch exactly one row, undone (alone) when it does not.
void Database::changeOne(const Sql &statement, const QString &verb)
{
    std::optional<Transaction> own;
    if (!inTransaction())
        own.emplace(*this);
    Savepoint change(*this);
    const int rows = exec(statement);
    if (rows == 0)
        throw DbError(QStringLiteral("该记录已不存在 (可能已被其他用户删除), 未%1。").arg(verb));
    if (rows != 1)
        throw DbError(QStringLiteral("条件匹配多条记录 (%1 条), 未%2。").arg(rows).arg(verb));
    change.release();
    if (own)
        own->commit();
}

void Database::updateRow(const QString &table, const QVariant &rowId, const Fields &fields)
{
    updateOne(table, fields, identityCondition(table, rowId));
}

void Database::deleteRow(const QString &table, const QVariant &rowId)
{
    deleteOne(table, identityCondition(table, rowId));
}

void Database::updateOne(const QString &table, const Fields &fields, const Sql &where)
{
    changeOne(updateStatement(table, fields) + where, QStringLiteral("保存"));
}

void Database::deleteOne(const QString &table, const Sql &where)
{
    changeOne(Sql::fixed(QStringLiteral("delete from %1").arg(table)) + where, QStringLiteral("删除"));
}

// --- transactions -----------------------------------------------------------------------------

void Database::control(const QString &statement)
{
    beforeStatement();
    // SQLite prepares a savepoint like any statement, so an import's one per line is parsed
    // once; a server takes it as plain text.
    if (spec_.engine == Engine::SQLite) {
        QSqlQuery &query = preparedStatement(statement);
        const bool done = query.exec();
        query.finish();
        if (!done)
            throw DbError(errorText(query.lastError(), statement));
        return;
    }
    QSqlQuery query(handle());
    if (!query.exec(statement))
        throw DbError(errorText(query.lastError(), statement));
}

// Takes the rest of this connection's unfinished selects into memory, where the engine would
// otherwise let them hold a snapshot or cut them short; their Rows read on from there.
void Database::endReads() const
{
    for (const auto &read : reads_)
        if (const auto state = read.lock(); state && Rows::isUnfinished(*state))
            Rows::buffer(*state);
    reads_.clear();
}

void Database::beforeStatement() const
{
    if (driver_->unfinishedReads() == Driver::UnfinishedReads::EndAtNextStatement)
        endReads();
}

void Database::beginTransaction()
{
    if (driver_->unfinishedReads() != Driver::UnfinishedReads::Harmless)
        endReads();
    const QString begin = driver_->beginStatement();
    if (!begin.isEmpty()) {
        control(begin);
        return;
    }
    QSqlDatabase db = handle();
    if (!db.transaction())
        throw DbError(errorText(db.lastError(), QStringLiteral("begin transaction")));
}

void Database::commitTransaction()
{
    beforeStatement();
    QSqlDatabase db = handle();
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        rollbackTransaction();
        throw DbError(errorText(error, QStringLiteral("commit")));
    }
    spoiled_ = false;
}

void Database::rollbackTransaction() noexcept
{
    beforeStatement();
    handle().rollback();
    spoiled_ = false;
}

} // namespace db
