// The spreadsheet export: workbooks read back with an independent reader (openpyxl), the
// spreadsheet program started with the file, and the message when there is none.
#include "ReadOnlyFolder.h"
#include "RecordingPlatform.h"
#include "TestLibrary.h"
#include "WorkbookReader.h"
#include "common/SpreadsheetExport.h"
#include "db/Database.h"
#include "db/Money.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using db::Money;
using db::Sql;

class TstExport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void engines_data();
    void typedCellsAndOrder_data() { engines_data(); }
    void typedCellsAndOrder();
    void headerNamesAsTheResultNamesThem_data();
    void headerNamesAsTheResultNamesThem();
    void declaredMoneyIsExact_data() { engines_data(); }
    void declaredMoneyIsExact();
    void emptyResultGivesHeaderOnly();
    void longListReportsProgress();
    void writerFailureThrowsAndLeavesNoFile_data();
    void writerFailureThrowsAndLeavesNoFile();
    void noSpreadsheetProgram();
    void programStartedWithTheFile_data();
    void programStartedWithTheFile();

private:
    void addBooks(db::Database &database);
    QTemporaryDir tmp_;
    QTemporaryDir *tempRoot_ = nullptr;
    RecordingPlatform *platform_ = nullptr;
};

void TstExport::init()
{
    platform_ = &RecordingPlatform::install();
    // A temporary location of this test's own, to see what an export leaves behind.
    tempRoot_ = new QTemporaryDir(tmp_.filePath(QStringLiteral("tmp-XXXXXX")));
    qputenv("TMPDIR", QFile::encodeName(tempRoot_->path()));
}

void TstExport::cleanup()
{
    qunsetenv("TMPDIR");
    delete tempRoot_;
    tempRoot_ = nullptr;
}

void TstExport::engines_data() { TestLibrary::addEngineRows(); }

void TstExport::addBooks(db::Database &database)
{
    const auto money = [](const char *text) { return QVariant::fromValue(*Money::parse(QString::fromUtf8(text))); };
    database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QStringLiteral("001")},
                                             {QStringLiteral("名称"), QStringLiteral("中华人民共和国图书馆学概论")},
                                             {QStringLiteral("ISBN"), QStringLiteral("9787500000001")},
                                             {QStringLiteral("价格"), money("1234567.5")},
                                             {QStringLiteral("出版时间"), QDate(2024, 2, 29)},
                                             {QStringLiteral("数量"), 3},
                                             {QStringLiteral("借出次数"), 1}});
    database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QStringLiteral("002")},
                                             {QStringLiteral("名称"), QStringLiteral("Old book")},
                                             {QStringLiteral("ISBN"), QString()},
                                             {QStringLiteral("价格"), money("12.3456")},
                                             {QStringLiteral("出版时间"), QDate(1850, 6, 1)},
                                             {QStringLiteral("数量"), 0},
                                             {QStringLiteral("借出次数"), 9}});
}

void TstExport::typedCellsAndOrder()
{
    QFETCH(int, engine);
    LIBRARY_CHECK_ENGINE(engine);
    TestLibrary library(static_cast<TestLibrary::EngineChoice>(engine));
    addBooks(library.db());
    const QString path = tmp_.filePath(QStringLiteral("typed.xlsx"));
    const qint64 written = SpreadsheetExport(library.db(), Sql::fixed("select 编号, 名称, ISBN, 价格, 出版时间, 数量, 页数 "
                                                               "from 图书 order by 借出次数 desc"))
                               .writeTo(path);
    QCOMPARE(written, 2);
    const Sheet sheet = readBack(path);
    QCOMPARE(sheet.sheets, 1);
    QCOMPARE(sheet.rows.size(), 3);
    // Names as the schema writes them, also where PostgreSQL hands back "isbn".
    QCOMPARE(sheet.header(), (QStringList{"编号", "名称", "ISBN", "价格", "出版时间", "数量", "页数"}));

    struct Expected {
        int row;
        const char *column;
        const char *kind; // nullptr: an empty cell
        QVariant value;
        const char *format;
    };
    const QList<Expected> cells{
        // 借出次数 9 first: the rows keep the statement's order
        {1, "编号", "text", QStringLiteral("002"), "General"},
        {2, "编号", "text", QStringLiteral("001"), "General"},
        {2, "名称", "text", QStringLiteral("中华人民共和国图书馆学概论"), "General"},
        {2, "价格", "number", 1234567.5, "#,##0.00##"},
        {1, "价格", "number", 12.3456, "#,##0.00##"},
        {2, "出版时间", "date", QStringLiteral("2024-02-29"), "yyyy-mm-dd"},
        // before the spreadsheet's first day: kept as its text, not a wrong date
        {1, "出版时间", "text", QStringLiteral("1850-06-01"), "General"},
        {2, "数量", "number", 3, "General"},
        {1, "数量", "number", 0, "General"},
        {1, "ISBN", nullptr, {}, nullptr},
        {1, "页数", nullptr, {}, nullptr},
    };
    for (const Expected &e : cells) {
        const QString where = QStringLiteral("row %1, %2").arg(e.row).arg(QString::fromUtf8(e.column));
        const QJsonValue cell = sheet.cell(e.row, QString::fromUtf8(e.column));
        if (!e.kind) {
            QVERIFY2(cell.isNull(), qPrintable(where));
            continue;
        }
        const QJsonObject c = cell.toObject();
        QCOMPARE(c.value(QStringLiteral("kind")).toString(), QString::fromLatin1(e.kind));
        QCOMPARE(c.value(QStringLiteral("format")).toString(), QString::fromLatin1(e.format));
        QCOMPARE(c.value(QStringLiteral("value")).toVariant(), e.value);
    }

    // Widths fitted to the longest text, a Chinese character counting as two.
    const QStringList header = sheet.header();
    for (int c = 0; c < header.size(); ++c)
        QVERIFY2(sheet.width(c) > 0, qPrintable(header[c]));
    const double name = sheet.width(sheet.column(QStringLiteral("名称")));
    const double isbn = sheet.width(sheet.column(QStringLiteral("ISBN")));
    QVERIFY2(name >= 26 && isbn >= 13 && name > isbn + 10, qPrintable(QStringLiteral("%1 %2").arg(name).arg(isbn)));
    QVERIFY(sheet.width(sheet.column(QStringLiteral("价格"))) >= QStringLiteral("1,234,567.50").size());
}

