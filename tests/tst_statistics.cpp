// Statistics: copies and value by class, intake by operator, the borrowing rankings and the
// money ledger by date, on the embedded file and on PostgreSQL.
#include "InputLabels.h"
#include "PageReading.h"
#include "RecordingPlatform.h"
#include "TestLibrary.h"
#include "WorkbookReader.h"
#include "app/Session.h"
#include "common/ProgramFolder.h"
#include "components/BarChart.h"
#include "components/DataGrid.h"
#include "components/ReportPreview.h"
#include "db/Database.h"
#include "db/Driver.h"
#include "db/Money.h"
#include "statistics/AdminLuRuStatUt.h"
#include "statistics/BkChartUt.h"
#include "statistics/QkChartUt.h"
#include "statistics/RdChartUt.h"
#include "statistics/ShouRuCountUt.h"
#include "statistics/SortSearchUt.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

using db::Money;
using db::Sql;
using Points = QList<BarChart::Point>;
using Table = QMap<QString, QStringList>; // first column's text → the other columns' texts

class TstStatistics : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void classesOfBooksAndPeriodicals_data() { TestLibrary::addEngineRows(); }
    void classesOfBooksAndPeriodicals();
    void scopeIsOneOfTheItemTables_data();
    void scopeIsOneOfTheItemTables();
    void classReportAndExportKeepEveryDecimal_data() { TestLibrary::addEngineRows(); }
    void classReportAndExportKeepEveryDecimal();

    void intakeByOperator_data() { TestLibrary::addEngineRows(); }
    void intakeByOperator();
    void intakeReportReadsBackFromThePdf_data() { TestLibrary::addEngineRows(); }
    void intakeReportReadsBackFromThePdf();

    void ledgerByDate_data() { TestLibrary::addEngineRows(); }
    void ledgerByDate();
    void ledgerReportAndExport_data() { TestLibrary::addEngineRows(); }
    void ledgerReportAndExport();
    void reversedRangeIsToldAndListsNothing();

    void rankingCharts_data();
    void rankingCharts();
    void rankingStatementPerEngine_data();
    void rankingStatementPerEngine();
    void rankingFailureLeavesTheChartEmpty();

private:
    void useLibrary(TestLibrary &library);
    RecordingPlatform *platform_ = nullptr;
};

void TstStatistics::init()
{
    Session::reset();
    platform_ = &RecordingPlatform::install();
    setProgramFolder({}); // the build's bin folder, where the report templates are
}

void TstStatistics::cleanup()
{
    QVERIFY2(platform_->unanswered.isEmpty(), qPrintable(platform_->unanswered.join(" | ")));
    Session::reset();
}

void TstStatistics::useLibrary(TestLibrary &library)
{
    Session::instance().database = &library.db();
    Session::instance().DatabaseKind = library.kind();
}

// --- fixtures -------------------------------------------------------------------------------

static QVariant money(const char *amount) { return QVariant::fromValue(*Money::parse(QString::fromLatin1(amount))); }
static const QVariant NullText = QVariant(QMetaType::fromType<QString>());

static void item(db::Database &database, const QString &table, const QString &number, const QVariant &cls, int copies,
                 const char *price, const QVariant &intake = {}, const QString &registrar = {})
{
    db::Fields fields{{QStringLiteral("编号"), number}, {QStringLiteral("名称"), QStringLiteral("书") + number},
                      {QStringLiteral("分类"), cls}, {QStringLiteral("数量"), copies}, {QStringLiteral("价格"), money(price)}};
    if (intake.isValid())
        fields.append({QStringLiteral("入库时间"), intake});
    if (!registrar.isEmpty())
        fields.append({QStringLiteral("登记人"), registrar});
    database.insert(table, fields);
}

