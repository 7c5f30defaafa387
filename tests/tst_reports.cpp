// The report engine: templates, pagination with page sums, PDF output read back with pdftotext,
// Code 128 labels read back with zbarimg, and the preview's find and navigation.
#include "PageReading.h"
#include "ReadOnlyFolder.h"
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
#include <QTemporaryDir>
#include <QtTest>

using db::Money;

namespace {

// The text of one page of a PDF as poppler reads it, each run of blanks as one blank (the
// gaps between words are positions on the page, not characters).
QString pdfPageText(const QString &pdf, int page)
{
    static const QRegularExpression blanks(QStringLiteral("[ \t]+"));
    return pdfText(pdf, page).replace(blanks, QStringLiteral(" "));
}

// The values zbarimg finds in one cell of a page image, cut out on its own.
QStringList decodedIn(const QImage &image, const QRect &cell, const QString &folder)
{
    return decodedBarcodes(image.copy(cell), folder);
}

// Where a page image (at `scale` pixels per report unit) has ink outside every one of `boxes`.
QList<QPoint> inkOutside(const QImage &image, const QList<QRectF> &boxes, double scale)
{
    QList<QRect> allowed;
    for (const QRectF &b : boxes) // a pixel of rounding on each side
        allowed.append(QRectF(b.topLeft() * scale, b.size() * scale).toAlignedRect().adjusted(-1, -1, 1, 1));
    QList<QPoint> stray;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(line[x]) >= 128)
                continue;
            const QPoint p(x, y);
            if (std::none_of(allowed.cbegin(), allowed.cend(), [&](const QRect &r) { return r.contains(p); }))
                stray.append(p);
        }
    }
    return stray;
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
    void headingsOnEveryPage_data();
    void headingsOnEveryPage();
    void labelsDecodeToThePrintedValues();
    void labelsStayInsideTheirCells();
    void readerCardTakesTextFromTheHook();
    void summedMoneyPrintsExactly_data() { TestLibrary::addEngineRows(); }
    void summedMoneyPrintsExactly();
    void badTemplatesAreRefused_data();
    void badTemplatesAreRefused();
    void previewFindsAndNavigates();
    void previewSavesAndRefusesUnknownPrinter();
    void previewOpensThroughThePlatform_data() { TestLibrary::addEngineRows(); }
    void previewOpensThroughThePlatform();
    void savedPdfIsNamedByTheTitle_data();
    void savedPdfIsNamedByTheTitle();
    void unwritablePdfIsNamedAndExplained_data();
    void unwritablePdfIsNamedAndExplained();

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
    // The book list: the title (print date and time) takes room on the first page only, the
    // column headings and the page foot on each.
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("perPage");
    QTest::newRow("none: the head and the foot alone") << 0 << QList<int>{0};
    QTest::newRow("first page full") << 43 << QList<int>{43};
    QTest::newRow("one more starts a page") << 44 << QList<int>{43, 1};
    QTest::newRow("later pages hold more") << 89 << QList<int>{43, 45, 1};
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
    for (const LaidPage &page : layout.pages.mid(1))
        QCOMPARE(page.bands.first().kind, ReportBandKind::ColumnHeader);
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
        QVERIFY(text.contains(QStringLiteral("存放位置"))); // the headings head every page
        first = last + 1;
    }
}

void TstReports::headingsOnEveryPage_data()
{
    // Each list template with its column headings as they read across the page.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("headings");
    QTest::newRow("overdue loans") << "overdue" << "顺序号 读者编号 读者姓名 编号 名称 类别 借阅日期 已还";
    QTest::newRow("readers") << "readerlist" << "编号 姓名 性别 单位部门 借阅次数 未还数量";
    QTest::newRow("books") << "booklist" << "图书编号 条形码 书名 分类 存放位置 数量";
    QTest::newRow("book register") << "bookregister" << "图书编号 条形码 书名 类别 存放位置 数量";
    QTest::newRow("periodical register") << "periodicalregister" << "编号 条形码 名称 类别 存放位置 数量";
    QTest::newRow("classes") << "classstats" << "分类 数量 金额";
    QTest::newRow("intake by operator") << "adminstats" << "登记人 记录数 总价格";
}

