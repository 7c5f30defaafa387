// Excel导入 from workbooks: the .xlsx and .xls readers on fixtures saved by LibreOffice
// (tests/data/make_import_fixtures.py), and the import window on every kind of sheet, on both engines.
#include "InputLabels.h"
#include "RecordingPlatform.h"
#include "TestLibrary.h"
#include "app/LoginUt.h"
#include "app/MainUt.h"
#include "app/Session.h"
#include "catalogue/InExcelDataUt.h"
#include "catalogue/Workbook.h"
#include "common/ProgramFolder.h"
#include "common/SpreadsheetExport.h"
#include "db/Database.h"
#include "db/Money.h"

#include <QCursor>
#include <QGuiApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QCheckBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>
#include <unzip.h>
#include <zip.h>

namespace {

QString fixture(const QString &name)
{
    return QFINDTESTDATA(QStringLiteral("data/import/") + name);
}

QStringList numbers(db::Database &database)
{
    db::Rows rows = database.select(db::Sql("select 编号 from 图书 order by 编号"));
    QStringList values;
    while (rows.next())
        values.append(rows.text(QStringLiteral("编号")));
    return values;
}

void addBook(db::Database &database, const QString &number)
{
    database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), number},
                                             {QStringLiteral("名称"), QStringLiteral("旧书")},
                                             {QStringLiteral("数量"), 1},
                                             {QStringLiteral("借出次数"), 0},
                                             {QStringLiteral("状态"), QStringLiteral("正常")}});
}

QStringList listItems(const QListWidget *list)
{
    QStringList values;
    for (int i = 0; i < list->count(); ++i)
        values.append(list->item(i)->text());
    return values;
}

// The text cell of the line whose column A holds `label`.
QString valueOf(const SheetLines &sheet, const QString &label)
{
    for (const QStringList &line : sheet.lines)
        if (line.value(0) == label)
            return line.value(1);
    return QStringLiteral("<no line %1>").arg(label);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

// A copy of a zipped workbook with some parts replaced (an empty text drops the part).
QString rewrittenZip(const QTemporaryDir &dir, const QString &source, const QString &name,
                     const QHash<QString, QByteArray> &parts)
{
    const QString path = dir.filePath(name);
    unzFile in = unzOpen64(QFile::encodeName(source).constData());
    zipFile out = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    for (int more = unzGoToFirstFile(in); more == UNZ_OK; more = unzGoToNextFile(in)) {
        char partName[512];
        unzGetCurrentFileInfo64(in, nullptr, partName, sizeof partName, nullptr, 0, nullptr, 0);
        const QString part = QString::fromUtf8(partName);
        QByteArray bytes = parts.value(part);
        if (parts.contains(part) && bytes.isEmpty())
            continue;
        if (!parts.contains(part)) {
            unzOpenCurrentFile(in);
            char buffer[65536];
            for (int n; (n = unzReadCurrentFile(in, buffer, sizeof buffer)) > 0;)
                bytes.append(buffer, n);
            unzCloseCurrentFile(in);
        }
        zipOpenNewFileInZip64(out, partName, nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0);
        zipWriteInFileInZip(out, bytes.constData(), unsigned(bytes.size()));
        zipCloseFileInZip(out);
    }
    zipClose(out, nullptr);
    unzClose(in);
    return path;
}

QString longText(int parts)
{
    QString text;
    for (int i = 1; i <= parts; ++i)
        text += QStringLiteral("第%1段：图书馆的藏书。").arg(i);
    return text;
}

} // namespace