static void ledgerRow(db::Database &database, const QString &what, const QDate &day, const char *amount)
{
    database.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), what},
                                             {QStringLiteral("时间"), day},
                                             {QStringLiteral("读者编号"), QStringLiteral("R1")},
                                             {QStringLiteral("读者姓名"), QStringLiteral("张三")},
                                             {QStringLiteral("金额"), money(amount)},
                                             {QStringLiteral("管理员"), QStringLiteral("admin")},
                                             {QStringLiteral("备注"), QStringLiteral("")}});
}

// The grid's rows as texts, keyed by the first field's text (the statistics give no order).
static Table gridTable(const DataGrid &grid, const QStringList &fields)
{
    Table table;
    for (int row = 0; row < grid.rowCount(); ++row) {
        QStringList cells;
        for (qsizetype i = 1; i < fields.size(); ++i)
            cells << grid.displayText(row, fields.at(i));
        table.insert(grid.displayText(row, fields.first()), cells);
    }
    return table;
}

static QString reportText(const Report &shown, const QString &folder)
{
    Report report = shown;
    const QString pdf = QDir(folder).filePath(QStringLiteral("report.pdf"));
    report.savePdf(pdf);
    static const QRegularExpression blanks(QStringLiteral("[ \t]+"));
    return pdfText(pdf).replace(blanks, QStringLiteral(" "));
}

// The workbook the spreadsheet program was started with.
static QString startedWorkbook(const RecordingPlatform &platform)
{
    const QStringList started = platform.texts(QStringLiteral("start"));
    if (started.isEmpty())
        return {};
    return platform.events.last().title.section(QLatin1Char(' '), -1);
}

static void addClassFixture(db::Database &database)
{
    item(database, QStringLiteral("图书"), QStringLiteral("B1"), QStringLiteral("文学"), 3, "12.3456");
    item(database, QStringLiteral("图书"), QStringLiteral("B2"), QStringLiteral("文学"), 1, "0.1");
    item(database, QStringLiteral("图书"), QStringLiteral("B3"), QStringLiteral("历史"), 5, "0");
    item(database, QStringLiteral("图书"), QStringLiteral("B4"), QStringLiteral(""), 2, "1.5");
    item(database, QStringLiteral("图书"), QStringLiteral("B5"), NullText, 4, "2");
    item(database, QStringLiteral("期刊"), QStringLiteral("Q1"), QStringLiteral("期刊类"), 7, "3.25");
}

// --- 分类统计 --------------------------------------------------------------------------------

void TstStatistics::classesOfBooksAndPeriodicals()
{
    LIBRARY_FOR_ENGINE();
    addClassFixture(database);
    useLibrary(library);
    TSortSearchFM fm;
    QCOMPARE(fm.windowTitle(), QStringLiteral("分类统计"));
    QVERIFY(fm.windowState() & Qt::WindowMaximized);
    QCOMPARE(fm.ComboBox1->currentText(), QStringLiteral("图书"));
    QVERIFY_INPUTS_LABELLED(&fm);
    const QStringList fields{"分类", "数量", "金额"};
    // Opening counts the books: the empty and the never written class are one row, a class of
    // price 0 shows its copies and 0, and 金额 is 数量 × 价格 to the ten-thousandth.
    QCOMPARE(gridTable(*fm.DBGrid1, fields), (Table{{"文学", {"4", "37.1368"}},
                                                     {"历史", {"5", "0.00"}},
                                                     {"", {"6", "11.00"}}}));
    fm.ComboBox1->setCurrentText(QStringLiteral("期刊"));
    fm.Button1->click();
    QCOMPARE(gridTable(*fm.DBGrid1, fields), (Table{{"期刊类", {"7", "22.75"}}}));
    QCOMPARE(platform_->messages(), QStringList());
}

void TstStatistics::scopeIsOneOfTheItemTables_data()
{
    QTest::addColumn<QString>("scope");
    QTest::addColumn<bool>("counted");
    QTest::newRow("periodicals with blanks around") << " 期刊 " << true;
    QTest::newRow("readers") << "读者库" << false;
    QTest::newRow("the administrators") << "admin" << false;
    QTest::newRow("more than a name") << "图书 where 1=1 --" << false;
    QTest::newRow("empty") << "" << false;
}

