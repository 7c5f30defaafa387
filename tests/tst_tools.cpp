// The library generator (counters, balances and initials agree) and the import of an old
// library exported table by table with mdb-export.
#include "RecordingPlatform.h"
#include "TestLibrary.h"
#include "common/Pinyin.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Money.h"
#include "db/Sql.h"
#include "tools/CommandLine.h"
#include "tools/ConsistencyCheck.h"
#include "tools/CsvImport.h"
#include "tools/Generator.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using db::Money;
using db::Sql;

class TstTools : public QObject {
    Q_OBJECT
private slots:
    void engines_data();
    void generatedLibraryIsConsistent_data() { engines_data(); }
    void generatedLibraryIsConsistent();
    void generatorRefusesAFilledLibrary();
    void importKeepsValues_data();
    void importKeepsValues();
    void twoDigitYearsFollowTheProgramClock();
    void importReplacesRequiredRowsAndKeepsIds_data() { engines_data(); }
    void importReplacesRequiredRowsAndKeepsIds();
    void failedLoadChangesNothing_data() { engines_data(); }
    void failedLoadChangesNothing();
    void brokenImportLeavesNothing_data();
    void brokenImportLeavesNothing();
    void checkReportsAGeneratedLibraryClean_data() { engines_data(); }
    void checkReportsAGeneratedLibraryClean();
    void checkFindsAndRepairsBrokenCounters_data() { engines_data(); }
    void checkFindsAndRepairsBrokenCounters();
    void checkCommandBacksUpBeforeRepair_data() { engines_data(); }
    void checkCommandBacksUpBeforeRepair();
    void commandLines_data();
    void commandLines();
};

void TstTools::engines_data() { TestLibrary::addEngineRows(); }

static qint64 count(db::Database &database, const QString &table)
{
    db::Rows rows = database.select(Sql::fixed(QStringLiteral("select count(*) as n from %1").arg(table)));
    rows.next();
    return rows.integer(QStringLiteral("n"));
}

static QSet<QString> names(db::Database &database, const QString &table, const QString &column)
{
    QSet<QString> out;
    db::Rows rows = database.select(Sql::fixed(QStringLiteral("select %1 from %2").arg(column, table)));
    while (rows.next()) {
        const QString name = rows.text(column);
        if (out.contains(name))
            qWarning("duplicate %s", qPrintable(name));
        out.insert(name);
    }
    return out;
}

struct Tally {
    qint64 open = 0;
    qint64 all = 0;
};