class TstImport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // The readers
    void readsCells_data();
    void readsCells();
    void gapsKeepTheirColumns_data();
    void gapsKeepTheirColumns();
    void readsFirstSheetOnly_data();
    void readsFirstSheetOnly();
    void readsTheSheetItOpensOn_data();
    void readsTheSheetItOpensOn();
    void chartSheetOpenedReadsTheFirstWorksheet();
    void inlineStringsAnd1904Dates();
    void swappedExtensionsStillRead();
    void veryLongText();
    void refusesWhatItCannotRead_data();
    void refusesWhatItCannotRead();
    void passwordProtectedWorkbook();
    void damagedWorkbooksRefusedWithoutHarm_data();
    void damagedWorkbooksRefusedWithoutHarm();

    // The window
    void importsWorkbook_data();
    void importsWorkbook();
    void titleOnlySheet_data();
    void titleOnlySheet();
    void automaticNumbering_data();
    void automaticNumbering();
    void sheetExtentAsTheSpreadsheetShowsIt_data();
    void sheetExtentAsTheSpreadsheetShowsIt();
    void emptySheet_data() { TestLibrary::addEngineRows(); }
    void emptySheet();
    void dialogOffersWorkbooksAndCsv();
    void tabFollowsTheLayout();
    void exportedListImportsAgain_data() { TestLibrary::addEngineRows(); }
    void exportedListImportsAgain();
    void unreadableWorkbookReported();
    void failedChoiceLeavesNothingToImport_data() { TestLibrary::addEngineRows(); }
    void failedChoiceLeavesNothingToImport();
    void waitCursorWhileImporting_data() { TestLibrary::addEngineRows(); }
    void waitCursorWhileImporting();
    void nothingToSaveOnceTheFailedLinesAreGone_data();
    void nothingToSaveOnceTheFailedLinesAreGone();
    void keptBetweenOpeningsFromTheMainWindow_data() { TestLibrary::addEngineRows(); }
    void keptBetweenOpeningsFromTheMainWindow();

private:
    void useLibrary(TestLibrary &library);
    void chooseSheet(TInExcelDataFm &fm, const QString &path);
    RecordingPlatform *platform_ = nullptr;
};

void TstImport::init()
{
    Session::reset();
    platform_ = &RecordingPlatform::install();
    Session::instance().setAll(true);
}

void TstImport::cleanup()
{
    QVERIFY2(platform_->unanswered.isEmpty(), qPrintable(platform_->unanswered.join(" | ")));
    Session::reset();
}

void TstImport::useLibrary(TestLibrary &library)
{
    Session &s = Session::instance();
    s.database = &library.db();
    s.DatabaseKind = library.kind();
}

void TstImport::chooseSheet(TInExcelDataFm &fm, const QString &path)
{
    platform_->answers.enqueue(path);
    fm.Button3->click();
}

// ---------------------------------------------------------------------------------------------
// The readers

void TstImport::readsCells_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("expected");
    const QList<std::pair<const char *, QString>> cells{
        {"整数", QStringLiteral("300")},
        {"小数", QStringLiteral("25.5")},
        {"负数", QStringLiteral("-3")},
        {"十三位", QStringLiteral("9787020002207")},
        {"两位小数格式", QStringLiteral("25.5")},
        {"日期", QStringLiteral("2008-08-08")},
        {"中文日期", QStringLiteral("2021-03-04")},
        {"日期时间", QStringLiteral("2020-05-06 07:08:00")},
        {"时间", QStringLiteral("13:30:00")},
        {"引号内的m", QStringLiteral("12.5")},
        {"真", QStringLiteral("TRUE")},
        {"假", QStringLiteral("FALSE")},
        {"公式数", QStringLiteral("3")},
        {"公式文本", QStringLiteral("图书馆")},
        {"公式日期", QStringLiteral("2008-08-08")},
        {"长文本", longText(220)},
        {"换行", QStringLiteral("第一行\n第二行")},
        {"空格", QStringLiteral("  两边有空格  ")},
    };
    for (const char *file : {"cells.xlsx", "cells.xls"})
        for (const auto &[label, expected] : cells)
            QTest::addRow("%s %s", file, label) << QString::fromLatin1(file) << QString::fromUtf8(label) << expected;
}

void TstImport::readsCells()
{
    QFETCH(QString, file);
    QFETCH(QString, label);
    QFETCH(QString, expected);
    const SheetLines sheet = readSheet(fixture(file));
    QCOMPARE(valueOf(sheet, label), expected);
}

void TstImport::gapsKeepTheirColumns_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("xlsx") << QStringLiteral("cells.xlsx");
    QTest::newRow("xls") << QStringLiteral("cells.xls");
}

void TstImport::gapsKeepTheirColumns()
{
    QFETCH(QString, file);
    const SheetLines sheet = readSheet(fixture(file));
    // The sheet ends with an empty line and a line with A and D: both keep their places.
    QCOMPARE(sheet.lines.size(), 20);
    QVERIFY(sheet.lines.at(18).join(QString()).isEmpty());
    QCOMPARE(sheet.lines.at(19), (QStringList{"间隔", "", "", "D列"}));
    QCOMPARE(sheet.columns, 4);
}

void TstImport::readsFirstSheetOnly_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("xlsx") << QStringLiteral("books.xlsx");
    QTest::newRow("xls") << QStringLiteral("books.xls");
}

