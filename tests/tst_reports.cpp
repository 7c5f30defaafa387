// The report engine: templates, pagination with page sums, PDF output read back with pdftotext,
// Code 128 labels read back with zbarimg, and the preview's find and navigation.
#include "RecordingPlatform.h"
#include "TestLibrary.h"
#include "common/ProgramFolder.h"
#include "components/Barcode.h"
#include "components/PrinterChoice.h"
#include "components/Report.h"
#include "components/ReportError.h"
#include "components/ReportPreview.h"
#include "components/ReportRows.h"
#include "components/ReportTemplate.h"
#include "db/Database.h"
#include "db/Money.h"

#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using db::Money;

namespace {

QString run(const QString &program, const QStringList &args, int *exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        qFatal("%s did not finish", qPrintable(program));
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of one page of a PDF as poppler reads it, each run of blanks as one blank (the
// gaps between words are positions on the page, not characters).
QString pdfPageText(const QString &pdf, int page)
{
    static const QRegularExpression blanks(QStringLiteral("[ \t]+"));
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                                             QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")})
        .replace(blanks, QStringLiteral(" "));
}

int pdfPageCount(const QString &pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    static const QRegularExpression pages(QStringLiteral(R"(Pages:\s+(\d+))"));
    return pages.match(info).captured(1).toInt();
}

// Every Code 128 value zbarimg finds in the image, sorted.
QStringList decodedBarcodes(const QImage &image, const QString &folder)
{
    const QString file = QDir(folder).filePath(QStringLiteral("labels.png"));
    image.save(file);
    const QString out = run(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), QStringLiteral("-Sdisable"),
                                                        QStringLiteral("-Scode128.enable"), file});
    QStringList values;
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        values.append(line.section(QLatin1Char(':'), 1));
    values.sort();
    return values;
}

// Books 1..count with 数量 = i % 5 + 1 and 价格 = i yuan and i ten-thousandths.
void addBooks(db::Database &database, int count)
{
    for (int i = 1; i <= count; ++i)
        database.insert(QStringLiteral("图书"),
                        {{QStringLiteral("编号"), QStringLiteral("B%1").arg(i, 4, 10, QLatin1Char('0'))},
                         {QStringLiteral("条形码"), QStringLiteral("T%1").arg(i)},
                         {QStringLiteral("名称"), QStringLiteral("书名%1").arg(i)},
                         {QStringLiteral("分类"), QStringLiteral("文学")},
                         {QStringLiteral("数量"), i % 5 + 1},
                         {QStringLiteral("价格"), QVariant::fromValue(Money::fromRaw(i * 10000 + i))}});
}

ReportRow row(std::initializer_list<std::pair<QString, QVariant>> fields)
{
    ReportRow r;
    for (const auto &[name, value] : fields)
        r.insert(name, value);
    return r;
}

} // namespace

class TstReports : public QObject {
    Q_OBJECT
private slots:
    void init();
    void rowsPerPage_data();
    void rowsPerPage();
    void pageFootSumsInLayoutAndPdf();
    void labelsDecodeToThePrintedValues();
    void readerCardTakesTextFromTheHook();
    void badTemplatesAreRefused_data();
    void badTemplatesAreRefused();
    void previewFindsAndNavigates();
    void previewSavesAndRefusesUnknownPrinter();

private:
    RecordingPlatform *platform_ = nullptr;
};

void TstReports::init()
{
    platform_ = &RecordingPlatform::install();
    setProgramFolder({}); // the build's bin folder, where the templates are copied
    setChosenPrinterName({});
}

void TstReports::rowsPerPage_data()
{
    // The book list: the list head takes room on the first page only, the page foot on each.
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("perPage");
    QTest::newRow("none: the head and the foot alone") << 0 << QList<int>{0};
    QTest::newRow("first page full") << 43 << QList<int>{43};
    QTest::newRow("one more starts a page") << 44 << QList<int>{43, 1};
    QTest::newRow("later pages hold more") << 90 << QList<int>{43, 46, 1};
}

void TstReports::rowsPerPage()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, perPage);
    Report report(ReportTemplate::load(QStringLiteral("booklist")));
    QList<ReportRow> data;
    for (int i = 0; i < rows; ++i)
        data.append(row({{QStringLiteral("编号"), QString::number(i)}, {QStringLiteral("数量"), qint64(1)}}));
    report.setRows(data);
    const ReportLayout &layout = report.layout();
    QList<int> counts;
    QList<int> printed;
    for (const LaidPage &page : layout.pages) {
        counts.append(int(page.rows.size()));
        printed.append(page.rows);
        QCOMPARE(page.bands.last().kind, ReportBandKind::PageFooter);
    }
    QCOMPARE(counts, perPage);
    QList<int> all(rows);
    std::iota(all.begin(), all.end(), 0);
    QCOMPARE(printed, all); // every row once, in order
    QCOMPARE(layout.pages.first().bands.first().kind, ReportBandKind::Title);
}