void TstTools::generatedLibraryIsConsistent()
{
    QFETCH(int, engine);
    LIBRARY_CHECK_ENGINE(engine);
    TestLibrary library(static_cast<TestLibrary::EngineChoice>(engine));
    db::Database &database = library.db();
    tools::GeneratorOptions options;
    options.books = 300;
    options.periodicals = 40;
    options.readers = 60;
    options.loans = 600;
    options.income = 150;
    options.seed = 7;
    tools::Generator generator(database, options);
    generator.setBatchRows(64); // several batches per table
    generator.run();

    const QList<QPair<QString, int>> counts{{QStringLiteral("图书"), options.books},     {QStringLiteral("期刊"), options.periodicals},
                                            {QStringLiteral("读者库"), options.readers}, {QStringLiteral("借出记录"), options.loans},
                                            {QStringLiteral("收入"), options.income}};
    for (const auto &[table, expected] : counts)
        QCOMPARE(count(database, table), qint64(expected));

    // Lookup names stay unique, also the required ones the creation made.
    const QSet<QString> kinds = names(database, QStringLiteral("读者类别"), QStringLiteral("类别名"));
    const QSet<QString> levels = names(database, QStringLiteral("租金级别"), QStringLiteral("名称"));
    QCOMPARE(count(database, QStringLiteral("读者类别")), qint64(kinds.size()));
    QCOMPARE(count(database, QStringLiteral("租金级别")), qint64(levels.size()));
    QVERIFY(kinds.contains(QStringLiteral("普通")) && levels.contains(QStringLiteral("普通")));

    const QDate today = QDate::currentDate();
    QHash<QString, Tally> byReader, byItem;
    QHash<QString, Money> rentByReader;
    int overdue = 0, returned = 0;
    db::Rows loans = database.select(Sql("select * from 借出记录"));
    while (loans.next()) {
        const QString reader = loans.text(QStringLiteral("读者编号"));
        const QString item = loans.text(QStringLiteral("类别")) + QLatin1Char('/') + loans.text(QStringLiteral("编号"));
        const QDate lent = loans.date(QStringLiteral("借阅日期"));
        const bool open = loans.text(QStringLiteral("已还")) == QStringLiteral("否");
        QVERIFY(open || loans.text(QStringLiteral("已还")) == QStringLiteral("是"));
        QVERIFY(loans.date(QStringLiteral("应还日期")) > lent);
        QVERIFY(lent <= today);
        byReader[reader].all += 1;
        byItem[item].all += 1;
        if (open) {
            byReader[reader].open += 1;
            byItem[item].open += 1;
            QVERIFY(loans.isNull(QStringLiteral("归还日期")));
            if (loans.date(QStringLiteral("应还日期")) < today)
                ++overdue;
        } else {
            ++returned;
            const QDate back = loans.date(QStringLiteral("归还日期"));
            QVERIFY(back >= lent && back <= today);
            const qint64 days = loans.integer(QStringLiteral("实际租期"));
            QVERIFY(days >= 1);
            QCOMPARE(loans.money(QStringLiteral("实际租金")), loans.money(QStringLiteral("租金")) * days);
            rentByReader[reader] += loans.money(QStringLiteral("实际租金"));
        }
    }
    QVERIFY(overdue > 0);
    QVERIFY(returned > 0 && returned < options.loans);

    QHash<QString, Money> topUps;
    QSet<QString> feePayers;
    bool refund = false;
    db::Rows settings = database.select(Sql("select * from 系统设置"));
    QVERIFY(settings.next());
    const Money fee = settings.money(QStringLiteral("开户费"));
    db::Rows ledger = database.select(Sql("select * from 收入"));
    while (ledger.next()) {
        const QString reader = ledger.text(QStringLiteral("读者编号"));
        const QString what = ledger.text(QStringLiteral("项目"));
        if (what == QStringLiteral("开户费")) {
            QCOMPARE(ledger.money(QStringLiteral("金额")), fee);
            QVERIFY(!feePayers.contains(reader));
            feePayers.insert(reader);
        } else {
            QCOMPARE(what, QStringLiteral("充值"));
            topUps[reader] += ledger.money(QStringLiteral("金额"));
            refund = refund || ledger.money(QStringLiteral("金额")) < Money();
        }
    }
    QVERIFY(refund);
    QVERIFY(!feePayers.isEmpty());

    QSet<QString> readerNumbers;
    db::Rows readers = database.select(Sql("select * from 读者库"));
    while (readers.next()) {
        const QString number = readers.text(QStringLiteral("读者编号"));
        QVERIFY(!readerNumbers.contains(number));
        readerNumbers.insert(number);
        QVERIFY2(kinds.contains(readers.text(QStringLiteral("类别"))), qPrintable(number));
        QCOMPARE(readers.integer(QStringLiteral("未还数量")), byReader.value(number).open);
        QCOMPARE(readers.integer(QStringLiteral("累计借阅次数")), byReader.value(number).all);
        QCOMPARE(readers.money(QStringLiteral("卡内金额")), topUps.value(number) - rentByReader.value(number));
        QCOMPARE(readers.text(QStringLiteral("py")), PinyinInitials(readers.text(QStringLiteral("读者姓名"))));
    }

    // Every generated row has its own identity: an edit by it changes one row.
    db::Rows firstReader = database.select(Sql::fixed(QStringLiteral("select %1 as rid from 读者库")
                                                          .arg(database.rowIdentity(QStringLiteral("读者库")))));
    QVERIFY(firstReader.next());
    database.updateRow(QStringLiteral("读者库"), firstReader.value(QStringLiteral("rid")), {{QStringLiteral("备注"), QStringLiteral("改")}});
    db::Rows edited = database.select(Sql("select count(*) as n from 读者库 where 备注=") + Sql::text(QStringLiteral("改")));
    QVERIFY(edited.next());
    QCOMPARE(edited.integer(QStringLiteral("n")), 1);

    for (const QString &table : {QStringLiteral("图书"), QStringLiteral("期刊")}) {
        QSet<QString> numbers, barcodes;
        db::Rows items = database.select(Sql::fixed(QStringLiteral("select * from %1").arg(table)));
        while (items.next()) {
            const QString number = items.text(QStringLiteral("编号"));
            QVERIFY2(!numbers.contains(number), qPrintable(number));
            QVERIFY(!barcodes.contains(items.text(QStringLiteral("条形码"))));
            numbers.insert(number);
            barcodes.insert(items.text(QStringLiteral("条形码")));
            const Tally tally = byItem.value(table + QLatin1Char('/') + number);
            QCOMPARE(items.integer(QStringLiteral("借出次数")), tally.all);
            QVERIFY(items.integer(QStringLiteral("数量")) >= 0);
            const QString level = items.text(QStringLiteral("租金级别"));
            QVERIFY(level.isEmpty() || levels.contains(level));
            QCOMPARE(items.text(QStringLiteral("py")), PinyinInitials(items.text(QStringLiteral("名称"))));
            QVERIFY(!items.text(QStringLiteral("py")).trimmed().isEmpty());
        }
    }
}