void TstImport::readsFirstSheetOnly()
{
    QFETCH(QString, file);
    const SheetLines sheet = readSheet(fixture(file));
    QCOMPARE(sheet.lines.size(), 10);
    QCOMPARE(sheet.columns, 20);
    for (const QStringList &line : sheet.lines)
        QVERIFY(!line.contains(QStringLiteral("不读")));
}

void TstImport::readsTheSheetItOpensOn_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("xlsx") << QStringLiteral("active-sheet.xlsx");
    QTest::newRow("xls") << QStringLiteral("active-sheet.xls");
}

void TstImport::readsTheSheetItOpensOn()
{
    // Saved showing the second of its three sheets: that one is the list of books.
    QFETCH(QString, file);
    const SheetLines sheet = readSheet(fixture(file));
    QCOMPARE(sheet.lines.size(), 3);
    QCOMPARE(sheet.columns, 20);
    QCOMPARE(sheet.lines.at(0).mid(0, 3), (QStringList{"编号", "条形码", "名称"}));
    QCOMPARE(sheet.lines.at(1).mid(0, 3), (QStringList{"A001", "TMA001", "诗经"}));
    QCOMPARE(sheet.lines.at(2).at(2), QStringLiteral("楚辞"));
}

void TstImport::chartSheetOpenedReadsTheFirstWorksheet()
{
    // The tab the workbook opens on holds a chart, no cells: the first worksheet is read.
    QTemporaryDir dir;
    const QString source = fixture(QStringLiteral("active-sheet.xlsx"));
    unzFile zip = unzOpen64(QFile::encodeName(source).constData());
    QVERIFY(zip && unzLocateFile(zip, "xl/_rels/workbook.xml.rels", 0) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK);
    QByteArray rels(65536, '\0');
    rels.resize(unzReadCurrentFile(zip, rels.data(), unsigned(rels.size())));
    unzCloseCurrentFile(zip);
    unzClose(zip);
    const QByteArray worksheet("relationships/worksheet\" Target=\"worksheets/sheet2.xml\"");
    QVERIFY(rels.contains(worksheet));
    rels.replace(worksheet, "relationships/chartsheet\" Target=\"chartsheets/sheet1.xml\"");
    const QString path = rewrittenZip(dir, source, QStringLiteral("图表.xlsx"), {{QStringLiteral("xl/_rels/workbook.xml.rels"), rels}});
    const SheetLines sheet = readSheet(path);
    QCOMPARE(sheet.lines, (QList<QStringList>{{"不读", "第一张"}}));
}

void TstImport::inlineStringsAnd1904Dates()
{
    // Inline strings (one in two runs, one with a phonetic guide), cells without references, the
    // 1904 date system and a format whose "d" is quoted text.
    const SheetLines sheet = readSheet(fixture(QStringLiteral("inline-1904.xlsx")));
    QCOMPARE(sheet.lines, (QList<QStringList>{{"编号", "名称", "出版时间", "页数", "在架"},
                                             {" B1 ", "诗经", "2011-08-09", "12", "TRUE"}}));
}

void TstImport::swappedExtensionsStillRead()
{
    QTemporaryDir dir;
    const QString oldUnderNew = writeFile(dir, QStringLiteral("旧格式.xlsx"), fileBytes(fixture(QStringLiteral("books.xls"))));
    const QString newUnderOld = writeFile(dir, QStringLiteral("新格式.xls"), fileBytes(fixture(QStringLiteral("books.xlsx"))));
    const SheetLines expected = readSheet(fixture(QStringLiteral("books.xlsx")));
    QCOMPARE(readSheet(oldUnderNew).lines, expected.lines);
    QCOMPARE(readSheet(newUnderOld).lines, expected.lines);
}

void TstImport::veryLongText()
{
    // 6,000 characters in a cell: intact from .xlsx; the .xls of the same sheet is one FreeXL
    // cannot open, and the reason says what to do.
    QCOMPARE(valueOf(readSheet(fixture(QStringLiteral("long-text.xlsx"))), QStringLiteral("很长的文本")), longText(500));
    try {
        readSheet(fixture(QStringLiteral("long-text.xls")));
        QFAIL("read");
    } catch (const std::runtime_error &e) {
        QCOMPARE(QString::fromStdString(e.what()),
                 QStringLiteral("无法读取旧格式工作簿 long-text.xls。请在电子表格程序中另存为.xlsx后再导入。"));
    }
}

