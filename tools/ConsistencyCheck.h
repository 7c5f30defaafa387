#pragma once

#include <QString>
#include <QVariant>
#include <QList>
#include <QStringList>

namespace db {
class Database;
}

namespace tools {

// One disagreement between a stored counter and what the loan and ledger rows imply, or a row
// the program cannot attribute (an open loan of a deleted reader, a reader number used twice).
//
// What the rows imply, counter by counter:
// - 未还数量 (reader): exactly the reader's open loans (已还 = 否). Repaired to that number.
// - 累计借阅次数 (reader): at least the reader's loans; loan records may have been deleted since
//   (system initialisation), so only a count below them is wrong. Repaired up to that number.
// - 借出次数 (book, periodical): at least the item's loans, for the same reason. Repaired up.
// - 数量 (book, periodical): copies on the shelf; the loans tell only the change since intake,
//   not the copies bought, so only a negative count is reported. Never repaired.
// - 卡内金额 (reader): the reader's top-ups and refunds (收入, 项目 充值) less the rent of the
//   returned loans when the library charges rent. A library whose rent switch changed, or whose
//   ledger was deleted, disagrees without a fault, so this is reported and never repaired.
// Readers or items whose number is used twice cannot be told apart by their loans: reported,
// their counters left alone.
struct Finding {
    QString problem;  // in Chinese, e.g. "未还数量与借出记录不符"
    QString table;    // 读者库, 图书, 期刊, 借出记录
    QString number;   // 读者编号 or 编号
    QString name;     // 读者姓名 or 名称
    QString column;   // the counter, empty for rows without a counter
    QString recorded; // the value stored
    QString implied;  // what the rows imply ("≥ 5" for a lower bound)
    QVariant rowId;   // the row to repair (rowIdentity of the table)
    qint64 repairTo = -1; // the value a repair writes; < 0: not repairable

    bool repairable() const { return repairTo >= 0; }
};

QList<Finding> checkLibrary(db::Database &database);

// Recomputes the repairable counters in one transaction, checked again inside it. Returns the
// number of counters written. The caller takes the backup first (backupForRepair).
int repairLibrary(db::Database &database);

// The list's column captions, and one finding's values under them.
QStringList findingColumns();
QStringList findingFields(const Finding &f);

// The findings as a table for the terminal, and as CSV (UTF-8 with BOM, opens in spreadsheets).
QString findingsText(const QList<Finding> &findings);
void writeFindingsCsv(const QList<Finding> &findings, const QString &path);

} // namespace tools
