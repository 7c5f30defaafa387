#include "db/Transaction.h"

#include "db/Database.h"
#include "db/DbError.h"

#include <QHash>
#include <QSqlError>

namespace db {

// Depth per connection, so that an operation calling another joins its transaction.
static QHash<QString, int> &depths()
{
    static QHash<QString, int> d;
    return d;
}

Transaction::Transaction(Database &db) : db_(db)
{
    int &depth = depths()[db.connectionName()];
    if (depth == 0) {
        QSqlDatabase handle = db.handle();
        if (!handle.transaction())
            throw DbError(errorText(handle.lastError(), QStringLiteral("begin transaction")));
        owner_ = true;
    }
    ++depth;
}

void Transaction::commit()
{
    if (done_)
        return;
    done_ = true;
    int &depth = depths()[db_.connectionName()];
    --depth;
    if (owner_) {
        QSqlDatabase handle = db_.handle();
        if (!handle.commit()) {
            const QSqlError error = handle.lastError();
            handle.rollback();
            throw DbError(errorText(error, QStringLiteral("commit")));
        }
    }
}

Transaction::~Transaction()
{
    if (done_)
        return;
    int &depth = depths()[db_.connectionName()];
    --depth;
    if (owner_)
        db_.handle().rollback();
}

} // namespace db