void TstImport::refusesWhatItCannotRead_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QByteArray xlsx = fileBytes(fixture(QStringLiteral("books.xlsx")));
    const QByteArray xls = fileBytes(fixture(QStringLiteral("books.xls")));
    const QByteArray text = QStringLiteral("编号,名称\n").toUtf8();
    QTest::newRow("empty xlsx") << "空.xlsx" << QByteArray() << "文件 空.xlsx 是空的(0字节), 不是工作簿。";
    QTest::newRow("empty xls") << "空.xls" << QByteArray() << "文件 空.xls 是空的(0字节), 不是工作簿。";
    QTest::newRow("text as xlsx") << "文本.xlsx" << text << "文本.xlsx 不是Excel工作簿, 无法读取。";
    QTest::newRow("text as xls") << "文本.xls" << text << "文本.xls 不是Excel工作簿, 无法读取。";
    const QString damagedXlsx = QStringLiteral("工作簿 半个.xlsx 已损坏, 无法读取。请在电子表格程序中打开并另存后再导入。");
    const QString damagedXls = QStringLiteral("工作簿 半个.xls 已损坏, 无法读取。请在电子表格程序中打开并另存后再导入。");
    QTest::newRow("truncated xlsx") << "半个.xlsx" << xlsx.left(xlsx.size() / 2) << damagedXlsx;
    QTest::newRow("truncated xls") << "半个.xls" << xls.left(xls.size() / 2) << damagedXls;
    QByteArray scrambled = xlsx;
    for (qsizetype i = 200; i < scrambled.size() / 2; i += 7) // the parts, not the zip's directory
        scrambled[i] = char(scrambled[i] ^ 0x5a);
    QTest::newRow("scrambled xlsx") << "半个.xlsx" << scrambled << damagedXlsx;
    QTest::newRow("other extension") << "书目.ods" << xlsx << "不能导入 书目.ods: 只能导入Excel工作簿(.xlsx, .xls)或CSV文件(.csv)。";
}

void TstImport::damagedWorkbooksRefusedWithoutHarm_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"books.xlsx", "books.xls", "cells.xls", "cells.xlsx", "long-text.xls"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Bytes changed at random or a file cut short, as a broken disk or download leaves it: each copy
// reads or is refused with a reason, and the program goes on.
void TstImport::damagedWorkbooksRefusedWithoutHarm()
{
    QFETCH(QString, name);
    QFile original(fixture(name));
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    QTemporaryDir dir;
    QRandomGenerator random(20251210);
    int refused = 0;
    for (int copy = 0; copy < 300; ++copy) {
        QByteArray damaged = bytes;
        if (copy % 10 == 0) {
            damaged.truncate(random.bounded(int(bytes.size())));
        } else {
            for (int n = 1 + random.bounded(8); n > 0; --n)
                damaged[random.bounded(int(damaged.size()))] = char(random.bounded(256));
        }
        const QString path = writeFile(dir, name, damaged);
        try {
            const SheetLines sheet = readSheet(path);
            QVERIFY(sheet.columns >= 0);
        } catch (const std::runtime_error &e) {
            QVERIFY(!QString::fromUtf8(e.what()).isEmpty());
            ++refused;
        }
    }
    QVERIFY(refused > 0);
}

void TstImport::passwordProtectedWorkbook()
{
    try {
        readSheet(fixture(QStringLiteral("password.xls")));
        QFAIL("read");
    } catch (const std::runtime_error &e) {
        QCOMPARE(QString::fromStdString(e.what()),
                 QStringLiteral("工作簿 password.xls 设有密码(已加密), 无法读取。请在电子表格程序中去掉密码另存后再导入。"));
    }
}

void TstImport::refusesWhatItCannotRead()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = writeFile(dir, name, bytes);
    try {
        readSheet(path);
        QFAIL("read");
    } catch (const std::runtime_error &e) {
        QCOMPARE(QString::fromStdString(e.what()), reason);
    }
}

// ---------------------------------------------------------------------------------------------
// The window

namespace {

void addSheetRows(const QStringList &files)
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("file");
    for (const QString &file : files) {
        TestLibrary::addEngineRow(file, [&](QTestData &row) { row << file; });
    }
}

const QStringList BookSheets{QStringLiteral("books.xlsx"), QStringLiteral("books.xls"), QStringLiteral("books-calc-gbk.csv")};

} // namespace