void TstTools::generatorRefusesAFilledLibrary()
{
    TestLibrary library;
    db::Database &database = library.db();
    tools::GeneratorOptions options;
    options.books = 5;
    options.periodicals = 0;
    options.readers = 3;
    options.loans = 4;
    options.income = 2;
    tools::Generator(database, options).run();
    QVERIFY_THROWS_EXCEPTION(db::DbError, tools::Generator(database, options).run());
    QCOMPARE(count(database, QStringLiteral("图书")), 5);
    QCOMPARE(count(database, QStringLiteral("借出记录")), 4);
}

// --- import ---------------------------------------------------------------------------------

static QString fixture(const QString &name)
{
    const QString folder = QFINDTESTDATA(QStringLiteral("data/mdb-export/") + name);
    if (folder.isEmpty())
        qFatal("fixture %s not found", qPrintable(name));
    return folder;
}

struct ImportedLibrary {
    QTemporaryDir dir;
    db::ConnectionSpec spec;
    tools::CsvImportReport report;
    std::unique_ptr<db::Database> db;

    explicit ImportedLibrary(const QString &folder)
    {
        spec = db::parseConnectionText(QStringLiteral("Provider=SQLite;Data Source=book.db"), dir.path());
        report = tools::createFromCsv(folder, spec);
        db = std::make_unique<db::Database>(spec, QStringLiteral("a"));
    }
};