void TstStatistics::scopeIsOneOfTheItemTables()
{
    QFETCH(QString, scope);
    QFETCH(bool, counted);
    TestLibrary library;
    addClassFixture(library.db());
    useLibrary(library);
    TSortSearchFM fm;
    QCOMPARE(fm.DBGrid1->rowCount(), 3);
    fm.ComboBox1->setCurrentText(scope);
    fm.Button1->click();
    if (counted) {
        QCOMPARE(platform_->messages(), QStringList());
        QCOMPARE(fm.DBGrid1->rowCount(), 1);
    } else {
        QCOMPARE(platform_->messages(), QStringList{QStringLiteral("统计范围只能是“图书”或“期刊”。")});
        QCOMPARE(fm.DBGrid1->rowCount(), 0);
    }
}

void TstStatistics::classReportAndExportKeepEveryDecimal()
{
    LIBRARY_FOR_ENGINE();
    addClassFixture(database);
    useLibrary(library);
    TSortSearchFM fm;
    fm.DBGrid1->sortBy(QStringLiteral("金额"), Qt::DescendingOrder);
    fm.Button3->click();
    auto *preview = platform_->lastWindow<TReportPreviewFm>();
    QVERIFY(preview);
    QCOMPARE(preview->report().rows().size(), 3);
    QCOMPARE(preview->report().rows().first().value(QStringLiteral("金额")).value<Money>(), *Money::parse("37.1368"));
    const QString page = reportText(preview->report(), library.folder());
    QVERIFY2(page.contains(QStringLiteral("文学 4 37.1368")), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("历史 5 0.00")), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("分类 数量 金额")), qPrintable(page));

    platform_->installedPrograms = {QStringLiteral("libreoffice")};
    fm.Button2->click();
    const Sheet sheet = readBack(startedWorkbook(*platform_));
    QCOMPARE(sheet.header(), (QStringList{"分类", "数量", "金额"}));
    QCOMPARE(sheet.rows.size(), 4);
    const QJsonObject value = sheet.cell(1, QStringLiteral("金额")).toObject();
    QCOMPARE(value.value(QStringLiteral("value")).toDouble(), 37.1368);
    QCOMPARE(value.value(QStringLiteral("format")).toString(), QStringLiteral("#,##0.00##"));
}

// --- 管理员录入量统计 -------------------------------------------------------------------------

static void addIntakeFixture(db::Database &database)
{
    const QString books = QStringLiteral("图书");
    // 张三: one entry of 10 copies at 20, on the to-date
    item(database, books, QStringLiteral("B1"), QStringLiteral("文学"), 10, "20", QDate(2025, 6, 16), QStringLiteral("张三"));
    // 李四: two entries in the range, one on the from-date
    item(database, books, QStringLiteral("B2"), QStringLiteral("文学"), 1, "0.1234", QDate(2025, 6, 1), QStringLiteral("李四"));
    item(database, books, QStringLiteral("B3"), QStringLiteral("历史"), 3, "5", QDate(2025, 6, 10), QStringLiteral("李四"));
    // outside: the day after, the day before, no intake date (the spreadsheet import)
    item(database, books, QStringLiteral("B4"), QStringLiteral("文学"), 1, "99", QDate(2025, 6, 17), QStringLiteral("张三"));
    item(database, books, QStringLiteral("B5"), QStringLiteral("文学"), 1, "99", QDate(2025, 5, 31), QStringLiteral("李四"));
    item(database, books, QStringLiteral("B6"), QStringLiteral("文学"), 1, "99", {}, QStringLiteral("张三"));
    // periodicals are never counted
    item(database, QStringLiteral("期刊"), QStringLiteral("Q1"), QStringLiteral("期刊类"), 1, "99", QDate(2025, 6, 10),
         QStringLiteral("张三"));
}