void TstImport::importsWorkbook_data()
{
    addSheetRows(BookSheets);
}

void TstImport::importsWorkbook()
{
    QFETCH(QString, file);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addBook(database, QStringLiteral("OLD1"));
    TInExcelDataFm fm;
    fm.show();
    QVERIFY_INPUTS_LABELLED(&fm);
    chooseSheet(fm, fixture(file));
    QCOMPARE(fm.Label1->text(), QStringLiteral("9条数据(行数)"));
    QCOMPARE(fm.Label2->text(), QStringLiteral("20个项目(列数)"));
    QCOMPARE(listItems(fm.ListBox1).mid(17), (QStringList{"索书号", "备注", "来源"}));
    QVERIFY(fm.Button6->isEnabled());

    fm.Button6->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("完成!")});
    QCOMPARE(fm.Memo1->toPlainText(), QStringLiteral("3,4,5,7,8,9,"));
    QCOMPARE(fm.Memo2->toPlainText().split(QLatin1Char('\n')),
             (QStringList{"第3行: 编号\"OLD1\"在图书中已存在", "第4行: 价格\"二十元\"不是数字", "第5行: 编号\"B001\"与第2行重复",
                          "第7行: 出版时间\"去年\"不是可识别的日期(如2008-8-8)", "第8行: 缺少编号", "第9行: 缺少名称"}));
    QCOMPARE(fm.ProgressBar1->value(), fm.ProgressBar1->maximum());
    QCOMPARE(numbers(database), (QStringList{"B001", "B006", "B010", "OLD1"}));

    db::Rows r = database.select(db::Sql("select * from 图书 where 编号='B001'"));
    QVERIFY(r.next());
    QCOMPARE(r.text(QStringLiteral("名称")), QStringLiteral("红楼梦"));
    QCOMPARE(r.text(QStringLiteral("出版社")), QStringLiteral("人民文学出版社"));
    QCOMPARE(r.text(QStringLiteral("简介")), QStringLiteral("《红楼梦》，中国古典四大名著之首，").repeated(60));
    QCOMPARE(r.money(QStringLiteral("价格")), *db::Money::parse("25.5"));
    QCOMPARE(r.integer(QStringLiteral("数量")), 2);
    QCOMPARE(r.integer(QStringLiteral("页数")), 1600);
    QCOMPARE(r.date(QStringLiteral("出版时间")), QDate(2008, 8, 8));
    QCOMPARE(r.text(QStringLiteral("索书号")), QStringLiteral("I242.4"));
    r = database.select(db::Sql("select * from 图书 where 编号='B006'"));
    QVERIFY(r.next());
    QCOMPARE(r.text(QStringLiteral("名称")), QStringLiteral("他说\"你好\""));
    QCOMPARE(r.date(QStringLiteral("出版时间")), QDate(2008, 12, 31));
    r = database.select(db::Sql("select * from 图书 where 编号='B010'"));
    QVERIFY(r.next());
    QCOMPARE(r.integer(QStringLiteral("数量")), 0);
    QVERIFY(r.isNull(QStringLiteral("出版时间")));
}

void TstImport::titleOnlySheet_data()
{
    addSheetRows({QStringLiteral("titles-only.xlsx"), QStringLiteral("titles-only.xls"), QStringLiteral("titles-only.csv")});
}

void TstImport::titleOnlySheet()
{
    QFETCH(QString, file);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    TInExcelDataFm fm;
    chooseSheet(fm, fixture(file));
    QCOMPARE(fm.Label1->text(), QStringLiteral("0条数据(行数)"));
    QCOMPARE(fm.Label2->text(), QStringLiteral("20个项目(列数)"));
    QCOMPARE(fm.ListBox1->count(), 20);
    fm.Button6->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("完成!")});
    QVERIFY(numbers(database).isEmpty());
    QVERIFY(fm.Memo1->toPlainText().isEmpty());
}

void TstImport::automaticNumbering_data()
{
    addSheetRows(BookSheets);
}

void TstImport::automaticNumbering()
{
    QFETCH(QString, file);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addBook(database, QStringLiteral("5"));
    TInExcelDataFm fm;
    fm.CheckBox1->setChecked(true);
    chooseSheet(fm, fixture(file));
    fm.Button6->click();
    // Column A is ignored: lines 2 … 10 are numbered 2 … 10; 5 is in the library already.
    QCOMPARE(fm.Memo1->toPlainText(), QStringLiteral("4,5,7,9,"));
    QCOMPARE(numbers(database), (QStringList{"10", "2", "3", "5", "6", "8"}));
}

