// Several desks on one library at once: N processes, each driving the real borrowing desk, return
// desk and top-up window offscreen, lend, return and top up at random on a few readers and items
// so that they collide. With --kills, desks are killed (SIGKILL) at random moments and started
// again. At the end every counter must equal what the loan and ledger rows imply.
//   desk_load [--desks N] [--ops M] [--kills K] [--seed S] LIBRARY
// LIBRARY: a .db file (created when missing) or a connection text of a server database (its
// tables created when missing). The run adds its own readers and items (LD*, LB*), so a library
// may be used once.
#include "CirculationFixture.h"
#include "RecordingPlatform.h"
#include "app/Session.h"
#include "circulation/BkBorrowUt.h"
#include "circulation/BkReturnUt.h"
#include "components/DataGrid.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "readers/RdChongZhiUt.h"
#include "tools/CommandLine.h"
#include "tools/ConsistencyCheck.h"
#include "tools/DatabaseCreator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThread>
#include <QTreeWidget>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <vector>

using db::Money;
using db::Sql;

namespace {

const char usage[] = "usage: desk_load [--desks N] [--ops M] [--kills K] [--seed S] LIBRARY\n";

constexpr int Readers = 6;
constexpr int Items = 4;
constexpr int Copies = 3;
const Money RentPerDay = Money::fromRaw(5000); // 0.5

QString readerNumber(int i) { return QStringLiteral("LD%1").arg(i + 1); }
QString itemNumber(int i) { return QStringLiteral("LB%1").arg(i + 1); }

struct Arguments {
    int desks = 8, ops = 2000, kills = 0, desk = -1;
    quint64 seed = 20250616;
    QString target;
};

std::optional<Arguments> parseArguments(const QStringList &args)
{
    Arguments parsed;
    tools::CommandLine line;
    line.number(QStringLiteral("--desks"), &parsed.desks, 1);
    line.number(QStringLiteral("--ops"), &parsed.ops);
    line.number(QStringLiteral("--kills"), &parsed.kills);
    line.number(QStringLiteral("--desk"), &parsed.desk);
    line.number(QStringLiteral("--seed"), &parsed.seed);
    if (!line.parse(args, &parsed.target))
        return std::nullopt;
    return parsed;
}

// --- one desk ------------------------------------------------------------------------------------

class Desk {
public:
    Desk(db::Database &database, RecordingPlatform &platform, quint64 seed)
        : db_(database), platform_(platform), random_(seed) {}

    // One operation at random; prints "<op> <ok|refused|error> <ms>" once it is over.
    void step(QTextStream &out)
    {
        const int dice = int(random_.bounded(10));
        const QString reader = readerNumber(int(random_.bounded(Readers)));
        const char *op = dice < 4 ? "lend" : dice < 8 ? "return" : "topup";
        platform_.clear();
        QElapsedTimer clock;
        clock.start();
        QString outcome;
        try {
            bool done = false;
            if (dice < 4)
                done = lend(reader, itemNumber(int(random_.bounded(Items))));
            else if (dice < 8)
                done = returnOne(reader);
            else
                done = topUp(reader, int(random_.bounded(1, 20)));
            outcome = !platform_.errors().isEmpty() ? QStringLiteral("error") : done ? QStringLiteral("ok") : QStringLiteral("refused");
        } catch (const std::exception &e) {
            outcome = QStringLiteral("error");
            out << "# " << QString::fromStdString(e.what()).simplified() << "\n";
        }
        for (const QString &e : platform_.errors())
            out << "# " << e.simplified() << "\n";
        out << op << ' ' << outcome << ' ' << QString::number(double(clock.nsecsElapsed()) / 1e6, 'f', 3) << "\n";
        out.flush();
    }

private:
    bool said(const char *message) const { return platform_.messages().contains(QString::fromUtf8(message)); }

    bool lend(const QString &reader, const QString &item)
    {
        borrowing_.Edit1->setText(reader);
        borrowing_.RdSearch();
        borrowing_.Edit2->setText(item);
        borrowing_.bksearch();
        // Refused at the lookup (no copy left), the list stays empty and 借出 lends nothing.
        if (borrowing_.ListView1->topLevelItemCount() == 0)
            return false;
        borrowing_.Button1Click();
        return borrowing_.ListView1->topLevelItemCount() == 0 && said("借阅完毕!");
    }