void TstStatistics::intakeByOperator()
{
    LIBRARY_FOR_ENGINE();
    addIntakeFixture(database);
    useLibrary(library);
    TAdminLuRuStatFm fm;
    QCOMPARE(fm.windowTitle(), QStringLiteral("管理员录入量统计"));
    QCOMPARE(fm.DateTimePicker1->date(), QDate(2008, 8, 10));
    QCOMPARE(fm.DateTimePicker2->date(), QDate(2008, 8, 10));
    QCOMPARE(fm.Label1->text(), QStringLiteral("从"));
    QCOMPARE(fm.Label2->text(), QStringLiteral("到"));
    QVERIFY_INPUTS_LABELLED(&fm);
    QVERIFY(!fm.DBGrid1->isOpen()); // nothing until 统计

    fm.DateTimePicker1->setDate(QDate(2025, 6, 1));
    fm.DateTimePicker2->setDate(QDate(2025, 6, 16));
    fm.Button1->click();
    // The statement as the user reads it, before it runs.
    const QString dq = library.kind() == QLatin1String("a") ? QStringLiteral("#") : QStringLiteral("'");
    QCOMPARE(platform_->messages(),
             QStringList{QStringLiteral("SELECT 登记人, count(编号) AS 记录数, sum(价格) AS 总价格 FROM 图书 where 入库时间>=")
                         + dq + QStringLiteral("2025-06-01") + dq + QStringLiteral(" and 入库时间<=") + dq
                         + QStringLiteral("2025-06-16") + dq + QStringLiteral(" GROUP BY 登记人")});
    const QStringList fields{"登记人", "记录数", "总价格"};
    QCOMPARE(gridTable(*fm.DBGrid1, fields), (Table{{"张三", {"1", "20.00"}}, {"李四", {"2", "5.1234"}}}));

    // A to-date before the from-date lists nothing.
    fm.DateTimePicker1->setDate(QDate(2025, 6, 16));
    fm.DateTimePicker2->setDate(QDate(2025, 6, 1));
    fm.Button1->click();
    QCOMPARE(fm.DBGrid1->rowCount(), 0);
    QCOMPARE(platform_->messages().size(), 2);
}

void TstStatistics::intakeReportReadsBackFromThePdf()
{
    LIBRARY_FOR_ENGINE();
    addIntakeFixture(database);
    useLibrary(library);
    TAdminLuRuStatFm fm;
    fm.DateTimePicker1->setDate(QDate(2025, 6, 1));
    fm.DateTimePicker2->setDate(QDate(2025, 6, 16));
    fm.Button1->click();
    fm.DBGrid1->sortBy(QStringLiteral("登记人"), Qt::AscendingOrder);
    fm.Button2->click();
    auto *preview = platform_->lastWindow<TReportPreviewFm>();
    QVERIFY(preview);
    const QString page = reportText(preview->report(), library.folder());
    QVERIFY2(page.contains(QStringLiteral("张三 1 20.00")), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("李四 2 5.1234")), qPrintable(page));

    platform_->installedPrograms = {QStringLiteral("libreoffice")};
    fm.Button3->click();
    const Sheet sheet = readBack(startedWorkbook(*platform_));
    QCOMPARE(sheet.header(), (QStringList{"登记人", "记录数", "总价格"}));
    QCOMPARE(sheet.rows.size(), 3);
    QCOMPARE(sheet.cell(2, QStringLiteral("总价格")).toObject().value(QStringLiteral("value")).toDouble(), 5.1234);
}

// --- 资金统计 --------------------------------------------------------------------------------

static void addLedgerFixture(db::Database &database)
{
    const QDate day(2025, 6, 16);
    ledgerRow(database, QStringLiteral("开户费"), day, "10");
    ledgerRow(database, QStringLiteral("充值"), day, "50");
    ledgerRow(database, QStringLiteral("充值"), day, "-20");
    ledgerRow(database, QStringLiteral("充值"), day.addDays(1), "100.0001");
    ledgerRow(database, QStringLiteral("充值"), day.addDays(-1), "7");
}