void TstTools::importKeepsValues_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("keyColumn");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("expected"); // invalid: NULL
    const auto book = [](const char *name, const char *number, const char *column, const QVariant &v) {
        QTest::newRow(name) << QStringLiteral("图书") << QStringLiteral("编号") << QString::fromUtf8(number) << QString::fromUtf8(column) << v;
    };
    book("quote inside a text", "TS001", "名称", QStringLiteral("他说\"你好\""));
    book("text over two lines", "TS001", "简介", QStringLiteral("第一行\n第二行"));
    book("money kept to four decimals", "TS001", "价格", QVariant::fromValue(*Money::parse(QStringLiteral("12.3456"))));
    book("money 0.1 exactly", "TS002", "价格", QVariant::fromValue(Money::fromRaw(1000)));
    book("two-digit year", "TS001", "出版时间", QDate(2008, 3, 25));
    book("yyyy-mm-dd", "TS001", "入库时间", QDate(2009, 3, 1));
    book("yyyy-mm-dd with a time", "TS002", "出版时间", QDate(2009, 3, 1));
    book("four-digit year", "TS002", "入库时间", QDate(1999, 1, 15));
    book("lower-case header", "TS001", "ISBN", QStringLiteral("7-04-1234-5"));
    book("integer", "TS001", "页数", 320LL);
    book("nothing is NULL", "TS002", "页数", QVariant());
    book("empty quotes are an empty text", "TS002", "租金级别", QString());
    book("unquoted text", "TS002", "条形码", QStringLiteral("9787000000002"));
    QTest::newRow("yes as 1") << QStringLiteral("系统设置") << QStringLiteral("图书馆名") << QStringLiteral("旧馆")
                              << QStringLiteral("启用租金功能") << QVariant(true);
    QTest::newRow("no as 0") << QStringLiteral("系统设置") << QStringLiteral("图书馆名") << QStringLiteral("旧馆")
                             << QStringLiteral("归还焦点条形码") << QVariant(false);
    QTest::newRow("settings money") << QStringLiteral("系统设置") << QStringLiteral("图书馆名") << QStringLiteral("旧馆")
                                    << QStringLiteral("开户费") << QVariant::fromValue(Money::fromRaw(25000));
    QTest::newRow("missing balance is 0") << QStringLiteral("读者库") << QStringLiteral("读者编号") << QStringLiteral("DZ001")
                                          << QStringLiteral("卡内金额") << QVariant::fromValue(Money());
    QTest::newRow("negative balance") << QStringLiteral("读者库") << QStringLiteral("读者编号") << QStringLiteral("DZ002")
                                      << QStringLiteral("卡内金额") << QVariant::fromValue(Money::fromInt(-2));
    QTest::newRow("loan state text") << QStringLiteral("借出记录") << QStringLiteral("id") << QStringLiteral("12")
                                     << QStringLiteral("已还") << QVariant(QStringLiteral("是"));
}

void TstTools::importKeepsValues()
{
    QFETCH(QString, table);
    QFETCH(QString, keyColumn);
    QFETCH(QString, key);
    QFETCH(QString, column);
    QFETCH(QVariant, expected);
    ImportedLibrary library(fixture(QStringLiteral("good")));
    const Sql keyValue = keyColumn == QLatin1String("id") ? Sql::value(key.toLongLong()) : Sql::text(key);
    db::Rows rows = library.db->select(Sql::fixed(QStringLiteral("select * from %1 where %2=").arg(table, keyColumn)) + keyValue);
    QVERIFY(rows.next());
    if (!expected.isValid())
        QVERIFY(rows.isNull(column));
    else if (expected.metaType() == QMetaType::fromType<Money>())
        QCOMPARE(rows.money(column), expected.value<Money>());
    else if (expected.typeId() == QMetaType::QDate)
        QCOMPARE(rows.date(column), expected.toDate());
    else if (expected.typeId() == QMetaType::Bool)
        QCOMPARE(rows.yes(column), expected.toBool());
    else if (expected.typeId() == QMetaType::LongLong)
        QCOMPARE(rows.integer(column), expected.toLongLong());
    else
        QCOMPARE(rows.text(column), expected.toString());
    QVERIFY(!rows.next());
}

// "03/25/08" is the latest such year that is not after the program's today.
void TstTools::twoDigitYearsFollowTheProgramClock()
{
    RecordingPlatform &platform = RecordingPlatform::install();
    platform.setToday(QDate(2005, 6, 16));
    ImportedLibrary library(fixture(QStringLiteral("good")));
    db::Rows rows = library.db->select(Sql("select 出版时间 from 图书 where 编号=") + Sql::text(QStringLiteral("TS001")));
    QVERIFY(rows.next());
    QCOMPARE(rows.date(QStringLiteral("出版时间")), QDate(1908, 3, 25));
}