    bool returnOne(const QString &reader)
    {
        returning_.Edit3->setText(reader);
        returning_.Button4Click();
        if (returning_.DBGrid1->rowCount() == 0)
            return false;
        returning_.Button1Click();
        return said("归还完毕!");
    }

    bool topUp(const QString &reader, int amount)
    {
        Sql select = Sql::fixed(QStringLiteral("select %1 as rid from 读者库 where 读者编号=").arg(db_.rowIdentity(QStringLiteral("读者库"))))
            + Sql::text(reader);
        db::Rows rows = db_.select(select);
        if (!rows.next())
            return false;
        TRdChongZhiFm window(db_, rows.value(QStringLiteral("rid")));
        window.Edit1->setText(QString::number(amount));
        window.Button1Click();
        return said("充值成功!");
    }

    db::Database &db_;
    RecordingPlatform &platform_;
    QRandomGenerator random_;
    TBkBorrowFm borrowing_;
    TBkReturnFm returning_;
};

int runDesk(const Arguments &args)
{
    RecordingPlatform &platform = RecordingPlatform::install();
    const db::ConnectionSpec spec = db::connectionSpecOf(args.target);
    db::Database database(spec, db::kindOfEngine(spec.engine));
    fixture::openSession(database, db::kindOfEngine(spec.engine));
    Session::instance().rentEnabled = true;
    Session::instance().readerRent = true;
    QTextStream out(stdout);
    Desk desk(database, platform, args.seed);
    for (int i = 0; i < args.ops; ++i)
        desk.step(out);
    return 0;
}

// --- the run ---------------------------------------------------------------------------------------

void prepare(const db::ConnectionSpec &spec, db::Database &database)
{
    db::Rows present = database.select(Sql("select count(*) as n from 读者库 where 读者编号=") + Sql::text(readerNumber(0)));
    if (present.next() && present.integer(QStringLiteral("n")) > 0)
        throw db::DbError(QStringLiteral("这个数据库已经跑过负载 (读者 LD1 已存在), 请用新的数据库"));
    Q_UNUSED(spec);
    fixture::addKind(database, QStringLiteral("负载"), 30, 0, RentPerDay);
    for (int i = 0; i < Readers; ++i) {
        fixture::Reader reader{readerNumber(i)};
        reader.kind = QStringLiteral("负载");
        reader.name = QStringLiteral("读者%1").arg(i + 1);
        fixture::addReader(database, reader);
    }
    for (int i = 0; i < Items; ++i) {
        fixture::Item item{itemNumber(i)};
        item.copies = Copies;
        fixture::addItem(database, QStringLiteral("图书"), item);
    }
    database.update(QStringLiteral("系统设置"), {{QStringLiteral("启用租金功能"), true}}, Sql());
}

struct Op {
    QString name, outcome;
    double ms = 0;
};

struct DeskProcess {
    std::unique_ptr<QProcess> process;
    int assigned = 0, done = 0, starts = 0;
    QByteArray pending;
};

class LoadRun {
public:
    explicit LoadRun(const Arguments &args) : args_(args), random_(args.seed) {}

    int run(QTextStream &out);

private:
    void start(int desk)
    {
        DeskProcess &d = desks_[desk];
        d.process = std::make_unique<QProcess>();
        d.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const quint64 seed = args_.seed * 1000003ULL + quint64(desk) * 101ULL + quint64(d.starts++);
        d.process->start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--desk"), QString::number(desk), QStringLiteral("--ops"), QString::number(d.assigned - d.done),
                          QStringLiteral("--seed"), QString::number(seed), args_.target});
        if (!d.process->waitForStarted())
            throw db::DbError(QStringLiteral("desk %1 did not start").arg(desk));
    }

    void collect(DeskProcess &d)
    {
        d.pending += d.process->readAllStandardOutput();
        qsizetype end;
        while ((end = d.pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(d.pending.left(end));
            d.pending.remove(0, end + 1);
            if (line.startsWith(QLatin1Char('#'))) {
                deskErrors_ << line;
                continue;
            }
            const QStringList parts = line.split(QLatin1Char(' '));
            if (parts.size() != 3)
                continue;
            ops_.push_back({parts[0], parts[1], parts[2].toDouble()});
            ++d.done;
        }
    }

    bool anyRunning() const
    {
        return std::any_of(desks_.begin(), desks_.end(),
                           [](const DeskProcess &d) { return d.process && d.process->state() != QProcess::NotRunning; });
    }

    // Kills a running desk in the middle of its work and starts it again for the rest of its share.
    void killOne()
    {
        std::vector<int> running;
        for (int i = 0; i < int(desks_.size()); ++i)
            if (desks_[i].process->state() == QProcess::Running && desks_[i].done < desks_[i].assigned)
                running.push_back(i);
        if (running.empty())
            return;
        const int victim = running[random_.bounded(int(running.size()))];
        DeskProcess &d = desks_[victim];
        QThread::usleep(random_.bounded(1, 20000)); // anywhere inside an operation
        d.process->kill();
        d.process->waitForFinished();
        collect(d);
        ++kills_;
        start(victim);
    }

    void printFigures(QTextStream &out, double seconds) const;
    bool checkInvariants(db::Database &database, QTextStream &out) const;

    Arguments args_;
    QRandomGenerator random_;
    std::vector<DeskProcess> desks_;
    std::vector<Op> ops_;
    QStringList deskErrors_; // what the desks' error display showed: the operation was rolled back
    QStringList problems_;   // a desk that ended on its own with a failure
    int kills_ = 0;
};

