#pragma once

#include "db/Money.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>

namespace db {
class Database;
}

// The writes of the desks. Each runs inside the caller's Transaction (or its own), reads the rows
// it changes again, changes counters in SQL and touches rows only by their identity, so that two
// desks at once lose no update and a vanished row is never created again.
namespace circulation {

// One item of the pending list, as the desk shows it.
struct PendingItem {
    QString number;  // 编号
    QString barcode; // 条形码
    QString title;   // 名称
    QString kind;    // 图书 or 期刊
    db::Money rent;  // per day
};

// The reader a loan is written for: the row found by the desk's reader check.
struct Borrower {
    QVariant identity;
    QString number; // 读者编号
    QString name;   // 读者姓名
};

struct LendResult {
    bool lent = false;          // false: no copy left at the commit, nothing written
    bool itemMissing = false;   // the item's row is gone: the loan is written, no counter changed
    bool readerMissing = false; // the reader's row is gone: the loan is written, no counter changed
};

// One loan row and its four counters. Throws db::DbError.
// Takes the reader's row for the rest of the transaction. Every desk takes the reader before any
// item (and the items of one commit in one order), so that two desks on a server database never
// wait for each other in a circle.
void holdReader(db::Database &database, const QVariant &readerIdentity);

LendResult lend(db::Database &database, const PendingItem &item, const Borrower &reader, const QDate &today,
                int loanDays, const QString &admin);

// A return as the desk holds it.
struct ReturnOrder {
    QVariant loanId; // 借出记录.id
    int days = 1;    // 实际租期
    db::Money rent;  // 实际租金
    QString condition;                      // 物品状况
    std::optional<db::Money> compensation;  // 赔偿金额; nullopt keeps the stored one
    std::optional<QString> remark;          // 归还备注; nullopt keeps the stored one
    bool chargeCard = false;                // take the rent from 卡内金额
    QDate today;
    QString admin;
};

struct ReturnResult {
    bool returned = false; // false: the loan was returned meanwhile (another desk), nothing written
    bool itemMissing = false;
    bool readerMissing = false;
    QString kind, number, readerNumber; // of the loan, for the messages
};

// Closes one open loan, puts the copy back unless it came back damaged, lowers the reader's open
// loans and charges the rent. Throws db::DbError.
ReturnResult returnLoan(db::Database &database, const ReturnOrder &order);

} // namespace circulation