void TstTools::importReplacesRequiredRowsAndKeepsIds()
{
    QFETCH(int, engine);
    LIBRARY_CHECK_ENGINE(engine);
    TestLibrary library(static_cast<TestLibrary::EngineChoice>(engine));
    db::Database &database = library.db();
    const tools::CsvImportReport report = tools::CsvImport(database).load(fixture(QStringLiteral("good")));

    QCOMPARE(count(database, QStringLiteral("admin")), 2);
    db::Rows admin = database.select(Sql("select * from admin where AdminName=") + Sql::text(QStringLiteral("超级管理员")));
    QVERIFY(admin.next());
    QCOMPARE(admin.text(QStringLiteral("pwd")), QStringLiteral("s3cret"));
    db::Rows clerk = database.select(Sql("select * from admin where AdminName=") + Sql::text(QStringLiteral("小李")));
    QVERIFY(clerk.next());
    QVERIFY(clerk.yes(QStringLiteral("qxBk")) && !clerk.yes(QStringLiteral("qxAdmin")));
    QCOMPARE(count(database, QStringLiteral("系统设置")), 1);
    // Tables without a file keep what the creation made.
    QCOMPARE(count(database, QStringLiteral("读者类别")), 1);

    // Kept ids, and the next loan numbered after them.
    QCOMPARE(names(database, QStringLiteral("借出记录"), QStringLiteral("id")), (QSet<QString>{QStringLiteral("7"), QStringLiteral("12")}));
    const QVariant next = database.insert(QStringLiteral("借出记录"), {{QStringLiteral("读者编号"), QStringLiteral("DZ002")}}, QStringLiteral("id"));
    QCOMPARE(next.toLongLong(), 13);

    // Imported rows carry the row identity (on the servers the hidden rowid the file lacks).
    db::Rows clerkRow = database.select(Sql::fixed(QStringLiteral("select %1 as rid from admin where AdminName=")
                                                       .arg(database.rowIdentity(QStringLiteral("admin"))))
                                        + Sql::text(QStringLiteral("小李")));
    QVERIFY(clerkRow.next());
    database.updateRow(QStringLiteral("admin"), clerkRow.value(QStringLiteral("rid")), {{QStringLiteral("pwd"), QStringLiteral("new")}});
    QCOMPARE(names(database, QStringLiteral("admin"), QStringLiteral("pwd")), (QSet<QString>{QStringLiteral("s3cret"), QStringLiteral("new")}));

    QVERIFY(report.tables.contains(qMakePair(QStringLiteral("图书"), qint64(2))));
    QVERIFY(std::any_of(report.warnings.cbegin(), report.warnings.cend(),
                        [](const QString &w) { return w.contains(QStringLiteral("Switchboard Items.csv")); }));
    QVERIFY(std::any_of(report.warnings.cbegin(), report.warnings.cend(),
                        [](const QString &w) { return w.contains(QStringLiteral("两位年份")); }));
}

void TstTools::failedLoadChangesNothing()
{
    QFETCH(int, engine);
    LIBRARY_CHECK_ENGINE(engine);
    TestLibrary library(static_cast<TestLibrary::EngineChoice>(engine));
    db::Database &database = library.db();
    QVERIFY_THROWS_EXCEPTION(db::DbError, tools::CsvImport(database).load(fixture(QStringLiteral("bad-money"))));
    db::Rows admin = database.select(Sql("select * from admin"));
    QVERIFY(admin.next());
    QCOMPARE(admin.text(QStringLiteral("pwd")), QStringLiteral("7394"));
    QVERIFY(!admin.next());
    QCOMPARE(count(database, QStringLiteral("图书")), 0);
}

void TstTools::brokenImportLeavesNothing_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("where");  // file and line the message names
    QTest::addColumn<QString>("reason"); // part of the reason
    QTest::newRow("money beyond four decimals, after a text over two lines")
        << "bad-money" << QStringLiteral("图书.csv 第 4 行") << QStringLiteral("12.34567");
    QTest::newRow("unknown column") << "unknown-column" << QStringLiteral("读者库.csv 第 1 行") << QStringLiteral("读者电话");
    QTest::newRow("no such date") << "bad-date" << QStringLiteral("借出记录.csv 第 2 行") << QStringLiteral("借阅日期");
    QTest::newRow("book number twice") << "duplicate-number" << QStringLiteral("图书.csv 第 3 行") << QStringLiteral("编号");
    QTest::newRow("a value too many") << "field-count" << QStringLiteral("图书.csv 第 2 行") << QStringLiteral("3");
    QTest::newRow("GBK instead of UTF-8") << "not-utf8" << QStringLiteral("图书.csv 第 3 行") << QStringLiteral("UTF-8");
    QTest::newRow("quote not closed") << "open-quote" << QStringLiteral("图书.csv 第 2 行") << QStringLiteral("引号");
}