void TstReports::headingsOnEveryPage()
{
    QFETCH(QString, name);
    QFETCH(QString, headings);
    // Rows without values: each page's text is its headings, dates and empty frames.
    Report report(ReportTemplate::load(name));
    report.setRows(QList<ReportRow>(100));
    QCOMPARE(report.pageCount(), 3);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    report.savePdf(pdf);
    for (int page = 1; page <= 3; ++page) {
        const QString text = pdfPageText(pdf, page);
        QVERIFY2(text.contains(headings), qPrintable(QStringLiteral("page %1:\n%2").arg(page).arg(text)));
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

void TstReports::labelsStayInsideTheirCells()
{
    // Real shelf marks, and the widest a label meets: sixteen Ws, whose readable text is wider
    // than the bars' box at the template's 8 points.
    const QStringList values{QStringLiteral("T0000001"), QStringLiteral("ISBN7-5322-0089"),
                             QStringLiteral("9787532200891"), QStringLiteral("TSG-2024-000123"),
                             QStringLiteral("n"), QStringLiteral("WWWWWWWWWWWWWWWW"),
                             QStringLiteral("abcdefghijklmnop"), QStringLiteral("0")};
    QList<ReportRow> rows;
    for (const QString &v : values)
        rows.append(row({{QStringLiteral("条形码"), v}}));
    Report report(ReportTemplate::load(QStringLiteral("booklabels")));
    report.setRows(rows);
    const LaidPage &page = report.pages().pages.first();
    QCOMPARE(page.bands.size(), values.size());

    constexpr double Dpi = 600;
    constexpr double Scale = Dpi / 96;
    const QImage image = report.pageImage(0, Dpi);
    QList<QRectF> boxes;
    QTemporaryDir dir;
    for (int i = 0; i < page.bands.size(); ++i) {
        const LaidBand &cell = page.bands.at(i);
        const QRectF box = cell.objects.first().rect;
        QVERIFY2(cell.rect.contains(box), qPrintable(values.at(i)));
        boxes.append(box);
        // Each label scans on its own, cut out along its cell: nothing of it lies outside.
        const QRect pixels = QRectF(cell.rect.topLeft() * Scale, cell.rect.size() * Scale).toAlignedRect();
        QCOMPARE(decodedIn(image, pixels, dir.path()), QStringList{values.at(i)});
    }
    // Bars and readable text stay inside the barcode's box, so never reach the next label.
    const QList<QPoint> stray = inkOutside(image, boxes, Scale);
    QVERIFY2(stray.isEmpty(), qPrintable(QStringLiteral("%1 pixels outside the boxes, the first at %2,%3")
                                             .arg(stray.size())
                                             .arg(stray.value(0).x())
                                             .arg(stray.value(0).y())));
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

void TstReports::summedMoneyPrintsExactly()
{
    LIBRARY_FOR_ENGINE();
    const auto book = [&](const char *number, const char *price) {
        database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QString::fromLatin1(number)},
                                                 {QStringLiteral("登记人"), QStringLiteral("张三")},
                                                 {QStringLiteral("价格"), QVariant::fromValue(*Money::parse(QString::fromLatin1(price)))}});
    };
    book("B1", "12.5");
    book("B2", "0.1234");
    Report report(ReportTemplate::load(QStringLiteral("adminstats")));
    report.setRows(reportRows(database, db::Sql("select 登记人, count(*) as 记录数, sum(价格) as 总价格 from 图书 "
                                                "group by 登记人")
                                            .kind(QStringLiteral("总价格"), db::ColumnKind::Money)));
    QCOMPARE(report.rows().size(), 1);
    QCOMPARE(report.rows().first().value(QStringLiteral("总价格")).value<Money>(), *Money::parse(QStringLiteral("12.6234")));

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("stats.pdf"));
    report.savePdf(pdf);
    const QString text = pdfPageText(pdf, 1);
    QVERIFY2(text.contains(QStringLiteral("张三 2 12.6234")), qPrintable(text));
}

void TstReports::badTemplatesAreRefused_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not JSON") << QByteArray("{ bands: ");
    QTest::newRow("no data band") << QByteArray(R"({"bands":[{"type":"title","height":20}]})");
    QTest::newRow("unknown object") << QByteArray(R"({"bands":[{"type":"data","height":20,"objects":[{"type":"pie"}]}]})");
    QTest::newRow("band taller than the page") << QByteArray(R"({"bands":[{"type":"data","height":2000}]})");
    QTest::newRow("band without height") << QByteArray(R"({"bands":[{"type":"data"}]})");
    QTest::newRow("labels wider than the page")
        << QByteArray(R"({"bands":[{"type":"label","height":78,"width":190,"columns":4,"columnGap":20}]})");
    QTest::newRow("a barcode running out of its label")
        << QByteArray(R"({"bands":[{"type":"label","height":78,"width":170,"columns":4,"columnGap":20,)"
                      R"("objects":[{"type":"barcode","field":"条形码","x":23,"y":11,"width":160,"height":56}]}]})");
    QTest::newRow("a text below its band")
        << QByteArray(R"({"bands":[{"type":"data","height":22,"objects":[{"text":"x","y":10,"width":50,"height":20}]}]})");
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

void TstReports::previewOpensThroughThePlatform()
{
    LIBRARY_FOR_ENGINE();
    // Two loans due by the platform's day (2025-06-16), one due later, one returned.
    const auto loan = [&](const char *reader, const QDate &due, const char *back) {
        database.insert(QStringLiteral("借出记录"), {{QStringLiteral("读者编号"), QString::fromLatin1(reader)},
                                                     {QStringLiteral("名称"), QStringLiteral("红楼梦")},
                                                     {QStringLiteral("借阅日期"), due.addDays(-30)},
                                                     {QStringLiteral("应还日期"), due},
                                                     {QStringLiteral("已还"), QString::fromUtf8(back)}});
    };
    loan("R1", QDate(2025, 6, 15), "否");
    loan("R2", QDate(2025, 6, 16), "否");
    loan("R3", QDate(2025, 6, 17), "否");
    loan("R4", QDate(2025, 6, 1), "是");
    const db::Sql overdue = db::Sql("select * from 借出记录 where 应还日期 <=") + db::Sql::date(platform_->today())
                            + db::Sql(" and 已还=") + db::Sql::text(QStringLiteral("否")) + db::Sql(" order by id");
    Report report(ReportTemplate::load(QStringLiteral("overdue")));
    report.setRows(reportRows(database, overdue));

    QWidget opener;
    TReportPreviewFm *shown = TReportPreviewFm::showReport(std::move(report), &opener);
    // The call returned: nothing waits in a modal loop, and the double holds the window.
    auto *preview = platform_->lastWindow<TReportPreviewFm>();
    QVERIFY(preview);
    QCOMPARE(preview, shown);
    QCOMPARE(platform_->texts(QStringLiteral("window")), QStringList{QStringLiteral("TReportPreviewFm")});
    QCOMPARE(preview->report().reportTemplate().name, QStringLiteral("overdue"));
    QCOMPARE(preview->report().title(), QStringLiteral("逾期借阅记录"));
    QStringList readers;
    for (const ReportRow &r : preview->report().rows())
        readers.append(r.value(QStringLiteral("读者编号")).toString());
    QCOMPARE(readers, (QStringList{QStringLiteral("R1"), QStringLiteral("R2")}));
    QCOMPARE(preview->report().rows().first().value(QStringLiteral("借阅日期")).toDate(), QDate(2025, 5, 16));

    // The printed date and time are the platform's clock.
    const LaidPage &page = preview->report().pages().pages.first();
    QCOMPARE(page.bands.first().objects.first().text, QStringLiteral("2025-06-16    10:30:00"));

    preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!platform_->lastWindow<TReportPreviewFm>());
}

