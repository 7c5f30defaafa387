// The spreadsheet import of books on a big sheet, beside the bare work it does: the same rows
// inserted by one prepared statement in one transaction, timed in the same run, each into a
// fresh embedded library file.
//   bench_import [lines]
#include "catalogue/BookImport.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "tools/DatabaseCreator.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

namespace {

SheetLines makeSheet(int lines)
{
    SheetLines sheet;
    sheet.columns = 18;
    sheet.lines.append(importColumns());
    for (int i = 1; i <= lines; ++i) {
        const QString n = QString::number(i);
        sheet.lines.append({QStringLiteral("B") + n, QStringLiteral("TM") + n, QStringLiteral("书名") + n,
                            QStringLiteral("文学"), QStringLiteral("人民文学出版社"), QStringLiteral("作者"),
                            QStringLiteral("25.50"), QStringLiteral("978-7"), QStringLiteral("2"),
                            QStringLiteral("二楼"), QStringLiteral("I242"), QStringLiteral("简介"),
                            QStringLiteral("小说"), QStringLiteral("2008-8-8"), QStringLiteral("300"),
                            QStringLiteral("译者"), QStringLiteral("第1版"), QStringLiteral("I242.4")});
    }
    return sheet;
}

db::ConnectionSpec freshLibrary(const QTemporaryDir &dir, const QString &name)
{
    db::ConnectionSpec spec;
    spec.engine = db::Engine::SQLite;
    spec.file = dir.filePath(name);
    tools::createDatabase(spec);
    return spec;
}

// The same rows, typed, by one prepared insert in one transaction.
double bareInsert(db::Database &database, const SheetLines &sheet)
{
    QElapsedTimer clock;
    clock.start();
    QSqlDatabase handle = database.handle();
    handle.transaction();
    QSqlQuery q(handle);
    q.prepare(QStringLiteral("insert into 图书(编号,条形码,名称,分类,出版社,作者,价格,ISBN,数量,存放位置,分类号,简介,"
                             "二级分类,出版时间,页数,译者,版次,索书号,借出次数,状态) "
                             "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    for (qsizetype i = 1; i < sheet.lines.size(); ++i) {
        const QStringList &c = sheet.lines.at(i);
        for (int k = 0; k < 18; ++k) {
            QVariant v = c.at(k);
            if (k == 6)
                v = qint64(255000); // ten-thousandths, as the embedded file keeps money
            else if (k == 8 || k == 14)
                v = c.at(k).toInt();
            else if (k == 13)
                v = QDate::fromString(c.at(k), QStringLiteral("yyyy-M-d")).toString(Qt::ISODate);
            q.bindValue(k, v);
        }
        q.bindValue(18, 0);
        q.bindValue(19, QStringLiteral("正常"));
        if (!q.exec())
            throw db::DbError(QStringLiteral("bare insert failed"));
    }
    handle.commit();
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    try {
        const SheetLines sheet = makeSheet(lines);
        QTemporaryDir dir;
        db::Database bare(freshLibrary(dir, QStringLiteral("bare.db")), QStringLiteral("a"));
        const double bareSeconds = bareInsert(bare, sheet);
        db::Database library(freshLibrary(dir, QStringLiteral("import.db")), QStringLiteral("a"));
        QElapsedTimer clock;
        clock.start();
        const ImportResult result = importBooks(library, sheet, false);
        const double importSeconds = double(clock.nsecsElapsed()) / 1e9;
        std::printf("== SQLite, %d lines (%d imported, %d failed)\n", lines, result.imported, int(result.failures.size()));
        std::printf("bare prepared insert, one transaction: %8.3f s  %9.0f lines/s\n", bareSeconds, lines / bareSeconds);
        std::printf("import (savepoint per line):          %8.3f s  %9.0f lines/s  = %.2f x bare speed\n",
                    importSeconds, lines / importSeconds, bareSeconds / importSeconds);
    } catch (const db::DbError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 1;
    }
    return 0;
}