void TstStatistics::ledgerByDate()
{
    LIBRARY_FOR_ENGINE();
    addLedgerFixture(database);
    useLibrary(library);
    TShouRuCountFm fm;
    QCOMPARE(fm.windowTitle(), QStringLiteral("资金统计"));
    QCOMPARE(fm.DateTimePicker1->date(), QDate(2008, 8, 10));
    QVERIFY_INPUTS_LABELLED(&fm);
    // Opening lists the whole ledger.
    QCOMPARE(fm.DBGrid1->rowCount(), 5);
    QCOMPARE(fm.DBGrid1->footerText(QStringLiteral("金额")), QStringLiteral("147.0001"));

    // A fee, a top-up and a refund on one day.
    fm.DateTimePicker1->setDate(QDate(2025, 6, 16));
    fm.DateTimePicker2->setDate(QDate(2025, 6, 16));
    fm.Button1->click();
    QCOMPARE(fm.DBGrid1->rowCount(), 3);
    QCOMPARE(fm.DBGrid1->footerText(QStringLiteral("金额")), QStringLiteral("40.00"));
    QCOMPARE(fm.DBGrid1->footerValue(QStringLiteral("金额")).value<Money>(), Money::fromInt(40));
    // The footer follows the grid's filter.
    fm.DBGrid1->setFilter(QStringLiteral("项目"), {QStringLiteral("充值")});
    QCOMPARE(fm.DBGrid1->footerText(QStringLiteral("金额")), QStringLiteral("30.00"));

    // Both ends included.
    fm.DateTimePicker2->setDate(QDate(2025, 6, 17));
    fm.Button1->click();
    QCOMPARE(fm.DBGrid1->rowCount(), 4);
    QCOMPARE(fm.DBGrid1->footerText(QStringLiteral("金额")), QStringLiteral("140.0001"));

    // The first date after the second: nothing, and a sum of 0.
    fm.DateTimePicker1->setDate(QDate(2025, 6, 18));
    fm.Button1->click();
    QCOMPARE(fm.DBGrid1->rowCount(), 0);
    QCOMPARE(fm.DBGrid1->footerText(QStringLiteral("金额")), QStringLiteral("0.00"));
    QCOMPARE(platform_->messages(), QStringList());
}

void TstStatistics::ledgerReportAndExport()
{
    LIBRARY_FOR_ENGINE();
    addLedgerFixture(database);
    useLibrary(library);
    TShouRuCountFm fm;
    fm.DateTimePicker1->setDate(QDate(2025, 6, 16));
    fm.DateTimePicker2->setDate(QDate(2025, 6, 17));
    fm.Button1->click();
    fm.Button2->click();
    auto *preview = platform_->lastWindow<TReportPreviewFm>();
    QVERIFY(preview);
    QCOMPARE(preview->report().rows().size(), 4);
    const QString page = reportText(preview->report(), library.folder());
    QVERIFY2(page.contains(QStringLiteral("项目 时间 读者编号 读者姓名 金额 管理员")), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("开户费 2025-06-16 R1 张三 10.00 admin")), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("充值 2025-06-16 R1 张三 -20.00 admin")), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("充值 2025-06-17 R1 张三 100.0001 admin")), qPrintable(page));

    // Every column of the result, id included.
    platform_->installedPrograms = {QStringLiteral("libreoffice")};
    fm.Button3->click();
    const Sheet sheet = readBack(startedWorkbook(*platform_));
    QCOMPARE(sheet.header(), (QStringList{"id", "项目", "时间", "读者编号", "读者姓名", "金额", "管理员", "备注"}));
    QCOMPARE(sheet.rows.size(), 5);
    double sum = 0;
    for (int row = 1; row < sheet.rows.size(); ++row)
        sum += sheet.cell(row, QStringLiteral("金额")).toObject().value(QStringLiteral("value")).toDouble();
    QCOMPARE(sum, 140.0001);
}