int LoadRun::run(QTextStream &out)
{
    const db::ConnectionSpec spec = db::connectionSpecOf(args_.target);
    if (spec.engine == db::Engine::SQLite ? !QFileInfo::exists(spec.file) : !db::Database(spec, QString()).hasTable(QStringLiteral("admin")))
        tools::createDatabase(spec);
    db::Database database(spec, db::kindOfEngine(spec.engine));
    prepare(spec, database);

    desks_.resize(size_t(args_.desks));
    for (int i = 0; i < args_.desks; ++i)
        desks_[i].assigned = args_.ops / args_.desks + (i < args_.ops % args_.desks ? 1 : 0);
    std::vector<int> killAt; // after so many operations done in all
    for (int i = 0; i < args_.kills; ++i)
        killAt.push_back(int(random_.bounded(1, std::max(2, args_.ops))));
    std::sort(killAt.begin(), killAt.end(), std::greater<>());

    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < args_.desks; ++i)
        start(i);
    while (anyRunning()) {
        for (DeskProcess &d : desks_) {
            d.process->waitForReadyRead(5);
            collect(d);
        }
        while (!killAt.empty() && int(ops_.size()) >= killAt.back()) {
            killAt.pop_back();
            killOne();
        }
    }
    for (DeskProcess &d : desks_) {
        collect(d);
        if (d.process->exitStatus() != QProcess::NormalExit || d.process->exitCode() != 0)
            problems_ << QStringLiteral("# 柜台异常退出, 退出码 %1").arg(d.process->exitCode());
    }
    const double seconds = double(wall.nsecsElapsed()) / 1e9;

    out << QStringLiteral("%1 个柜台, %2 (%3), 操作 %4 次, 杀掉并重启 %5 次, 用时 %6 s\n")
               .arg(args_.desks)
               .arg(spec.engine == db::Engine::SQLite ? QStringLiteral("SQLite 文件") : QStringLiteral("PostgreSQL"))
               .arg(spec.engine == db::Engine::SQLite ? spec.file : spec.database)
               .arg(ops_.size())
               .arg(kills_)
               .arg(seconds, 0, 'f', 1);
    printFigures(out, seconds);
    if (!deskErrors_.isEmpty())
        out << QStringLiteral("柜台显示的错误 (操作已整体回滚) %1 次:\n").arg(deskErrors_.size()) << deskErrors_.join(QLatin1Char('\n')) << "\n";
    for (const QString &p : problems_)
        out << p << "\n";
    const bool holds = checkInvariants(database, out);
    out.flush();
    return holds && problems_.isEmpty() ? 0 : 1;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

void LoadRun::printFigures(QTextStream &out, double seconds) const
{
    out << QStringLiteral("吞吐量 %1 次/s\n").arg(double(ops_.size()) / seconds, 0, 'f', 1);
    out << "operation   ok  refused  error    p50 ms    p99 ms\n";
    std::map<QString, std::vector<const Op *>> byName;
    for (const Op &op : ops_)
        byName[op.name].push_back(&op);
    for (const auto &[name, ops] : byName) {
        std::vector<double> times;
        int ok = 0, refused = 0, error = 0;
        for (const Op *op : ops) {
            times.push_back(op->ms);
            ok += op->outcome == QLatin1String("ok");
            refused += op->outcome == QLatin1String("refused");
            error += op->outcome == QLatin1String("error");
        }
        out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                   .arg(name, -8)
                   .arg(ok, 5)
                   .arg(refused, 8)
                   .arg(error, 6)
                   .arg(percentile(times, 0.5), 9, 'f', 1)
                   .arg(percentile(times, 0.99), 9, 'f', 1);
    }
}