void TstImport::sheetExtentAsTheSpreadsheetShowsIt_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QStringList>("titles");
    struct Case {
        const char *name;
        QByteArray csv;
        const char *lines;
        const char *columns;
        QStringList titles;
    };
    const QList<Case> cases{
        // blank lines after the last book (an editor's extra line breaks) are no lines of the sheet
        {"blank lines at the end", "编号,条形码,名称\r\nC1,T1,诗经\r\n\r\n\r\n", "1条数据(行数)", "3个项目(列数)",
         {"编号", "条形码", "名称"}},
        // nor are lines and columns of empty cells, as a spreadsheet saves formatted empty cells
        {"empty cells at the end", "编号,条形码,名称,,\r\nC1,T1,诗经,,\r\n,,,,\r\n", "1条数据(行数)", "3个项目(列数)",
         {"编号", "条形码", "名称"}},
        // list A has an entry for every column, a blank one where the title line has no text
        {"books wider than the titles", "编号,条形码,名称\r\nC1,T1,诗经,,文学\r\n", "1条数据(行数)", "5个项目(列数)",
         {"编号", "条形码", "名称", "", ""}},
    };
    for (const Case &c : cases) {
        TestLibrary::addEngineRow(QString::fromUtf8(c.name), [&](QTestData &row) { row << c.csv << QString::fromUtf8(c.lines) << QString::fromUtf8(c.columns) << c.titles; });
    }
}

void TstImport::sheetExtentAsTheSpreadsheetShowsIt()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, lines);
    QFETCH(QString, columns);
    QFETCH(QStringList, titles);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    QTemporaryDir dir;
    TInExcelDataFm fm;
    chooseSheet(fm, writeFile(dir, QStringLiteral("书目.csv"), csv));
    QCOMPARE(fm.Label1->text(), lines);
    QCOMPARE(fm.Label2->text(), columns);
    QCOMPARE(listItems(fm.ListBox1), titles);
    fm.Button6->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("完成!")});
    QCOMPARE(fm.Memo1->toPlainText(), QString());
    QCOMPARE(numbers(database), QStringList{QStringLiteral("C1")});
}

void TstImport::emptySheet()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    QTemporaryDir dir;
    TInExcelDataFm fm;
    chooseSheet(fm, writeFile(dir, QStringLiteral("空.csv"), QByteArray("\r\n")));
    QCOMPARE(fm.Label1->text(), QStringLiteral("0条数据(行数)"));
    QCOMPARE(fm.Label2->text(), QStringLiteral("0个项目(列数)"));
    QCOMPARE(fm.ListBox1->count(), 0);
    fm.Button6->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("完成!")});
    QVERIFY(fm.ProgressBar1->maximum() > fm.ProgressBar1->minimum()); // a full bar, not a busy one
    QCOMPARE(fm.ProgressBar1->value(), fm.ProgressBar1->maximum());
    QVERIFY(numbers(database).isEmpty());
}

void TstImport::tabFollowsTheLayout()
{
    TestLibrary library;
    useLibrary(library);
    TInExcelDataFm fm;
    QStringList order;
    for (QWidget *w = fm.ListBox1; order.size() < 20; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            order.append(w->objectName());
        if (w->nextInFocusChain() == fm.ListBox1)
            break;
    }
    // the lists and the failed lines, then the check box and the buttons as they stand, left to right
    QCOMPARE(order, (QStringList{"ListBox1", "ListBox2", "Memo1", "Memo2", "CheckBox1", "Button3", "Button6", "Button5",
                                 "Button7", "Button4"}));
}

void TstImport::dialogOffersWorkbooksAndCsv()
{
    TestLibrary library;
    useLibrary(library);
    TInExcelDataFm fm;
    platform_->answers.enqueue(QVariant());
    fm.Button3->click();
    QCOMPARE(platform_->events.size(), 1);
    QCOMPARE(platform_->events.first().kind, QStringLiteral("openFile"));
    QCOMPARE(platform_->events.first().filter.split(QStringLiteral(";;")),
             (QStringList{"Excel 工作簿和CSV (*.xlsx *.xls *.csv)", "Excel 工作簿 (*.xlsx *.xls)", "CSV (*.csv)"}));
    QVERIFY(!fm.Button6->isEnabled());
}

