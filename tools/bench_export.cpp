// Benchmark of the spreadsheet export: N books (default 100,000) in a temporary SQLite library,
// all their fields written to a workbook. Prints the time to fill the library, the time to write
// the workbook, its size and the peak memory of the process.
//   bench_export [rows]
#include "common/SpreadsheetExport.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/Money.h"
#include "db/Transaction.h"
#include "tools/DatabaseCreator.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

static void fillBooks(db::Database &database, int count)
{
    db::Transaction transaction(database);
    const QDate start(1990, 1, 1);
    for (int i = 0; i < count; ++i) {
        const QString number = QStringLiteral("B%1").arg(i, 7, 10, QLatin1Char('0'));
        database.insert(QStringLiteral("图书"),
                        {{QStringLiteral("编号"), number},
                         {QStringLiteral("名称"), QStringLiteral("图书馆学基础教程 第%1卷").arg(i % 97)},
                         {QStringLiteral("条形码"), QStringLiteral("69%1").arg(i, 11, 10, QLatin1Char('0'))},
                         {QStringLiteral("索书号"), QStringLiteral("G25/%1").arg(i % 1000)},
                         {QStringLiteral("数量"), i % 5},
                         {QStringLiteral("分类"), QStringLiteral("社会科学")},
                         {QStringLiteral("出版社"), QStringLiteral("北京图书馆出版社")},
                         {QStringLiteral("价格"), QVariant::fromValue(db::Money::fromRaw(100000 + i * 37))},
                         {QStringLiteral("作者"), QStringLiteral("作者%1").arg(i % 311)},
                         {QStringLiteral("出版时间"), start.addDays(i % 9000)},
                         {QStringLiteral("ISBN"), QStringLiteral("978750%1").arg(i, 7, 10, QLatin1Char('0'))},
                         {QStringLiteral("页数"), 100 + i % 400},
                         {QStringLiteral("简介"), i % 3 ? QString() : QStringLiteral("一本关于图书馆管理的书。")},
                         {QStringLiteral("入库时间"), start.addDays(i % 12000)},
                         {QStringLiteral("借出次数"), i % 50},
                         {QStringLiteral("登记人"), QStringLiteral("超级管理员")}});
    }
    transaction.commit();
}

static long peakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir folder;
    const db::ConnectionSpec spec =
        db::parseConnectionText(QStringLiteral("Provider=SQLite;Data Source=book.db"), folder.path());
    tools::createDatabase(spec);
    db::Database database(spec, QStringLiteral("a"));

    QElapsedTimer timer;
    timer.start();
    fillBooks(database, count);
    const qint64 fillMs = timer.elapsed();
    const long memoryBefore = peakMemoryKb();

    const QString path = folder.filePath(QStringLiteral("books.xlsx"));
    timer.restart();
    const qint64 rows = SpreadsheetExport(database, db::Sql("select * from 图书 order by 编号")).writeTo(path);
    const qint64 writeMs = timer.elapsed();

    std::printf("rows: %lld, fields: 29\n", static_cast<long long>(rows));
    std::printf("fill library: %lld ms\n", static_cast<long long>(fillMs));
    std::printf("write workbook: %lld ms (%.1f rows/s)\n", static_cast<long long>(writeMs),
                writeMs ? rows * 1000.0 / writeMs : 0.0);
    std::printf("workbook size: %.2f MB (%lld bytes)\n", QFileInfo(path).size() / 1048576.0,
                static_cast<long long>(QFileInfo(path).size()));
    std::printf("peak memory: %ld KB before the export, %ld KB after\n", memoryBefore, peakMemoryKb());
    return 0;
}