struct Implied {
    qint64 open = 0, all = 0;
    Money rent, topUps;
};

// What the loan and ledger rows of the run imply, beside what the counters hold.
bool LoadRun::checkInvariants(db::Database &database, QTextStream &out) const
{
    QStringList broken;
    QHash<QString, Implied> readers, items;
    db::Rows loans = database.select(Sql("select * from 借出记录 where 读者编号 like ") + Sql::text(QStringLiteral("LD%")));
    while (loans.next()) {
        const QString state = loans.text(QStringLiteral("已还"));
        const bool open = state == QStringLiteral("否");
        const bool whole = open ? loans.isNull(QStringLiteral("归还日期"))
                                : state == QStringLiteral("是") && !loans.isNull(QStringLiteral("归还日期")) && !loans.isNull(QStringLiteral("实际租金"));
        if (!whole)
            broken << QStringLiteral("不完整的借出记录 id %1").arg(loans.text(QStringLiteral("id")));
        for (Implied *i : {&readers[loans.text(QStringLiteral("读者编号"))], &items[loans.text(QStringLiteral("编号"))]}) {
            i->all += 1;
            i->open += open ? 1 : 0;
        }
        if (!open)
            readers[loans.text(QStringLiteral("读者编号"))].rent += loans.money(QStringLiteral("实际租金"));
    }
    db::Rows ledger = database.select(Sql("select 读者编号, 金额 from 收入 where 项目=") + Sql::text(QStringLiteral("充值")));
    while (ledger.next())
        readers[ledger.text(QStringLiteral("读者编号"))].topUps += ledger.money(QStringLiteral("金额"));

    const auto compare = [&](const QString &who, const char *column, const QString &stored, const QString &implied) {
        if (stored != implied)
            broken << QStringLiteral("%1 %2 = %3, 应为 %4").arg(who, QString::fromUtf8(column), stored, implied);
    };
    db::Rows readerRows = database.select(Sql("select * from 读者库 where 读者编号 like ") + Sql::text(QStringLiteral("LD%")));
    while (readerRows.next()) {
        const QString who = readerRows.text(QStringLiteral("读者编号"));
        const Implied i = readers.value(who);
        compare(who, "未还数量", readerRows.text(QStringLiteral("未还数量")), QString::number(i.open));
        compare(who, "累计借阅次数", readerRows.text(QStringLiteral("累计借阅次数")), QString::number(i.all));
        compare(who, "卡内金额", readerRows.money(QStringLiteral("卡内金额")).toString(), (i.topUps - i.rent).toString());
    }
    db::Rows itemRows = database.select(Sql("select * from 图书 where 编号 like ") + Sql::text(QStringLiteral("LB%")));
    while (itemRows.next()) {
        const QString what = itemRows.text(QStringLiteral("编号"));
        const Implied i = items.value(what);
        compare(what, "数量", itemRows.text(QStringLiteral("数量")), QString::number(Copies - i.open));
        compare(what, "借出次数", itemRows.text(QStringLiteral("借出次数")), QString::number(i.all));
        if (itemRows.integer(QStringLiteral("数量")) < 0)
            broken << QStringLiteral("%1 数量为负").arg(what);
    }
    for (const tools::Finding &f : tools::checkLibrary(database))
        broken << QStringLiteral("book-check: %1 %2 %3").arg(f.problem, f.number, f.recorded);

    if (broken.isEmpty()) {
        out << QStringLiteral("不变量全部成立: 未还数量, 累计借阅次数, 卡内金额, 数量 (= %1 - 未还), 借出次数 与借出记录和资金记录一致; "
                              "没有负数量, 没有半条借还记录; book-check 无问题。\n").arg(Copies);
        return true;
    }
    out << QStringLiteral("不变量不成立 (%1 处):\n").arg(broken.size()) << broken.join(QLatin1Char('\n')) << "\n";
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const auto args = parseArguments(app.arguments().mid(1));
    if (!args) {
        err << usage;
        return 2;
    }
    try {
        if (args->desk >= 0)
            return runDesk(*args);
        return LoadRun(*args).run(out);
    } catch (const std::exception &e) {
        out.flush();
        err << "desk_load: " << QString::fromStdString(e.what()) << "\n";
        return 3;
    }
}