void TstExport::headerNamesAsTheResultNamesThem_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QStringList>("firstRow"); // as text; money with its four decimals

    QTest::newRow("aliases of computed columns, a sum of money")
        << "select 登记人, count(*) as 记录数, sum(价格) as 总价格 from 图书 group by 登记人" << 0 << -1
        << QStringList{"登记人", "记录数", "总价格"} << QStringList{"", "2", "1234579.8456"};
    QTest::newRow("two equal names show the first one's value")
        << "select 编号, 名称, 编号 as 名称 from 图书 where 编号='002'" << 0 << -1
        << QStringList{"编号", "名称", "名称"} << QStringList{"002", "Old book", "Old book"};
    QTest::newRow("a number column holding text keeps the text")
        << "select 编号, '约300' as 页数 from 图书 where 编号='001'" << 0 << -1 << QStringList{"编号", "页数"}
        << QStringList{"001", "约300"};
    QTest::newRow("a number no cell can hold is kept as text")
        << "select 9e999 as 溢出 from 图书 where 编号='001'" << 0 << -1 << QStringList{"溢出"} << QStringList{"inf"};
    QTest::newRow("a run of fields") << "select 编号, 名称, 数量, 借出次数 from 图书 where 编号='001'" << 1 << 2
                                     << QStringList{"名称", "数量"} << QStringList{"中华人民共和国图书馆学概论", "3"};
}

void TstExport::headerNamesAsTheResultNamesThem()
{
    QFETCH(QString, statement);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QStringList, header);
    QFETCH(QStringList, firstRow);
    TestLibrary library;
    addBooks(library.db());
    const QString path = tmp_.filePath(QStringLiteral("header.xlsx"));
    SpreadsheetExport(library.db(), Sql::fixed(statement))
        .fields(first, last)
        .columnKind(QStringLiteral("总价格"), db::ColumnKind::Money)
        .writeTo(path);
    const Sheet sheet = readBack(path);
    QCOMPARE(sheet.header(), header);
    QStringList values;
    for (const QJsonValue &v : sheet.rows.at(1).toArray())
        values.append(v.isNull() ? QString() : v.toObject().value(QStringLiteral("value")).toVariant().toString());
    QCOMPARE(values, firstRow);
}

void TstExport::declaredMoneyIsExact()
{
    // A sum under an alias is money because the statement says so; on SQLite the engine hands
    // back ten-thousandths, which only the declared kind turns into 12.6234.
    LIBRARY_FOR_ENGINE();
    for (const char *price : {"12.5", "0.1234"})
        database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QString::fromLatin1(price)},
                                                 {QStringLiteral("登记人"), QStringLiteral("张三")},
                                                 {QStringLiteral("价格"), QVariant::fromValue(*Money::parse(QString::fromLatin1(price)))}});
    const QString path = tmp_.filePath(QStringLiteral("sum.xlsx"));
    SpreadsheetExport(database, Sql("select 登记人, count(*) as 记录数, sum(价格) as 总价格 from 图书 group by 登记人")
                                    .kind(QStringLiteral("总价格"), db::ColumnKind::Money))
        .writeTo(path);
    const Sheet sheet = readBack(path);
    QCOMPARE(sheet.header(), (QStringList{"登记人", "记录数", "总价格"}));
    const QJsonObject total = sheet.cell(1, QStringLiteral("总价格")).toObject();
    QCOMPARE(total.value(QStringLiteral("kind")).toString(), QStringLiteral("number"));
    QCOMPARE(total.value(QStringLiteral("format")).toString(), QStringLiteral("#,##0.00##"));
    QCOMPARE(total.value(QStringLiteral("value")).toDouble(), 12.6234);
    QCOMPARE(sheet.cell(1, QStringLiteral("记录数")).toObject().value(QStringLiteral("value")).toInt(), 2);
}