void TstImport::exportedListImportsAgain()
{
    // The export (libxlsxwriter, inline strings) and the import (minizip) in one program: a list
    // exported from one library imports into another as it was.
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    TInExcelDataFm fm;
    chooseSheet(fm, fixture(QStringLiteral("books.xlsx")));
    fm.Button6->click();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("图书.xlsx"));
    SpreadsheetExport(database, db::Sql("select 编号,条形码,名称,分类,出版社,作者,价格,isbn,数量,存放位置,分类号,简介,"
                                        "二级分类,出版时间,页数,译者,版次,索书号 from 图书 order by 编号"))
        .writeTo(path);
    const SheetLines sheet = readSheet(path);
    QCOMPARE(sheet.lines.size(), 5); // B001, B006, B010 and OLD1, not in this library
    QCOMPARE(sheet.lines.first().mid(0, 3), (QStringList{"编号", "条形码", "名称"}));
    QCOMPARE(sheet.lines.at(1).mid(0, 3), (QStringList{"B001", "TMB001", "红楼梦"}));
    QCOMPARE(sheet.lines.at(1).at(6), QStringLiteral("25.5"));
    QCOMPARE(sheet.lines.at(1).at(11), QStringLiteral("《红楼梦》，中国古典四大名著之首，").repeated(60));
    QCOMPARE(sheet.lines.at(1).at(13), QStringLiteral("2008-08-08"));
    QCOMPARE(sheet.lines.at(1).at(14), QStringLiteral("1600"));

    TestLibrary other(static_cast<TestLibrary::EngineChoice>(engine));
    useLibrary(other);
    platform_->clear();
    chooseSheet(fm, path);
    fm.Button6->click();
    QVERIFY(fm.Memo2->toPlainText().isEmpty());
    QCOMPARE(numbers(other.db()), (QStringList{"B001", "B006", "B010", "OLD1"}));
    db::Rows r = other.db().select(db::Sql("select 价格, 出版时间, 简介 from 图书 where 编号='B006'"));
    QVERIFY(r.next());
    QCOMPARE(r.money(QStringLiteral("价格")), *db::Money::parse("25.5"));
    QCOMPARE(r.date(QStringLiteral("出版时间")), QDate(2008, 12, 31));
}

void TstImport::unreadableWorkbookReported()
{
    TestLibrary library;
    useLibrary(library);
    QTemporaryDir dir;
    const QString broken = rewrittenZip(dir, fixture(QStringLiteral("books.xlsx")), QStringLiteral("坏.xlsx"),
                                        {{QStringLiteral("xl/worksheets/sheet1.xml"), QByteArray("<worksheet><sheetData><row")}});
    const QString noWorkbook = rewrittenZip(dir, fixture(QStringLiteral("books.xlsx")), QStringLiteral("无表.xlsx"),
                                            {{QStringLiteral("xl/workbook.xml"), QByteArray()}});
    // A cell beyond the largest sheet (XFD1048576) is refused before the lines are made.
    const QString farCell = rewrittenZip(dir, fixture(QStringLiteral("books.xlsx")), QStringLiteral("远.xlsx"),
                                         {{QStringLiteral("xl/worksheets/sheet1.xml"),
                                           QByteArray("<worksheet><sheetData><row r=\"1\"><c r=\"ZZZZZZ1\" t=\"n\"><v>1</v></c>"
                                                      "</row></sheetData></worksheet>")}});
    TInExcelDataFm fm;
    chooseSheet(fm, broken);
    chooseSheet(fm, noWorkbook);
    chooseSheet(fm, farCell);
    QCOMPARE(platform_->messages(),
             (QStringList{"工作簿 坏.xlsx 已损坏, 无法读取。请在电子表格程序中打开并另存后再导入。", "无表.xlsx 不是Excel工作簿, 无法读取。",
                          "工作簿 远.xlsx 已损坏, 无法读取。请在电子表格程序中打开并另存后再导入。"}));
    QCOMPARE(fm.ListBox1->count(), 0);
    QVERIFY(!fm.Button6->isEnabled());
}

void TstImport::failedChoiceLeavesNothingToImport()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    QTemporaryDir dir;
    TInExcelDataFm fm;
    chooseSheet(fm, fixture(QStringLiteral("books.xlsx")));
    QVERIFY(fm.Button6->isEnabled());
    chooseSheet(fm, writeFile(dir, QStringLiteral("空.xlsx"), QByteArray()));
    QCOMPARE(platform_->messages().size(), 1);
    // Nothing of the earlier choice stands for the file that could not be read.
    QCOMPARE(fm.Label1->text(), QString());
    QCOMPARE(fm.Label2->text(), QString());
    QCOMPARE(fm.ListBox1->count(), 0);
    QVERIFY(!fm.Button6->isEnabled());
    QVERIFY(numbers(database).isEmpty());
}

