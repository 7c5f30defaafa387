// book-check: finds the counters that disagree with the loan and ledger rows, and repairs them.
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "tools/CommandLine.h"
#include "tools/ConsistencyCheck.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <optional>

namespace {

const char usage[] =
    "用法: book-check [--export 文件.csv] [--repair [--backup 文件.db | --server-backup-taken]] 数据库\n"
    "  数据库: .db 文件, 或 \"Provider=PostgreSQL;Password=..;User ID=..;Initial Catalog=..;Data Source=主机[:端口]\"\n"
    "  --repair: 先备份, 再在一个事务中重算可推导的计数 (未还数量, 累计借阅次数, 借出次数)。\n"
    "            数据库文件备份到 --backup 指定的文件 (默认: 数据库文件旁加日期时间)。\n"
    "            服务器数据库请先用服务器自己的工具备份 (如 pg_dump), 再加 --server-backup-taken。\n";

struct Arguments {
    QString target, exportPath, backupPath;
    bool repair = false;
    bool serverBackupTaken = false;
};

std::optional<Arguments> parseArguments(const QStringList &args)
{
    Arguments parsed;
    tools::CommandLine line;
    line.flag(QStringLiteral("--repair"), &parsed.repair);
    line.flag(QStringLiteral("--server-backup-taken"), &parsed.serverBackupTaken);
    line.text(QStringLiteral("--export"), &parsed.exportPath);
    line.text(QStringLiteral("--backup"), &parsed.backupPath);
    if (!line.parse(args, &parsed.target))
        return std::nullopt;
    return parsed;
}

// The embedded file is copied by the program; a server's database only by the server's tools,
// which the administrator confirms having used.
bool backUp(db::Database &database, const Arguments &args, QTextStream &out, QTextStream &err)
{
    if (database.engine() != db::Engine::SQLite) {
        if (!args.serverBackupTaken) {
            err << "服务器数据库不能由本程序备份: 请先用服务器自己的工具备份 (如 pg_dump), 再加 --server-backup-taken 修复。\n";
            return false;
        }
        return true;
    }
    const QString path = !args.backupPath.isEmpty()
        ? QDir::current().absoluteFilePath(args.backupPath)
        : database.spec().file + QDateTime::currentDateTime().toString(QStringLiteral(".yyyyMMdd-HHmmss")) + QStringLiteral(".bak");
    database.backupTo(path);
    out << "已备份到 " << QDir::toNativeSeparators(path) << "\n";
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const auto args = parseArguments(app.arguments().mid(1));
    if (!args) {
        err << usage;
        return 2;
    }
    try {
        const db::ConnectionSpec spec = db::connectionSpecOf(args->target);
        if (spec.engine == db::Engine::SQLite && !QFileInfo::exists(spec.file)) {
            err << "book-check: 找不到数据库文件 " << spec.file << "\n";
            return 3;
        }
        db::Database database(spec, db::kindOfEngine(spec.engine));
        QList<tools::Finding> findings = tools::checkLibrary(database);
        out << tools::findingsText(findings);
        if (!args->exportPath.isEmpty()) {
            tools::writeFindingsCsv(findings, args->exportPath);
            out << "问题清单已导出到 " << args->exportPath << "\n";
        }
        if (args->repair && !findings.isEmpty()) {
            if (!backUp(database, *args, out, err))
                return 3;
            out << "已修复 " << tools::repairLibrary(database) << " 个计数。\n";
            findings = tools::checkLibrary(database);
            if (!findings.isEmpty())
                out << "修复后仍有 " << findings.size() << " 个问题需要人工处理:\n" << tools::findingsText(findings);
        }
        out.flush();
        return findings.isEmpty() ? 0 : 1;
    } catch (const std::runtime_error &e) {
        out.flush();
        err << "book-check: " << QString::fromStdString(e.what()) << "\n";
        return 3;
    }
}