void TstTools::brokenImportLeavesNothing()
{
    QFETCH(QString, folder);
    QFETCH(QString, where);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const db::ConnectionSpec spec = db::parseConnectionText(QStringLiteral("Provider=SQLite;Data Source=book.db"), dir.path());
    QString message;
    try {
        tools::createFromCsv(fixture(folder), spec);
    } catch (const db::DbError &e) {
        message = e.text();
    }
    QVERIFY2(message.contains(where), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    // admin.csv loaded fine before the bad file; nothing of it may remain.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
}

// --- consistency check ----------------------------------------------------------------------

void TstTools::checkReportsAGeneratedLibraryClean()
{
    LIBRARY_FOR_ENGINE();
    tools::GeneratorOptions options;
    options.books = 80;
    options.periodicals = 20;
    options.readers = 30;
    options.loans = 300;
    options.income = 80;
    tools::Generator(database, options).run();
    const QList<tools::Finding> findings = tools::checkLibrary(database);
    QVERIFY2(findings.isEmpty(), qPrintable(tools::findingsText(findings)));
    QCOMPARE(tools::repairLibrary(database), 0);
}

// A library as the old program leaves it: counters posted without their loan, a loan without
// its counters, readers and items deleted under open loans, a reader number given twice.
static void breakLibrary(db::Database &database)
{
    database.update(QStringLiteral("系统设置"), {{QStringLiteral("启用租金功能"), true}}, Sql());
    const auto reader = [&](const char *number, int open, int total, int balance) {
        database.insert(QStringLiteral("读者库"), {{QStringLiteral("读者编号"), QString::fromUtf8(number)},
                                                 {QStringLiteral("读者姓名"), QStringLiteral("读者") + QString::fromUtf8(number)},
                                                 {QStringLiteral("未还数量"), open},
                                                 {QStringLiteral("累计借阅次数"), total},
                                                 {QStringLiteral("卡内金额"), QVariant::fromValue(Money::fromInt(balance))}});
    };
    const auto item = [&](const char *table, const char *number, int copies, int lent) {
        database.insert(QString::fromUtf8(table), {{QStringLiteral("编号"), QString::fromUtf8(number)},
                                                   {QStringLiteral("名称"), QStringLiteral("书") + QString::fromUtf8(number)},
                                                   {QStringLiteral("数量"), copies},
                                                   {QStringLiteral("借出次数"), lent}});
    };
    const auto loan = [&](const char *readerNumber, const char *kind, const char *number, bool open, int rent) {
        database.insert(QStringLiteral("借出记录"), {{QStringLiteral("读者编号"), QString::fromUtf8(readerNumber)},
                                                   {QStringLiteral("类别"), QString::fromUtf8(kind)},
                                                   {QStringLiteral("编号"), QString::fromUtf8(number)},
                                                   {QStringLiteral("已还"), open ? QStringLiteral("否") : QStringLiteral("是")},
                                                   {QStringLiteral("实际租金"), QVariant::fromValue(Money::fromInt(rent))}});
    };
    const auto topUp = [&](const char *readerNumber, int amount) {
        database.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QStringLiteral("充值")},
                                               {QStringLiteral("读者编号"), QString::fromUtf8(readerNumber)},
                                               {QStringLiteral("金额"), QVariant::fromValue(Money::fromInt(amount))}});
    };
    reader("R1", 5, 1, 8); // 2 open loans of 3; card 10 topped up less 2 rent
    reader("R2", 0, 4, 0); // no loans: a total above them is kept
    reader("R3", 0, 0, 7); // 5 topped up
    reader("R4", 0, 0, 0);
    reader("R4", 0, 0, 0);
    item("图书", "B1", -1, 0); // lent three times
    item("期刊", "P1", 2, 1);
    item("图书", "B2", 3, 9);
    loan("R1", "图书", "B1", true, 0);
    loan("R1", "期刊", "P1", true, 0);
    loan("R1", "图书", "B1", false, 2);
    loan("R9", "图书", "B1", true, 0); // reader deleted
    loan("R9", "图书", "B9", true, 0); // and an item deleted
    topUp("R1", 10);
    topUp("R3", 5);
    topUp(" R3 ", 0); // the ledger keeps a number as typed
}