void TstImport::waitCursorWhileImporting()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    TInExcelDataFm fm;
    chooseSheet(fm, fixture(QStringLiteral("books.xlsx")));
    QList<int> shapes; // the cursor each time the bar moves; -1 for none of the program's own
    connect(fm.ProgressBar1, &QProgressBar::valueChanged, &fm, [&shapes] {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        shapes.append(cursor ? int(cursor->shape()) : -1);
    });
    fm.Button6->click();
    QVERIFY(!shapes.isEmpty());
    QCOMPARE(shapes, QList<int>(shapes.size(), int(Qt::WaitCursor)));
    QVERIFY(!QGuiApplication::overrideCursor()); // the arrow again once it is done
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("完成!")});
    QCOMPARE(numbers(database).size(), 4);
}

void TstImport::nothingToSaveOnceTheFailedLinesAreGone_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("button");
    for (const char *button : {"Button5", "Button3"}) { // 清空list; 选择Excel, then cancelled
        TestLibrary::addEngineRow(QString::fromUtf8(button), [&](QTestData &row) { row << QString::fromLatin1(button); });
    }
}

void TstImport::nothingToSaveOnceTheFailedLinesAreGone()
{
    QFETCH(QString, button);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    TInExcelDataFm fm;
    chooseSheet(fm, fixture(QStringLiteral("books.xlsx")));
    fm.Button6->click();
    QVERIFY(fm.Button7->isEnabled());
    if (button == QLatin1String("Button3"))
        platform_->answers.enqueue(QVariant());
    fm.findChild<QPushButton *>(button)->click();
    QVERIFY(fm.Memo1->toPlainText().isEmpty());
    QVERIFY(fm.Memo2->toPlainText().isEmpty());
    QVERIFY(!fm.Button7->isEnabled());
    QCOMPARE(numbers(database).size(), 4);
}

void TstImport::keptBetweenOpeningsFromTheMainWindow()
{
    LIBRARY_FOR_ENGINE();
    setProgramFolder(library.folder());
    TLoginFm login;
    login.show();
    login.Button1->click(); // the super-administrator's pre-filled password
    TMainFm *main = login.mainWindow();
    QVERIFY(main);
    QCOMPARE(main->findChildren<TInExcelDataFm *>().size(), 1); // made with the main window, hidden
    QPointer<TInExcelDataFm> fm = main->findChild<TInExcelDataFm *>();
    QVERIFY(!fm->isVisible());

    main->InExcelItem->trigger();
    QVERIFY(fm->isVisible());
    QVERIFY(fm->isModal());
    QCOMPARE(fm->windowTitle(), QStringLiteral("Excel导入"));
    QVERIFY(!fm->CheckBox1->isChecked());
    chooseSheet(*fm, fixture(QStringLiteral("books.xlsx")));
    fm->Button6->click();
    QCOMPARE(fm->Memo1->toPlainText(), QStringLiteral("4,5,7,8,9,"));
    QCOMPARE(numbers(database), (QStringList{"B001", "B006", "B010", "OLD1"})); // through the login's connection
    fm->Button4->click(); // 退出 hides it
    QVERIFY(fm);
    QVERIFY(!fm->isVisible());

    // Shown again it is the same window, its failed lines, counts and 开始导入 reset, the
    // titles of the chosen sheet still in list A.
    main->InExcelItem->trigger();
    QVERIFY(fm->isVisible());
    QCOMPARE(main->findChildren<TInExcelDataFm *>().size(), 1);
    QVERIFY(fm->Memo1->toPlainText().isEmpty());
    QVERIFY(fm->Label1->text().isEmpty());
    QVERIFY(fm->Label2->text().isEmpty());
    QVERIFY(!fm->Button6->isEnabled());
    QCOMPARE(fm->ListBox1->count(), 20);
    QCOMPARE(fm->ListBox2->count(), 18);
    fm->Button4->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("完成!")});
    platform_->answers.enqueue(true); // 确认要退出吗?
    main->close();
}

QTEST_MAIN(TstImport)
#include "tst_import.moc"