void TstReports::pageFootSumsInLayoutAndPdf()
{
    TestLibrary library;
    addBooks(library.db(), 100);
    Report report(ReportTemplate::load(QStringLiteral("booklist")));
    report.setRows(reportRows(library.db(), db::Sql("select * from 图书 order by 编号")));
    report.setPrintTime(QDateTime(QDate(2024, 3, 5), QTime(9, 7, 2)));
    const ReportLayout &layout = report.layout();
    QCOMPARE(layout.pages.size(), 3);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("books.pdf"));
    report.savePdf(pdf);
    QCOMPARE(pdfPageCount(pdf), 3);

    int first = 1;
    for (int p = 0; p < layout.pages.size(); ++p) {
        const int last = first + int(layout.pages.at(p).rows.size()) - 1;
        qint64 copies = 0;
        Money price;
        for (int i = first; i <= last; ++i) {
            copies += i % 5 + 1;
            price += Money::fromRaw(i * 10000 + i);
        }
        QCOMPARE(layout.pageSum(p, QStringLiteral("数量")).toLongLong(), copies);
        QCOMPARE(layout.pageSum(p, QStringLiteral("价格")).value<Money>(), price);

        const QString text = pdfPageText(pdf, p + 1);
        const QString foot = QStringLiteral("数量合计: %1 价格合计: %2").arg(copies).arg(price.toString(2));
        QVERIFY2(text.contains(foot), qPrintable(foot + QLatin1String(" not in:\n") + text));
        QVERIFY(text.contains(QStringLiteral("B%1").arg(first, 4, 10, QLatin1Char('0'))));
        QVERIFY(text.contains(QStringLiteral("书名%1").arg(last)));
        QCOMPARE(text.contains(QStringLiteral("2024-03-05 09:07:02")), p == 0);
        QCOMPARE(text.contains(QStringLiteral("存放位置")), p == 0);
        first = last + 1;
    }
}

void TstReports::labelsDecodeToThePrintedValues()
{
    const QStringList values{QStringLiteral("n"), QStringLiteral("Abc-123"), QStringLiteral("0123456789"),
                             QStringLiteral("中文条码"), QStringLiteral("ISBN7-5322-0089")};
    QList<ReportRow> rows;
    for (const QString &v : values)
        rows.append(row({{QStringLiteral("条形码"), v}}));
    Report report(ReportTemplate::load(QStringLiteral("booklabels")));
    report.setRows(rows);
    const LaidPage &page = report.layout().pages.first();
    // Four across, 170 wide with a gap of 20, the fifth on the next line.
    QCOMPARE(page.bands.at(1).rect.left() - page.bands.at(0).rect.left(), 190.0);
    QCOMPARE(page.bands.at(4).rect.top() - page.bands.at(0).rect.top(), 78.0);
    QCOMPARE(page.bands.at(4).rect.left(), page.bands.at(0).rect.left());

    QTemporaryDir dir;
    QStringList expected = values;
    expected.removeAll(QStringLiteral("中文条码"));
    expected.sort();
    QCOMPARE(decodedBarcodes(report.pageImage(0, 300), dir.path()), expected);

    QVERIFY(!Barcode::code128(QStringLiteral("中文条码")).isValid());
    const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));
    report.savePdf(pdf);
    const QString text = pdfPageText(pdf, 1);
    QVERIFY2(text.contains(Barcode::markText()) && text.contains(QStringLiteral("中文条码")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Abc-123"))); // the readable text under the bars
}

void TstReports::readerCardTakesTextFromTheHook()
{
    Report report(ReportTemplate::load(QStringLiteral("readercard")));
    report.setRows({row({{QStringLiteral("读者编号"), QStringLiteral("R2024001")},
                         {QStringLiteral("读者姓名"), QStringLiteral("张三")},
                         {QStringLiteral("类别"), QStringLiteral("普通")}})});
    report.setVariable(QStringLiteral("借阅证背面文字"), QStringLiteral("遗失请到借阅处挂失"));
    report.setBeforePrint([](ReportObject &o) {
        if (o.name == QLatin1String("Memo1"))
            o.text = QStringLiteral("市立图书馆");
    });
    report.layout();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("card.pdf"));
    report.savePdf(pdf);
    const QString text = pdfPageText(pdf, 1);
    for (const QString &shown : {QStringLiteral("市立图书馆"), QStringLiteral("姓名:张三"), QStringLiteral("普通"),
                                 QStringLiteral("遗失请到借阅处挂失"), QStringLiteral("R2024001")})
        QVERIFY2(text.contains(shown), qPrintable(shown + QLatin1String(" not in:\n") + text));
    QCOMPARE(decodedBarcodes(report.pageImage(0, 300), dir.path()), QStringList{QStringLiteral("R2024001")});
}

