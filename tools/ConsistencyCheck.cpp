#include "tools/ConsistencyCheck.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/Money.h"
#include "db/Sql.h"
#include "db/Transaction.h"

#include <QFile>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSet>
#include <QStringList>

using db::Money;
using db::Sql;

namespace tools {
namespace {

struct Tally {
    qint64 open = 0;
    qint64 all = 0;
};

QString itemKey(const QString &table, const QString &number) { return table + QLatin1Char('/') + number; }

// Loans per reader and per item (类别/编号).
struct LoanTallies {
    QHash<QString, Tally> readers;
    QHash<QString, Tally> items;
    QHash<QString, QString> readerNames; // from the loans, for readers that no longer exist
    QHash<QString, QString> itemNames;
};

LoanTallies tallyLoans(db::Database &database)
{
    LoanTallies t;
    db::Rows rows = database.select(Sql("select 读者编号, 读者姓名, 类别, 编号, 名称, 已还 from 借出记录"));
    while (rows.next()) {
        const bool open = rows.text(QStringLiteral("已还")) == QStringLiteral("否");
        const QString reader = rows.text(QStringLiteral("读者编号"));
        const QString item = itemKey(rows.text(QStringLiteral("类别")), rows.text(QStringLiteral("编号")));
        for (Tally *one : {&t.readers[reader], &t.items[item]}) {
            one->all += 1;
            one->open += open ? 1 : 0;
        }
        t.readerNames.insert(reader, rows.text(QStringLiteral("读者姓名")));
        t.itemNames.insert(item, rows.text(QStringLiteral("名称")));
    }
    return t;
}

// What the ledger and the returns imply for each card, by trimmed reader number: the reader
// search stores numbers trimmed, the ledger as typed.
QHash<QString, Money> impliedBalances(db::Database &database)
{
    QHash<QString, Money> balances;
    db::Rows topUps = database.select(Sql("select 读者编号, 金额 from 收入 where 项目=") + Sql::text(QStringLiteral("充值")));
    while (topUps.next())
        balances[topUps.text(QStringLiteral("读者编号")).trimmed()] += topUps.money(QStringLiteral("金额"));
    db::Rows settings = database.select(Sql("select 启用租金功能 from 系统设置"));
    if (!settings.next() || !settings.yes(QStringLiteral("启用租金功能")))
        return balances;
    db::Rows rents = database.select(Sql("select 读者编号, 实际租金 from 借出记录 where 已还=") + Sql::text(QStringLiteral("是")));
    while (rents.next())
        if (!rents.isNull(QStringLiteral("实际租金")))
            balances[rents.text(QStringLiteral("读者编号")).trimmed()] -= rents.money(QStringLiteral("实际租金"));
    return balances;
}

QSet<QString> duplicates(db::Database &database, const QString &table, const QString &column)
{
    QSet<QString> out;
    db::Rows rows = database.select(Sql::fixed(QStringLiteral("select %1 as k from %2 group by %1 having count(*) > 1").arg(column, table)));
    while (rows.next())
        out.insert(rows.text(QStringLiteral("k")));
    return out;
}

class Checker {
public:
    explicit Checker(db::Database &database) : db_(database), loans_(tallyLoans(database)) {}

    QList<Finding> run()
    {
        checkReaders();
        checkItems(QStringLiteral("图书"));
        checkItems(QStringLiteral("期刊"));
        checkOrphanLoans();
        return findings_;
    }

private:
    Finding finding(const QString &problem, const QString &table, const QString &number, const QString &name) const
    {
        Finding f;
        f.problem = problem;
        f.table = table;
        f.number = number;
        f.name = name;
        return f;
    }

    // A counter that must equal (exact) or reach (!exact) the loans' count.
    void counter(Finding base, const QString &column, qint64 recorded, qint64 loans, bool exact, bool repairable)
    {
        if (exact ? recorded == loans : recorded >= loans)
            return;
        base.problem = exact ? column + QStringLiteral("与借出记录不符") : column + QStringLiteral("少于借出记录");
        base.column = column;
        base.recorded = QString::number(recorded);
        base.implied = exact ? QString::number(loans) : QStringLiteral("≥ %1").arg(loans);
        base.repairTo = repairable ? loans : -1;
        findings_.append(base);
    }

    void checkReaders()
    {
        const QSet<QString> twice = duplicates(db_, QStringLiteral("读者库"), QStringLiteral("读者编号"));
        const QHash<QString, Money> balances = impliedBalances(db_);
        const QString id = db_.rowIdentity(QStringLiteral("读者库"));
        db::Rows rows = db_.select(Sql::fixed(QStringLiteral("select %1 as rid, 读者编号, 读者姓名, 未还数量, 累计借阅次数, 卡内金额 "
                                                             "from 读者库 order by 读者编号").arg(id)));
        while (rows.next()) {
            const QString number = rows.text(QStringLiteral("读者编号"));
            Finding base = finding({}, QStringLiteral("读者库"), number, rows.text(QStringLiteral("读者姓名")));
            base.rowId = rows.value(QStringLiteral("rid"));
            existingReaders_.insert(number);
            if (twice.contains(number)) {
                if (!reportedTwice_.contains(number))
                    findings_.append(finding(QStringLiteral("读者编号重复"), base.table, number, base.name));
                reportedTwice_.insert(number);
                continue;
            }
            const Tally tally = loans_.readers.value(number);
            counter(base, QStringLiteral("未还数量"), rows.integer(QStringLiteral("未还数量")), tally.open, true, true);
            counter(base, QStringLiteral("累计借阅次数"), rows.integer(QStringLiteral("累计借阅次数")), tally.all, false, true);
            const Money balance = rows.money(QStringLiteral("卡内金额"));
            const Money implied = balances.value(number.trimmed());
            if (balance != implied) {
                Finding f = base;
                f.problem = QStringLiteral("卡内金额与充值和租金记录不符");
                f.column = QStringLiteral("卡内金额");
                f.recorded = balance.toString();
                f.implied = implied.toString();
                findings_.append(f);
            }
        }
    }