// The date-range list as the intake register configures it: a reversed range is told, and the
// query still runs and lists nothing.
void TstStatistics::reversedRangeIsToldAndListsNothing()
{
    TestLibrary library;
    addIntakeFixture(library.db());
    DateRangeListWindow fm(library.db(),
                           {.caption = QStringLiteral("资料入库登记信息统计"),
                            .fromCaption = QStringLiteral("入库登记时间从"),
                            .initialDate = QDate(2008, 3, 10),
                            .rangeQuery = [](const QDate &from, const QDate &to) {
                                return Sql("select * from 图书 where 入库时间>=") + Sql::date(from)
                                    + Sql(" and 入库时间<=") + Sql::date(to);
                            },
                            .keyTable = QStringLiteral("图书"),
                            .reversedRangeMessage = QStringLiteral("时间前后逻辑错误!"),
                            .standardButtons = false});
    QVERIFY(!fm.Button2 && !fm.Button3 && !fm.Button4);
    QVERIFY_INPUTS_LABELLED(&fm);
    fm.DateTimePicker1->setDate(QDate(2025, 6, 16));
    fm.DateTimePicker2->setDate(QDate(2025, 6, 16));
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList());
    QCOMPARE(fm.DBGrid1->rowCount(), 1);
    fm.DateTimePicker2->setDate(QDate(2025, 6, 15));
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("时间前后逻辑错误!")});
    QCOMPARE(fm.DBGrid1->rowCount(), 0);
}

// --- borrowing rankings ----------------------------------------------------------------------

static void addLoanCounts(db::Database &database, const QString &table, const QList<int> &counts)
{
    for (qsizetype i = 0; i < counts.size(); ++i)
        database.insert(table, {{QStringLiteral("编号"), QStringLiteral("N%1").arg(i)},
                                {QStringLiteral("名称"), QStringLiteral("名称%1").arg(i)},
                                {QStringLiteral("借出次数"), counts.at(i)}});
}

static void addReaders(db::Database &database, const QList<QPair<QString, int>> &readers)
{
    for (qsizetype i = 0; i < readers.size(); ++i)
        database.insert(QStringLiteral("读者库"), {{QStringLiteral("读者编号"), QStringLiteral("R%1").arg(i)},
                                                   {QStringLiteral("读者姓名"), readers.at(i).first},
                                                   {QStringLiteral("累计借阅次数"), readers.at(i).second}});
}

void TstStatistics::rankingCharts_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<Points>("points");
    const QList<std::pair<const char *, TestLibrary::EngineChoice>> engines{
        {"sqlite", TestLibrary::EngineChoice::SQLite}, {"postgresql", TestLibrary::EngineChoice::PostgreSQL}};
    for (const auto &[engineName, engine] : engines) {
        if (engine == TestLibrary::EngineChoice::PostgreSQL && !TestLibrary::postgresAvailable())
            continue;
        const auto row = [&](const char *what) -> QTestData & {
            return QTest::addRow("%s: %s", engineName, what) << int(engine);
        };
        // Fewer than twelve: every book, the never lent one included.
        row("three books") << "TBkChartFm" << "图书统计" << Points{{"名称0", 5}, {"名称2", 2}, {"名称1", 0}};
        Points top;
        for (int i = 13; i >= 2; --i)
            top.append({QStringLiteral("名称%1").arg(i), double(i)});
        row("fourteen periodicals give twelve") << "TQkChartFm" << "期刊统计" << top;
        row("readers of one name are two bars")
            << "TRdChartFm" << "读者信息" << Points{{"李四", 9}, {"张三", 4}, {"张三", 2}, {"王五", 0}};
    }
}