void TstExport::emptyResultGivesHeaderOnly()
{
    TestLibrary library;
    const QString path = tmp_.filePath(QStringLiteral("empty.xlsx"));
    QCOMPARE(SpreadsheetExport(library.db(), Sql("select * from 图书")).writeTo(path), 0);
    const Sheet sheet = readBack(path);
    QCOMPARE(sheet.rows.size(), 1);
    const QStringList header = sheet.header();
    QCOMPARE(header.size(), 29);
    QCOMPARE(header.first(), QStringLiteral("编号"));
    QCOMPARE(header.last(), QStringLiteral("登记人"));
}

void TstExport::longListReportsProgress()
{
    TestLibrary library;
    const QString path = tmp_.filePath(QStringLiteral("long.xlsx"));
    QList<qint64> calls;
    const qint64 written = SpreadsheetExport(library.db(), Sql::fixed("with recursive n(i) as (select 1 union all select i + 1 "
                                                               "from n where i < 12001) select i as 序号 from n"))
                               .onProgress([&calls](qint64 rows) { calls.append(rows); })
                               .writeTo(path);
    QCOMPARE(written, 12001);
    QCOMPARE(calls, (QList<qint64>{5000, 10000}));
    const Sheet sheet = readBack(path);
    QCOMPARE(sheet.rows.size(), 12002);
    QCOMPARE(sheet.rows.last().toArray().at(0).toObject().value(QStringLiteral("value")).toInt(), 12001);
}

void TstExport::writerFailureThrowsAndLeavesNoFile_data()
{
    QTest::addColumn<QString>("where"); // in the read-only folder, or under a writable one
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a read-only folder") << "read-only" << "图书.xlsx" << "没有权限";
    QTest::newRow("a folder that is not there") << "writable" << "no-such-folder/out.xlsx" << "文件夹不存在";
}

void TstExport::writerFailureThrowsAndLeavesNoFile()
{
    QFETCH(QString, where);
    QFETCH(QString, file);
    QFETCH(QString, reason);
    TestLibrary library;
    addBooks(library.db());
    ReadOnlyFolder readOnly;
    QVERIFY(!QFile(readOnly.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly));
    const QString path = (where == QLatin1String("read-only") ? readOnly.path() : tmp_.path()) + u'/' + file;
    try {
        SpreadsheetExport(library.db(), Sql("select * from 图书")).writeTo(path);
        QFAIL("the workbook was written");
    } catch (const std::runtime_error &e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("无法写入文件 %1: %2").arg(path, reason));
    }
    QVERIFY(!QFile::exists(path));
}

void TstExport::noSpreadsheetProgram()
{
    TestLibrary library;
    addBooks(library.db());
    QCOMPARE(ExportToSpreadsheet(library.db(), Sql("select * from 图书")), QString());
    QCOMPARE(platform_->events.size(), 1);
    QCOMPARE(platform_->events[0].kind, QStringLiteral("message"));
    QCOMPARE(platform_->events[0].text, QStringLiteral("系统没excel，不能导出Excel！"));
    QCOMPARE(platform_->events[0].title, QStringLiteral("错误"));
    // Only the library's own folder remains in the temporary location.
    QCOMPARE(QDir(tempRoot_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QFileInfo(library.folder()).fileName()});
}

void TstExport::programStartedWithTheFile_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("before"); // arguments before the file
    QTest::newRow("libreoffice opens it as a new document") << QStringList{"gnumeric", "libreoffice"} << "libreoffice" << "-n ";
    QTest::newRow("soffice") << QStringList{"soffice"} << "soffice" << "-n ";
    QTest::newRow("gnumeric when there is no office suite") << QStringList{"gnumeric"} << "gnumeric" << "";
}

void TstExport::programStartedWithTheFile()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, program);
    QFETCH(QString, before);
    platform_->installedPrograms = installed;
    TestLibrary library;
    addBooks(library.db());
    const QString path = ExportToSpreadsheet(library.db(), Sql("select * from 图书 order by 编号"));
    QVERIFY(!path.isEmpty());
    QCOMPARE(platform_->messages(), QStringList());
    QCOMPARE(platform_->texts(QStringLiteral("start")), QStringList{program});
    QCOMPARE(platform_->events.last().title, before + path);
    // The file stays for the program, which reads it after the call.
    QVERIFY(path.startsWith(tempRoot_->path()));
    const Sheet sheet = readBack(path);
    QCOMPARE(sheet.rows.size(), 3);
    QCOMPARE(sheet.cell(1, QStringLiteral("编号")).toObject().value(QStringLiteral("value")).toString(), QStringLiteral("001"));
}

QTEST_MAIN(TstExport)
#include "tst_export.moc"