    void checkItems(const QString &table)
    {
        const QSet<QString> twice = duplicates(db_, table, QStringLiteral("编号"));
        const QString id = db_.rowIdentity(table);
        db::Rows rows = db_.select(Sql::fixed(QStringLiteral("select %1 as rid, 编号, 名称, 数量, 借出次数 from %2 order by 编号").arg(id, table)));
        while (rows.next()) {
            const QString number = rows.text(QStringLiteral("编号"));
            Finding base = finding({}, table, number, rows.text(QStringLiteral("名称")));
            base.rowId = rows.value(QStringLiteral("rid"));
            existingItems_.insert(itemKey(table, number));
            const qint64 copies = rows.integer(QStringLiteral("数量"));
            if (copies < 0) {
                Finding f = base;
                f.problem = QStringLiteral("数量为负");
                f.column = QStringLiteral("数量");
                f.recorded = QString::number(copies);
                f.implied = QStringLiteral("≥ 0");
                findings_.append(f);
            }
            if (twice.contains(number)) {
                if (!reportedTwice_.contains(itemKey(table, number)))
                    findings_.append(finding(QStringLiteral("编号重复"), table, number, base.name));
                reportedTwice_.insert(itemKey(table, number));
                continue;
            }
            counter(base, QStringLiteral("借出次数"), rows.integer(QStringLiteral("借出次数")),
                    loans_.items.value(itemKey(table, number)).all, false, true);
        }
    }

    void checkOrphanLoans()
    {
        for (auto it = loans_.readers.cbegin(); it != loans_.readers.cend(); ++it)
            if (it->open > 0 && !existingReaders_.contains(it.key()))
                orphan(QStringLiteral("未还借出记录的读者已不存在"), it.key(), loans_.readerNames.value(it.key()), it->open);
        for (auto it = loans_.items.cbegin(); it != loans_.items.cend(); ++it)
            if (it->open > 0 && !existingItems_.contains(it.key()))
                orphan(QStringLiteral("未还借出记录的物品已不存在"), it.key(), loans_.itemNames.value(it.key()), it->open);
    }

    void orphan(const QString &problem, const QString &number, const QString &name, qint64 open)
    {
        Finding f = finding(problem, QStringLiteral("借出记录"), number, name);
        f.column = QStringLiteral("未还借出记录");
        f.recorded = QString::number(open);
        findings_.append(f);
    }

    db::Database &db_;
    LoanTallies loans_;
    QSet<QString> existingReaders_, existingItems_, reportedTwice_;
    QList<Finding> findings_;
};

// Desks on a server go on lending while the repair reads; they wait for its end instead.
void lockAgainstDesks(db::Database &database)
{
    if (database.engine() != db::Engine::PostgreSQL)
        return;
    // Not a statement that can be prepared, so not through Database::exec.
    const QString lock = QStringLiteral("lock table 借出记录, 读者库, 图书, 期刊 in share row exclusive mode");
    QSqlQuery query(database.handle());
    if (!query.exec(lock))
        throw db::DbError(db::errorText(query.lastError(), lock));
}

QString csvField(const QString &value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

const QStringList columns{QStringLiteral("问题"), QStringLiteral("表"),   QStringLiteral("编号"), QStringLiteral("名称"),
                          QStringLiteral("字段"), QStringLiteral("记录值"), QStringLiteral("应为"), QStringLiteral("可修复")};

} // namespace

QStringList findingColumns() { return columns; }

QStringList findingFields(const Finding &f)
{
    return {f.problem, f.table, f.number, f.name, f.column, f.recorded, f.implied,
            f.repairable() ? QStringLiteral("是") : QStringLiteral("否")};
}

QList<Finding> checkLibrary(db::Database &database) { return Checker(database).run(); }

int repairLibrary(db::Database &database)
{
    db::Transaction transaction(database);
    lockAgainstDesks(database);
    int written = 0;
    for (const Finding &f : checkLibrary(database)) {
        if (!f.repairable())
            continue;
        database.updateRow(f.table, f.rowId, {{f.column, f.repairTo}});
        ++written;
    }
    transaction.commit();
    return written;
}

QString findingsText(const QList<Finding> &findings)
{
    if (findings.isEmpty())
        return QStringLiteral("检查完毕: 计数与借出记录、资金记录一致, 没有发现问题。\n");
    QString out = columns.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const Finding &f : findings)
        out += findingFields(f).join(QLatin1Char('\t')) + QLatin1Char('\n');
    out += QStringLiteral("共发现 %1 个问题。\n").arg(findings.size());
    return out;
}

void writeFindingsCsv(const QList<Finding> &findings, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw db::DbError(QStringLiteral("无法写入文件 %1: %2").arg(path, file.errorString()));
    QStringList lines;
    auto line = [](const QStringList &values) {
        QStringList quoted;
        for (const QString &v : values)
            quoted << csvField(v);
        return quoted.join(QLatin1Char(','));
    };
    lines << line(columns);
    for (const Finding &f : findings)
        lines << line(findingFields(f));
    file.write("\xEF\xBB\xBF");
    file.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    if (!file.flush())
        throw db::DbError(QStringLiteral("无法写入文件 %1: %2").arg(path, file.errorString()));
}

} // namespace tools