void TstReports::badTemplatesAreRefused_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not JSON") << QByteArray("{ bands: ");
    QTest::newRow("no data band") << QByteArray(R"({"bands":[{"type":"title","height":20}]})");
    QTest::newRow("unknown object") << QByteArray(R"({"bands":[{"type":"data","height":20,"objects":[{"type":"pie"}]}]})");
    QTest::newRow("band taller than the page") << QByteArray(R"({"bands":[{"type":"data","height":2000}]})");
    QTest::newRow("band without height") << QByteArray(R"({"bands":[{"type":"data"}]})");
}

void TstReports::badTemplatesAreRefused()
{
    QFETCH(QByteArray, json);
    QVERIFY_THROWS_EXCEPTION(ReportError, ReportTemplate::fromJson(json, QStringLiteral("t.json")));
    QVERIFY_THROWS_EXCEPTION(ReportError, ReportTemplate::load(QStringLiteral("no-such-report")));
}

void TstReports::previewFindsAndNavigates()
{
    // Three rows a page: 一 二 三 | 四 五 六 | 七
    const QStringList names{QStringLiteral("一号"), QStringLiteral("二号"), QStringLiteral("三号"), QStringLiteral("四号"),
                            QStringLiteral("五号"), QStringLiteral("六号"), QStringLiteral("七号")};
    QList<ReportRow> rows;
    for (const QString &n : names)
        rows.append(row({{QStringLiteral("名称"), n}}));
    Report report(ReportTemplate::fromFile(QFINDTESTDATA("data/reports/preview.json")));
    report.setRows(rows);
    TReportPreviewFm preview(report);
    QCOMPARE(preview.pageCount(), 3);

    preview.nextPage();
    preview.nextPage();
    preview.nextPage(); // stays on the last page
    QCOMPARE(preview.currentPage(), 2);
    preview.previousPage();
    QCOMPARE(preview.currentPage(), 1);
    preview.firstPage();
    preview.previousPage();
    QCOMPARE(preview.currentPage(), 0);
    preview.lastPage();
    QCOMPARE(preview.currentPage(), 2);

    preview.firstPage();
    QVERIFY(preview.findText(QStringLiteral("五号")));
    QCOMPARE(preview.currentPage(), 1);
    QVERIFY(!preview.highlighted().isEmpty());

    // "号" is on every row: each find goes to the next one, round to the first.
    auto *edit = preview.findChild<QLineEdit *>(QStringLiteral("findEdit"));
    edit->setText(QStringLiteral("号"));
    QList<int> visited;
    for (int i = 0; i < 8; ++i) {
        QVERIFY(preview.findNext());
        visited.append(preview.currentPage());
    }
    // Starts on the page in view (the second), at its first row.
    QCOMPARE(visited, (QList<int>{1, 1, 1, 2, 0, 0, 0, 1}));

    QVERIFY(!preview.findText(QStringLiteral("八号")));
    QVERIFY(preview.highlighted().isEmpty());

    const double before = preview.zoom();
    preview.zoomIn();
    QVERIFY(preview.zoom() > before);
    preview.zoomOut();
    preview.zoomOut();
    QVERIFY(preview.zoom() < before);
}

void TstReports::previewSavesAndRefusesUnknownPrinter()
{
    Report report(ReportTemplate::fromFile(QFINDTESTDATA("data/reports/preview.json")));
    report.setRows({row({{QStringLiteral("名称"), QStringLiteral("红楼梦")}})});
    TReportPreviewFm preview(report);
    QTemporaryDir dir;
    platform_->answers.enqueue(dir.filePath(QStringLiteral("saved")));
    preview.savePdf();
    const QString pdf = dir.filePath(QStringLiteral("saved.pdf"));
    QVERIFY(pdfPageText(pdf, 1).contains(QStringLiteral("红楼梦")));

    platform_->clear();
    setChosenPrinterName(QStringLiteral("没有这台打印机"));
    preview.print();
    QCOMPARE(platform_->errors().size(), 1);
    QVERIFY(platform_->errors().first().contains(QStringLiteral("没有这台打印机")));
}

QTEST_MAIN(TstReports)
#include "tst_reports.moc"