void TstStatistics::rankingCharts()
{
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(Points, points);
    LIBRARY_FOR_ENGINE();
    addLoanCounts(database, QStringLiteral("图书"), {5, 0, 2});
    QList<int> fourteen;
    for (int i = 0; i < 14; ++i)
        fourteen.append(i);
    addLoanCounts(database, QStringLiteral("期刊"), fourteen);
    addReaders(database, {{QStringLiteral("张三"), 4}, {QStringLiteral("李四"), 9}, {QStringLiteral("张三"), 2},
                          {QStringLiteral("王五"), 0}});
    useLibrary(library);

    std::unique_ptr<RankingChartWindow> fm;
    if (window == QLatin1String("TBkChartFm"))
        fm = std::make_unique<TBkChartFm>();
    else if (window == QLatin1String("TQkChartFm"))
        fm = std::make_unique<TQkChartFm>();
    else
        fm = std::make_unique<TRdChartFm>();
    QCOMPARE(QString::fromLatin1(fm->metaObject()->className()), window);
    QCOMPARE(fm->windowTitle(), caption);
    QCOMPARE(fm->DBChart1->title(), QStringLiteral("借阅次数排行"));
    QCOMPARE(fm->DBChart1->points(), points);
    QCOMPARE(platform_->messages(), QStringList());
    QVERIFY_INPUTS_LABELLED(fm.get());

    fm->show();
    QPointer<QWidget> guard = fm.get();
    fm->setAttribute(Qt::WA_DeleteOnClose);
    fm->Button1->click(); // 确定 closes the window
    fm.release();
    QTRY_VERIFY(!guard);
}

void TstStatistics::rankingStatementPerEngine_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    // On SQL Server the ranking is the top twelve percent of all rows, rounded up by the server:
    // a table of ten books gives two bars.
    QTest::newRow("SQL Server: twelve percent") << "s" << "select top 12 percent 名称,借出次数 from 图书 order by 借出次数 desc";
    QTest::newRow("embedded: twelve rows") << "a" << "select top 12 名称,借出次数 from 图书 order by 借出次数 desc";
    QTest::newRow("PostgreSQL: twelve rows") << "p" << "select 名称,借出次数 from 图书 order by 借出次数 desc limit 12";
}

void TstStatistics::rankingStatementPerEngine()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    const Sql ranking = RankingChartWindow::ranking(
        {QStringLiteral("图书统计"), QStringLiteral("图书"), QStringLiteral("借出次数"), QStringLiteral("名称")});
    QCOMPARE(ranking.displayText(kind), text);
    // What the engine is sent: the same rows the user is shown.
    const db::Engine engine = kind == QLatin1String("s")   ? db::Engine::SqlServer
                              : kind == QLatin1String("p") ? db::Engine::PostgreSQL
                                                           : db::Engine::SQLite;
    const auto driver = db::Driver::forEngine(engine);
    const QString sent = driver->withRankingTop(ranking.preparedText(), ranking.rowLimit());
    if (kind == QLatin1String("a"))
        QCOMPARE(sent, QStringLiteral("select 名称,借出次数 from 图书 order by 借出次数 desc limit 12"));
    else
        QCOMPARE(sent, text);
    // A plain row limit stays a row limit on SQL Server.
    QCOMPARE(Sql("select 名称 from 图书").limit(12).displayText(QStringLiteral("s")),
             QStringLiteral("select top 12 名称 from 图书"));
}

void TstStatistics::rankingFailureLeavesTheChartEmpty()
{
    TestLibrary library;
    library.db().exec(Sql("drop table 期刊"));
    useLibrary(library);
    TQkChartFm fm;
    QCOMPARE(fm.DBChart1->pointCount(), 0);
    QCOMPARE(platform_->errors().size(), 1);
    QVERIFY2(platform_->errors().first().contains(QStringLiteral("期刊")), qPrintable(platform_->errors().first()));
}

QTEST_MAIN(TstStatistics)
#include "tst_statistics.moc"