void TstReports::savedPdfIsNamedByTheTitle_data()
{
    QTest::addColumn<QString>("templateFile");
    QTest::addColumn<QString>("windowTitle"); // what the window sets, empty for none
    QTest::addColumn<QString>("suggested");
    QTest::newRow("the template's title") << "overdue" << "" << "逾期借阅记录.pdf";
    QTest::newRow("labels") << "booklabels" << "" << "图书条码.pdf";
    QTest::newRow("a title the window gives") << "bookregister" << "期刊入库登记" << "期刊入库登记.pdf";
    QTest::newRow("no title: the template's name") << "" << "" << "preview.pdf";
}

void TstReports::savedPdfIsNamedByTheTitle()
{
    QFETCH(QString, templateFile);
    QFETCH(QString, windowTitle);
    QFETCH(QString, suggested);
    Report report(templateFile.isEmpty() ? ReportTemplate::fromFile(QFINDTESTDATA("data/reports/preview.json"))
                                         : ReportTemplate::load(templateFile));
    if (!windowTitle.isEmpty())
        report.setTitle(windowTitle);
    TReportPreviewFm preview(report);
    QTemporaryDir dir;
    const QString path = dir.filePath(suggested);
    platform_->answers.enqueue(path);
    preview.savePdf();
    QCOMPARE(platform_->events.first().kind, QStringLiteral("saveFile"));
    QCOMPARE(platform_->events.first().detail, suggested);
    QCOMPARE(platform_->errors(), QStringList());
    // The document inside carries the title too.
    const QString info = runTool(QStringLiteral("pdfinfo"), {path});
    const QRegularExpression title(QStringLiteral("Title:\\s+%1\n").arg(QFileInfo(suggested).completeBaseName()));
    QVERIFY2(title.match(info).hasMatch(), qPrintable(info));
}

void TstReports::unwritablePdfIsNamedAndExplained_data()
{
    QTest::addColumn<QString>("where"); // in the read-only folder, or under a writable one
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a read-only folder") << "read-only" << "逾期.pdf" << "没有权限";
    QTest::newRow("a folder that is not there") << "writable" << "没有这个文件夹/逾期.pdf" << "文件夹不存在";
    QTest::newRow("a folder in the file's place") << "writable" << "文件夹.pdf" << "这是一个文件夹";
}

void TstReports::unwritablePdfIsNamedAndExplained()
{
    QFETCH(QString, where);
    QFETCH(QString, file);
    QFETCH(QString, reason);
    Report report(ReportTemplate::load(QStringLiteral("overdue")));
    TReportPreviewFm preview(report);
    QTemporaryDir writable;
    QDir(writable.path()).mkdir(QStringLiteral("文件夹.pdf"));
    ReadOnlyFolder readOnly;
    QVERIFY(!QFile(readOnly.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly));
    const QString path = (where == QLatin1String("read-only") ? readOnly.path() : writable.path()) + u'/' + file;
    platform_->answers.enqueue(path);
    preview.savePdf();
    QCOMPARE(platform_->errors(), QStringList{QStringLiteral("无法写入文件 %1: %2").arg(path, reason)});
    QVERIFY(!QFileInfo(path).isFile());
}

QTEST_MAIN(TstReports)
#include "tst_reports.moc"