static QStringList described(const QList<tools::Finding> &findings)
{
    QStringList out;
    for (const tools::Finding &f : findings)
        out << QStringList{f.problem, f.table, f.number, f.column, f.recorded, f.implied,
                           f.repairable() ? QString::number(f.repairTo) : QStringLiteral("-")}.join(QLatin1Char('|'));
    out.sort();
    return out;
}

static qint64 counter(db::Database &database, const QString &table, const QString &key, const QString &number, const QString &column)
{
    db::Rows rows = database.select(Sql::fixed(QStringLiteral("select %1 from %2 where %3=").arg(column, table, key)) + Sql::text(number));
    return rows.next() ? rows.integer(column) : -999;
}

static const QStringList unrepairable{
    QStringLiteral("卡内金额与充值和租金记录不符|读者库|R3|卡内金额|7.00|5.00|-"),
    QStringLiteral("数量为负|图书|B1|数量|-1|≥ 0|-"),
    QStringLiteral("未还借出记录的物品已不存在|借出记录|图书/B9|未还借出记录|1||-"),
    QStringLiteral("未还借出记录的读者已不存在|借出记录|R9|未还借出记录|2||-"),
    QStringLiteral("读者编号重复|读者库|R4||||-"),
};

void TstTools::checkFindsAndRepairsBrokenCounters()
{
    LIBRARY_FOR_ENGINE();
    breakLibrary(database);
    QStringList expected = unrepairable;
    expected << QStringLiteral("未还数量与借出记录不符|读者库|R1|未还数量|5|2|2")
             << QStringLiteral("累计借阅次数少于借出记录|读者库|R1|累计借阅次数|1|≥ 3|3")
             << QStringLiteral("借出次数少于借出记录|图书|B1|借出次数|0|≥ 3|3");
    expected.sort();
    QCOMPARE(described(tools::checkLibrary(database)), expected);

    QCOMPARE(tools::repairLibrary(database), 3);
    QCOMPARE(described(tools::checkLibrary(database)), unrepairable);
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("读者编号"), QStringLiteral("R1"), QStringLiteral("未还数量")), 2);
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("读者编号"), QStringLiteral("R1"), QStringLiteral("累计借阅次数")), 3);
    QCOMPARE(counter(database, QStringLiteral("图书"), QStringLiteral("编号"), QStringLiteral("B1"), QStringLiteral("借出次数")), 3);
    // What the rows cannot tell stays as it was.
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("读者编号"), QStringLiteral("R2"), QStringLiteral("累计借阅次数")), 4);
    QCOMPARE(counter(database, QStringLiteral("图书"), QStringLiteral("编号"), QStringLiteral("B1"), QStringLiteral("数量")), -1);
    QCOMPARE(counter(database, QStringLiteral("图书"), QStringLiteral("编号"), QStringLiteral("B2"), QStringLiteral("借出次数")), 9);
    db::Rows card = database.select(Sql("select 卡内金额 from 读者库 where 读者编号=") + Sql::text(QStringLiteral("R3")));
    QVERIFY(card.next());
    QCOMPARE(card.money(QStringLiteral("卡内金额")), Money::fromInt(7));
}

