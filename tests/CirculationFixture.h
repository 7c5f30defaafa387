#pragma once

#include "app/Session.h"
#include "db/Database.h"
#include "db/Money.h"
#include "db/Sql.h"

#include <QDate>
#include <QString>
#include <QVariant>

// Rows of a small library for the circulation tests and the desks run beside them.
namespace fixture {

using db::Money;

inline Money money(const char *amount) { return *Money::parse(QString::fromLatin1(amount)); }

inline void addKind(db::Database &db, const QString &name, int days, int limit, Money rent = {})
{
    db.insert(QStringLiteral("读者类别"), {{QStringLiteral("类别名"), name},
                                         {QStringLiteral("借阅天数"), days},
                                         {QStringLiteral("借阅数量限制"), limit},
                                         {QStringLiteral("租金"), QVariant::fromValue(rent)}});
}

struct Reader {
    QString number;
    QString name = QStringLiteral("张三");
    QString kind = QStringLiteral("普通");
    QDate validUntil = {};
    Money balance = {};
    int outstanding = 0;
    QString py = {};
};

inline void addReader(db::Database &db, const Reader &r)
{
    db::Fields fields{{QStringLiteral("读者编号"), r.number},   {QStringLiteral("读者姓名"), r.name},
                      {QStringLiteral("性别"), QStringLiteral("男")}, {QStringLiteral("类别"), r.kind},
                      {QStringLiteral("卡内金额"), QVariant::fromValue(r.balance)},
                      {QStringLiteral("未还数量"), r.outstanding}, {QStringLiteral("累计借阅次数"), r.outstanding},
                      {QStringLiteral("py"), r.py}};
    if (r.validUntil.isValid())
        fields.append({QStringLiteral("有效期"), r.validUntil});
    db.insert(QStringLiteral("读者库"), fields);
}

struct Item {
    QString number;
    QString barcode = {};
    int copies = 1;
    QString level = {};
    QString title = {};
    int lent = 0; // 借出次数
};

inline void addItem(db::Database &db, const QString &table, const Item &item)
{
    db.insert(table, {{QStringLiteral("编号"), item.number},
                      {QStringLiteral("条形码"), item.barcode.isEmpty() ? QStringLiteral("BC-") + item.number : item.barcode},
                      {QStringLiteral("名称"), item.title.isEmpty() ? QStringLiteral("书名") + item.number : item.title},
                      {QStringLiteral("数量"), item.copies},
                      {QStringLiteral("存放位置"), QStringLiteral("A区") + item.number},
                      {QStringLiteral("租金级别"), item.level},
                      {QStringLiteral("借出次数"), item.lent}});
}

struct Loan {
    QString reader;
    QString item;
    QString kind = QStringLiteral("图书");
    QDate lentOn;
    QDate dueOn = {};
    Money rent = {};
    bool returned = false;
    QDate returnedOn = {};
    Money price = {}, actualRent = {}, compensation = {};
};

inline qint64 addLoan(db::Database &db, const Loan &l)
{
    db::Fields fields{{QStringLiteral("读者编号"), l.reader},
                      {QStringLiteral("读者姓名"), QStringLiteral("张三")},
                      {QStringLiteral("编号"), l.item},
                      {QStringLiteral("名称"), QStringLiteral("书名") + l.item},
                      {QStringLiteral("条形码"), QStringLiteral("BC-") + l.item},
                      {QStringLiteral("类别"), l.kind},
                      {QStringLiteral("租金"), QVariant::fromValue(l.rent)},
                      {QStringLiteral("借阅日期"), l.lentOn},
                      {QStringLiteral("应还日期"), l.dueOn.isValid() ? l.dueOn : l.lentOn.addDays(30)},
                      {QStringLiteral("借阅经手人"), QStringLiteral("甲")},
                      {QStringLiteral("已还"), l.returned ? QStringLiteral("是") : QStringLiteral("否")},
                      {QStringLiteral("物品状况"), QStringLiteral("完好")},
                      {QStringLiteral("价格"), QVariant::fromValue(l.price)},
                      {QStringLiteral("实际租金"), QVariant::fromValue(l.actualRent)},
                      {QStringLiteral("赔偿金额"), QVariant::fromValue(l.compensation)}};
    if (l.returnedOn.isValid())
        fields.append({QStringLiteral("归还日期"), l.returnedOn});
    return db.insert(QStringLiteral("借出记录"), fields, QStringLiteral("id")).toLongLong();
}

// A whole number the statement selects (a count, a counter).
inline qint64 scalar(db::Database &db, const db::Sql &select)
{
    db::Rows rows = db.select(select);
    return rows.next() ? rows.integer(rows.record().fieldName(0)) : -1;
}

inline qint64 counter(db::Database &db, const QString &table, const QString &column, const QString &keyColumn,
                      const QString &key)
{
    return scalar(db, db::Sql::fixed(QStringLiteral("select %1 from %2 where %3=").arg(column, table, keyColumn))
                          + db::Sql::text(key));
}

inline Money balance(db::Database &db, const QString &reader)
{
    db::Rows rows = db.select(db::Sql("select 卡内金额 from 读者库 where 读者编号=") + db::Sql::text(reader));
    return rows.next() ? rows.money(QStringLiteral("卡内金额")) : Money();
}

// The Session of a desk working on `database`.
inline void openSession(db::Database &database, const QString &kind)
{
    Session &s = Session::instance();
    s.database = &database;
    s.DatabaseKind = kind;
    s.adminname = QStringLiteral("管理员甲");
    s.setAll(true);
}

} // namespace fixture
