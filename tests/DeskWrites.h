#pragma once

#include "db/Database.h"
#include "db/Sql.h"
#include "db/Transaction.h"

#include <QString>

// What a desk does to a shared library many times a day, for the tests of writers at once: it looks
// the item up, then in one transaction reads its copies again, takes one off in SQL and books a
// ledger row.
namespace DeskWrites {

inline const QString Item = QStringLiteral("DESK");

inline void run(db::Database &database, int rounds, const QString &desk)
{
    for (int i = 0; i < rounds; ++i) {
        db::Rows item = database.select(db::Sql("select * from 图书 where 编号=") + db::Sql::text(Item));
        item.next(); // still open while the desk writes
        db::Transaction transaction(database);
        db::Rows copies = database.select(db::Sql("select 数量 from 图书 where 编号=") + db::Sql::text(Item));
        copies.next();
        database.exec(db::Sql("update 图书 set 数量 = 数量 - 1 where 编号=") + db::Sql::text(Item));
        database.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), desk}});
        transaction.commit();
    }
}

} // namespace DeskWrites