static QString runCheck(const QStringList &arguments, int *exitCode)
{
    QProcess process;
    process.start(QStringLiteral(BOOK_CHECK), arguments);
    if (!process.waitForFinished(60000))
        qFatal("book-check did not finish");
    *exitCode = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

// The command reports in Chinese, exports the list, and repairs only after a backup: the file's
// own copy, or on a server the administrator's word that its tool made one.
void TstTools::checkCommandBacksUpBeforeRepair()
{
    LIBRARY_FOR_ENGINE();
    breakLibrary(database);
    const bool embedded = database.engine() == db::Engine::SQLite;
    const QString target = embedded ? database.spec().file : library.connectionText();
    const QString exported = library.folder() + QStringLiteral("/问题.csv");
    int code = 0;
    QString output = runCheck({QStringLiteral("--export"), exported, target}, &code);
    QCOMPARE(code, 1);
    QVERIFY2(output.contains(QStringLiteral("共发现 8 个问题")), qPrintable(output));
    QFile csv(exported);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray csvBytes = csv.readAll();
    QVERIFY(csvBytes.startsWith("\xEF\xBB\xBF")); // spreadsheets read it as UTF-8
    const QString csvText = QString::fromUtf8(csvBytes.mid(3));
    QVERIFY(csvText.startsWith(QStringLiteral("\"问题\",\"表\"")));
    QCOMPARE(csvText.count(QStringLiteral("\r\n")), 9);

    QStringList repair{QStringLiteral("--repair")};
    if (!embedded) {
        output = runCheck(repair + QStringList{target}, &code);
        QCOMPARE(code, 3);
        QVERIFY2(output.contains(QStringLiteral("--server-backup-taken")), qPrintable(output));
        QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("读者编号"), QStringLiteral("R1"), QStringLiteral("未还数量")), 5);
        repair << QStringLiteral("--server-backup-taken");
    }
    const QString backup = library.folder() + QStringLiteral("/修复前.db");
    if (embedded)
        repair << QStringLiteral("--backup") << backup;
    output = runCheck(repair + QStringList{target}, &code);
    QCOMPARE(code, 1); // what needs a person remains
    QVERIFY2(output.contains(QStringLiteral("已修复 3 个计数")), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("修复后仍有 5 个问题")), qPrintable(output));
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("读者编号"), QStringLiteral("R1"), QStringLiteral("未还数量")), 2);
    if (embedded) {
        db::Database before(db::parseConnectionText(QStringLiteral("Provider=SQLite;Data Source=") + backup, library.folder()),
                            QStringLiteral("a"));
        QCOMPARE(counter(before, QStringLiteral("读者库"), QStringLiteral("读者编号"), QStringLiteral("R1"), QStringLiteral("未还数量")), 5);
    }
}

void TstTools::commandLines_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("parsed"); // "target books seed repair out"; empty: refused
    QTest::newRow("target only") << QStringList{"a.db"} << "a.db 5 0 0 ";
    QTest::newRow("everything") << QStringList{"--books", "7", "x.db", "--seed", "42", "--repair", "--out", "f.csv"}
                                << "x.db 7 42 1 f.csv";
    QTest::newRow("no target") << QStringList{"--books", "7"} << "";
    QTest::newRow("two targets") << QStringList{"a.db", "b.db"} << "";
    QTest::newRow("missing value") << QStringList{"a.db", "--books"} << "";
    QTest::newRow("not a number") << QStringList{"--books", "many", "a.db"} << "";
    QTest::newRow("below the least") << QStringList{"--books", "-1", "a.db"} << "";
    QTest::newRow("unknown option") << QStringList{"--book", "3", "a.db"} << "";
}

void TstTools::commandLines()
{
    QFETCH(QStringList, args);
    QFETCH(QString, parsed);
    int books = 5;
    quint64 seed = 0;
    bool repair = false;
    QString out, target;
    tools::CommandLine line;
    line.number(QStringLiteral("--books"), &books);
    line.number(QStringLiteral("--seed"), &seed);
    line.flag(QStringLiteral("--repair"), &repair);
    line.text(QStringLiteral("--out"), &out);
    if (!line.parse(args, &target)) {
        QVERIFY(parsed.isEmpty());
        return;
    }
    QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5").arg(target).arg(books).arg(seed).arg(int(repair)).arg(out), parsed);
}

QTEST_GUILESS_MAIN(TstTools)
#include "tst_tools.moc"
