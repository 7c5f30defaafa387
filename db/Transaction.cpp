#include "db/Transaction.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/Driver.h"

namespace db {

static QString spoiledMessage()
{
    return QStringLiteral("操作的一部分没有完成, 整个操作已撤销, 未保存。");
}

Transaction::Transaction(Database &db) : db_(db)
{
    if (db.transactionDepth_ == 0) {
        db.beginTransaction();
        owner_ = true;
    }
    ++db.transactionDepth_;
}

void Transaction::commit()
{
    if (done_)
        return;
    done_ = true;
    --db_.transactionDepth_;
    if (db_.spoiled_) {
        if (owner_)
            db_.rollbackTransaction();
        throw DbError(spoiledMessage());
    }
    if (owner_)
        db_.commitTransaction();
}

Transaction::~Transaction()
{
    if (done_)
        return;
    --db_.transactionDepth_;
    if (owner_)
        db_.rollbackTransaction();
    else
        db_.spoiled_ = true;
}

Savepoint::Savepoint(Database &db) : db_(db)
{
    if (!db.inTransaction())
        throw DbError(QStringLiteral("保存点只能在事务之中"));
    // Named by depth: open ones differ, and line after line of an import repeats the same texts.
    name_ = QStringLiteral("lb_part_%1").arg(db.savepoints_ + 1);
    db.control(db.driver().savepoint(name_));
    ++db.savepoints_;
    spoiledBefore_ = db.spoiled_;
}

void Savepoint::rollBack() noexcept
{
    try {
        db_.control(db_.driver().rollbackToSavepoint(name_));
        const QString release = db_.driver().releaseSavepoint(name_);
        if (!release.isEmpty())
            db_.control(release);
    } catch (const DbError &) {
        // The transaction itself is gone (a lost connection): its owner's rollback says so.
    }
    db_.spoiled_ = spoiledBefore_;
    --db_.savepoints_;
}

void Savepoint::release()
{
    if (done_)
        return;
    done_ = true;
    if (db_.spoiled_ && !spoiledBefore_) {
        rollBack();
        throw DbError(spoiledMessage());
    }
    --db_.savepoints_;
    const QString release = db_.driver().releaseSavepoint(name_);
    if (!release.isEmpty())
        db_.control(release);
}

Savepoint::~Savepoint()
{
    if (!done_)
        rollBack();
}

} // namespace db
