#include "circulation/Loans.h"

#include "circulation/Circulation.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Transaction.h"

using db::Sql;

namespace circulation {

static const QString No = QStringLiteral("否");
static const QString Yes = QStringLiteral("是");

// The identity of the first row of `table` whose `column` holds `value`; invalid when none.
static QVariant identityOf(db::Database &database, const QString &table, const QString &column, const QString &value)
{
    Sql select = Sql::fixed(QStringLiteral("select %1 as %2 from %3 where %4=")
                                .arg(database.rowIdentity(table), Identity, table, column))
        + Sql::text(value);
    select.limit(1);
    db::Rows rows = database.select(select);
    return rows.next() ? rows.value(Identity) : QVariant();
}

static Sql byIdentity(db::Database &database, const QString &table, const QVariant &identity)
{
    return Sql::fixed(QStringLiteral(" where %1=").arg(database.rowIdentity(table))) + Sql::value(identity);
}

void holdReader(db::Database &database, const QVariant &readerIdentity)
{
    if (readerIdentity.isValid())
        database.exec(Sql("update 读者库 set 未还数量 = 未还数量") + byIdentity(database, QStringLiteral("读者库"), readerIdentity));
}

LendResult lend(db::Database &database, const PendingItem &item, const Borrower &reader, const QDate &today,
                int loanDays, const QString &admin)
{
    if (!isItemKind(item.kind))
        throw db::DbError(QStringLiteral("无效的类别: %1").arg(item.kind));
    db::Transaction transaction(database);
    LendResult result;
    // The item as it stands now: its copies may have gone to another desk since it was listed.
    const auto stored = firstRow(database, selectRow(database, item.kind) + Sql(" where 编号=") + Sql::text(item.number));
    if (stored) {
        const int taken = database.exec(Sql::fixed(QStringLiteral("update %1 set 数量 = 数量 - 1, 借出次数 = coalesce(借出次数, 0) + 1")
                                                       .arg(item.kind))
                                        + byIdentity(database, item.kind, stored->value(Identity)) + Sql(" and 数量 > 0"));
        if (taken == 0) {
            transaction.commit(); // nothing was written
            return result;
        }
    }
    result.itemMissing = !stored;
    auto column = [&](const char *name, const QString &fallback) {
        return stored ? stored->value(QString::fromUtf8(name)).toString() : fallback;
    };
    database.insert(QStringLiteral("借出记录"), {
                                                   {QStringLiteral("读者编号"), reader.number},
                                                   {QStringLiteral("读者姓名"), reader.name},
                                                   {QStringLiteral("编号"), item.number},
                                                   {QStringLiteral("名称"), column("名称", item.title)},
                                                   {QStringLiteral("条形码"), column("条形码", item.barcode)},
                                                   {QStringLiteral("类别"), item.kind},
                                                   {QStringLiteral("租金"), QVariant::fromValue(item.rent)},
                                                   {QStringLiteral("借阅日期"), today},
                                                   {QStringLiteral("应还日期"), today.addDays(loanDays)},
                                                   {QStringLiteral("借阅经手人"), admin},
                                                   {QStringLiteral("已还"), No},
                                                   {QStringLiteral("物品状况"), QStringLiteral("完好")},
                                               });
    const int counted = reader.identity.isValid()
        ? database.exec(Sql("update 读者库 set 未还数量 = coalesce(未还数量, 0) + 1, 累计借阅次数 = coalesce(累计借阅次数, 0) + 1")
                        + byIdentity(database, QStringLiteral("读者库"), reader.identity))
        : 0;
    result.readerMissing = counted == 0;
    transaction.commit();
    result.lent = true;
    return result;
}

ReturnResult returnLoan(db::Database &database, const ReturnOrder &order)
{
    db::Transaction transaction(database);
    ReturnResult result;
    const auto loan = firstRow(database, Sql("select * from 借出记录 where id=") + Sql::value(order.loanId));
    if (!loan) {
        transaction.commit(); // nothing to write
        return result;
    }
    result.kind = loan->value(QStringLiteral("类别")).toString();
    result.number = loan->value(QStringLiteral("编号")).toString();
    result.readerNumber = loan->value(QStringLiteral("读者编号")).toString();

    db::Fields fields{{QStringLiteral("已还"), Yes},
                      {QStringLiteral("归还日期"), order.today},
                      {QStringLiteral("归还经手人"), order.admin},
                      {QStringLiteral("实际租期"), order.days},
                      {QStringLiteral("实际租金"), QVariant::fromValue(order.rent)},
                      {QStringLiteral("物品状况"), order.condition}};
    if (order.compensation)
        fields.append({QStringLiteral("赔偿金额"), QVariant::fromValue(*order.compensation)});
    if (order.remark)
        fields.append({QStringLiteral("归还备注"), *order.remark});
    // Only an open loan is closed: a second desk returning the same loan changes nothing.
    if (database.update(QStringLiteral("借出记录"), fields,
                        Sql(" where id=") + Sql::value(order.loanId) + Sql(" and 已还=") + Sql::text(No))
        == 0) {
        transaction.commit(); // nothing was written
        return result;
    }
    result.returned = true;

    const QString readers = QStringLiteral("读者库");
    const QVariant reader = identityOf(database, readers, QStringLiteral("读者编号"), result.readerNumber);
    holdReader(database, reader);
    if (order.condition != QStringLiteral("破损")) {
        const QVariant item = isItemKind(result.kind)
            ? identityOf(database, result.kind, QStringLiteral("编号"), result.number)
            : QVariant();
        if (item.isValid())
            database.exec(Sql::fixed(QStringLiteral("update %1 set 数量 = 数量 + 1").arg(result.kind))
                          + byIdentity(database, result.kind, item));
        result.itemMissing = !item.isValid();
    }

    if (reader.isValid()) {
        Sql update("update 读者库 set 未还数量 = coalesce(未还数量, 0) - 1");
        if (order.chargeCard)
            update += Sql(", 卡内金额 = 卡内金额 - ") + Sql::money(order.rent);
        database.exec(update + byIdentity(database, readers, reader));
    }
    result.readerMissing = !reader.isValid();
    transaction.commit();
    return result;
}

} // namespace circulation
