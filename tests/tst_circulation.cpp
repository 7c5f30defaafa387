// Circulation: the borrowing desk, the loan commit, the pickers, the return desk, renewal, the
// overdue list and the loan-record search, on every engine; a scan during a refusal with the real
// platform; two desks at once.
#include "CirculationFixture.h"
#include "InputLabels.h"
#include "RecordingPlatform.h"
#include "TestLibrary.h"
#include "app/MainUt.h"
#include "app/Session.h"
#include "circulation/BkBorrowUt.h"
#include "circulation/BkJySearchUt.h"
#include "circulation/BkReturnUt.h"
#include "circulation/BorrowOptBkUt.h"
#include "circulation/BorrowOptRdUt.h"
#include "circulation/Circulation.h"
#include "circulation/DueRecordUt.h"
#include "circulation/XuJieUt.h"
#include "common/QtPlatform.h"
#include "components/DataGrid.h"
#include "components/ReportPreview.h"
#include "db/DbError.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

using namespace fixture;
using db::Sql;

static const QString Books = QStringLiteral("图书");
static const QString Periodicals = QStringLiteral("期刊");

class TstCirculation : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void deskOpensAsTheSwitchesSay_data();
    void deskOpensAsTheSwitchesSay();
    void readerCheck_data();
    void readerCheck();
    void itemLookup_data();
    void itemLookup();
    void rentOfARow_data();
    void rentOfARow();
    void loanLimitOnlyWarns_data();
    void loanLimitOnlyWarns();
    void commitLendsMixedKinds_data();
    void commitLendsMixedKinds();
    void commitRefusesWithoutAnAcceptedReader_data();
    void commitRefusesWithoutAnAcceptedReader();
    void commitKeepsACopyLentElsewhere_data();
    void commitKeepsACopyLentElsewhere();
    void commitFailureLeavesNoHalfLoan_data();
    void commitFailureLeavesNoHalfLoan();
    void commitWithVanishedRows_data();
    void commitWithVanishedRows();
    void pickers_data();
    void pickers();

    void returnDesk_data();
    void returnDesk();
    void returnWithDaysNotAWholeNumberStoresNothing_data();
    void returnWithDaysNotAWholeNumberStoresNothing();
    void returnFocusTarget_data();
    void returnFocusTarget();
    void returnSearchesAndShrinks_data();
    void returnSearchesAndShrinks();
    void returnOfAVanishedItemOrReturnedLoan_data();
    void returnOfAVanishedItemOrReturnedLoan();

    void renewal_data();
    void renewal();
    void overdueList_data();
    void overdueList();
    void loanRecordConditions_data();
    void loanRecordConditions();
    void loanRecordReportSumsEachPage_data();
    void loanRecordReportSumsEachPage();

    void mainWindowOpensTheDesks();
    void scanDuringARefusalReachesTheList_data();
    void scanDuringARefusalReachesTheList();
    void twoDesksAtOnce_data();
    void twoDesksAtOnce();

private:
    RecordingPlatform *platform_ = nullptr;
};

void TstCirculation::init()
{
    Session::reset();
    platform_ = &RecordingPlatform::install();
}

void TstCirculation::cleanup()
{
    QVERIFY2(platform_->unanswered.isEmpty(), qPrintable(platform_->unanswered.join(" | ")));
    Session::reset();
}

static QDate today() { return QDate(2025, 6, 16); } // the recording platform's clock

static void checkReader(TBkBorrowFm &fm, const QString &number)
{
    fm.Edit1->setText(number);
    QTest::keyClick(fm.Edit1, Qt::Key_Return);
}

static void scan(TBkBorrowFm &fm, const QString &key)
{
    fm.Edit2->setText(key);
    QTest::keyClick(fm.Edit2, Qt::Key_Return);
}

static QStringList pendingRow(const TBkBorrowFm &fm, int row)
{
    QStringList texts;
    const QTreeWidgetItem *item = fm.ListView1->topLevelItem(row);
    for (int c = 0; item && c < 6; ++c)
        texts << item->text(c);
    return texts;
}

static int pendingCount(const TBkBorrowFm &fm) { return fm.ListView1->topLevelItemCount(); }

static qint64 loanCount(db::Database &db, const QString &extra = {})
{
    return scalar(db, Sql("select count(*) from 借出记录") + Sql::fixed(extra));
}

// --- borrowing desk --------------------------------------------------------------------------

void TstCirculation::deskOpensAsTheSwitchesSay_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<bool>("rent");
    QTest::addColumn<bool>("readerRent");
    QTest::addColumn<bool>("validity");
    const QList<std::tuple<const char *, bool, bool, bool>> cases{
        {"all off", false, false, false}, {"rent, item rent", true, false, false},
        {"rent, reader rent", true, true, true}, {"validity only", false, true, true}};
    for (const auto &[name, rent, readerRent, validity] : cases) {
        QTest::newRow(qPrintable(QStringLiteral("sqlite %1").arg(QLatin1String(name)))) << 0 << rent << readerRent << validity;
        if (TestLibrary::postgresAvailable())
            QTest::newRow(qPrintable(QStringLiteral("postgresql %1").arg(QLatin1String(name)))) << 1 << rent << readerRent << validity;
    }
}

void TstCirculation::deskOpensAsTheSwitchesSay()
{
    LIBRARY_FOR_ENGINE();
    QFETCH(bool, rent);
    QFETCH(bool, readerRent);
    QFETCH(bool, validity);
    openSession(database, library.kind());
    Session::instance().rentEnabled = rent;
    Session::instance().readerRent = readerRent;
    Session::instance().readerValidity = validity;
    TBkBorrowFm fm;
    fm.show();
    QCOMPARE(fm.windowTitle(), QStringLiteral("借阅- 首先查询确定读者身份,然后确定预借的图书信息.被借物信息出现在下面列表后点击借出,完成操作."));
    QCOMPARE(fm.readerFields.box(QStringLiteral("卡内金额"))->isVisible(), rent);
    QCOMPARE(fm.readerFields.box(QStringLiteral("有效期"))->isVisible(), validity);
    QCOMPARE(fm.Edit5->isVisible(), rent && readerRent);
    QCOMPARE(fm.Edit6->isVisible(), rent && !readerRent);
    QCOMPARE(fm.itemFields.box(QStringLiteral("租金级别"))->isVisible(), rent && !readerRent);
    QVERIFY(!fm.GroupBox2->isEnabled());
    QCOMPARE(fm.GroupBox2->title(), Books);
    QCOMPARE(fm.Label2->text(), QStringLiteral("编号"));
    QCOMPARE(fm.focusWidget(), fm.Edit1);
    QStringList headings;
    for (int c = 0; c < fm.ListView1->columnCount(); ++c)
        headings << fm.ListView1->headerItem()->text(c);
    QCOMPARE(headings, (QStringList{"编号", "条形码", "名称", "类别", "天数", "租金"}));
    // The desk works from the keyboard: tab goes reader, item kind, item, search column, list, buttons.
    QCOMPARE(fm.Edit1->nextInFocusChain(), static_cast<QWidget *>(fm.RadioButton1));
    QWidget *afterKinds = fm.RadioButton2->nextInFocusChain();
    QCOMPARE(afterKinds, static_cast<QWidget *>(fm.Edit2));
    QVERIFY_INPUTS_LABELLED(&fm);
    fm.RadioButton4->click(); // the item section is closed until a reader is accepted
    QCOMPARE(fm.Label2->text(), QStringLiteral("编号"));
    addReader(database, {QStringLiteral("R1")});
    checkReader(fm, QStringLiteral("R1"));
    fm.RadioButton2->click();
    fm.RadioButton4->click();
    QCOMPARE(fm.GroupBox2->title(), Periodicals);
    QCOMPARE(fm.itemKind(), Periodicals);
    QCOMPARE(fm.Label2->text(), QStringLiteral("条形码"));
    QCOMPARE(fm.Edit2->accessibleName(), QStringLiteral("条形码"));
}

void TstCirculation::readerCheck_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<bool>("validity");
    QTest::addColumn<int>("validDaysFromToday"); // 有效期 relative to today; 999: the reader does not exist
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message"); // empty: accepted; %1: the 有效期 in the short date format
    QTest::addColumn<bool>("shown");      // the reader's data stays displayed
    const QList<std::tuple<const char *, bool, int, const char *, const char *, bool>> cases{
        {"valid until today", true, 0, "普通", "", true},
        {"valid until yesterday", true, -1, "普通", "该读者有效期是: %1 ,已经超期,不能借阅.", true},
        {"expired, switch off", false, -1, "普通", "", true},
        {"kind missing", false, 10, "无此类别", "读者类别中没有该读者类别,请先去读者类别中设置好对应的类别及其参数", true},
        {"no such reader", true, 999, "普通", "没有该编号的读者资料,请检查输入的是否正确!", false}};
    for (const auto &[name, validity, days, kind, message, shown] : cases) {
        for (int engine : {0, 1}) {
            if (engine == 1 && !TestLibrary::postgresAvailable())
                continue;
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(engine ? "postgresql" : "sqlite", QString::fromUtf8(name))))
                << engine << validity << days << QString::fromUtf8(kind) << QString::fromUtf8(message) << shown;
        }
    }
}

void TstCirculation::readerCheck()
{
    LIBRARY_FOR_ENGINE();
    QFETCH(bool, validity);
    QFETCH(int, validDaysFromToday);
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QFETCH(bool, shown);
    openSession(database, library.kind());
    Session::instance().readerValidity = validity;
    addKind(database, QStringLiteral("学生"), 14, 3, money("0.5"));
    if (validDaysFromToday != 999)
        addReader(database, {QStringLiteral("R1"), QStringLiteral("李四"), kind, today().addDays(validDaysFromToday)});
    TBkBorrowFm fm;
    fm.show();
    checkReader(fm, QStringLiteral("R1"));
    const QString expected = message.contains(QLatin1String("%1"))
        ? message.arg(circulation::shortDate(today().addDays(validDaysFromToday)))
        : message;
    QCOMPARE(platform_->messages(), message.isEmpty() ? QStringList{} : QStringList{expected});
    // A refusal beeps, for a librarian looking at the books.
    QCOMPARE(platform_->texts(QStringLiteral("beep")).size(), message.isEmpty() ? 0 : 1);
    QCOMPARE(fm.GroupBox2->isEnabled(), message.isEmpty());
    QCOMPARE(fm.readerAccepted(), message.isEmpty());
    QCOMPARE(fm.readerFields.text(QStringLiteral("读者姓名")), shown ? QStringLiteral("李四") : QString());
    if (message.isEmpty()) {
        QCOMPARE(fm.Edit4->text(), QStringLiteral("30")); // 普通: 30 days, limit 5, no rent
        QCOMPARE(fm.Edit3->text(), QStringLiteral("5"));
        QCOMPARE(fm.Edit5->text(), QStringLiteral("0"));
        QCOMPARE(fm.focusWidget(), fm.Edit2);
    } else {
        QCOMPARE(fm.focusWidget(), fm.Edit1);
        QCOMPARE(fm.Edit1->selectedText(), QStringLiteral("R1")); // the next scan replaces it
    }
    QCOMPARE(loanCount(database), 0);
}

void TstCirculation::itemLookup_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("byBarcode");
    QTest::addColumn<QStringList>("keys");     // scanned one after another
    QTest::addColumn<QStringList>("messages"); // all messages, in order
    QTest::addColumn<QStringList>("listed");   // 编号 of the pending rows
    const QList<std::tuple<const char *, const char *, bool, QStringList, QStringList, QStringList>> cases{
        {"one copy, then again", "图书", false, {"B1", "B1"}, {"已经重复添加过了."}, {"B1"}},
        {"no copy left", "图书", false, {"B0"}, {"数量不足."}, {}},
        {"not found", "图书", false, {"NONE"}, {"没有找到该图书的数据,请重新输入."}, {}},
        {"periodical not found", "期刊", false, {"B1"}, {"没有找到该期刊的数据,请重新输入."}, {}},
        {"by barcode", "图书", true, {"BC-B1", "BC-B2"}, {}, {"B1", "B2"}},
        {"periodicals", "期刊", false, {"Q1"}, {}, {"Q1"}}};
    for (const auto &[name, kind, byBarcode, keys, messages, listed] : cases)
        for (int engine : {0, 1})
            if (engine == 0 || TestLibrary::postgresAvailable())
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(engine ? "postgresql" : "sqlite", QString::fromUtf8(name))))
                    << engine << QString::fromUtf8(kind) << byBarcode << keys << messages << listed;
}

void TstCirculation::itemLookup()
{
    LIBRARY_FOR_ENGINE();
    QFETCH(QString, kind);
    QFETCH(bool, byBarcode);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, listed);
    openSession(database, library.kind());
    addReader(database, {QStringLiteral("R1")});
    addItem(database, Books, {QStringLiteral("B0"), {}, 0});
    addItem(database, Books, {QStringLiteral("B1"), {}, 1});
    addItem(database, Books, {QStringLiteral("B2"), {}, 3});
    addItem(database, Periodicals, {QStringLiteral("Q1"), {}, 2});
    TBkBorrowFm fm;
    fm.show();
    checkReader(fm, QStringLiteral("R1"));
    (kind == Books ? fm.RadioButton1 : fm.RadioButton2)->click();
    if (byBarcode)
        fm.RadioButton4->click();
    for (const QString &key : keys)
        scan(fm, key);
    QCOMPARE(platform_->messages(), messages);
    QCOMPARE(platform_->texts(QStringLiteral("beep")).size(), messages.size());
    QStringList numbers;
    for (int i = 0; i < pendingCount(fm); ++i)
        numbers << pendingRow(fm, i).at(0);
    QCOMPARE(numbers, listed);
    // After every scan, accepted or refused, the key is selected for the next one.
    QCOMPARE(fm.focusWidget(), fm.Edit2);
    QCOMPARE(fm.Edit2->selectedText(), keys.last());
    if (!listed.isEmpty()) {
        const QStringList row = pendingRow(fm, 0);
        QCOMPARE(row.mid(1), (QStringList{QStringLiteral("BC-") + listed.first(), QStringLiteral("书名") + listed.first(),
                                          kind, QStringLiteral("30"), QStringLiteral("0")}));
    }
    QCOMPARE(loanCount(database), 0); // nothing is written before the commit
}

void TstCirculation::rentOfARow_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<bool>("rent");
    QTest::addColumn<bool>("readerRent");
    QTest::addColumn<QString>("level"); // the item's 租金级别
    QTest::addColumn<QString>("expected");
    const QList<std::tuple<const char *, bool, bool, const char *, const char *>> cases{
        {"rent off", false, false, "贵", "0"},
        {"rent off, reader rent on", false, true, "贵", "0"},
        {"reader kind rent", true, true, "贵", "0.25"},
        {"item level rent", true, false, "贵", "1.5"},
        {"item level missing", true, false, "没有", "0"},
        {"item without level", true, false, "", "0"}};
    for (const auto &[name, rent, readerRent, level, expected] : cases)
        for (int engine : {0, 1})
            if (engine == 0 || TestLibrary::postgresAvailable())
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(engine ? "postgresql" : "sqlite", QString::fromUtf8(name))))
                    << engine << rent << readerRent << QString::fromUtf8(level) << QString::fromUtf8(expected);
}

void TstCirculation::rentOfARow()
{
    LIBRARY_FOR_ENGINE();
    QFETCH(bool, rent);
    QFETCH(bool, readerRent);
    QFETCH(QString, level);
    QFETCH(QString, expected);
    openSession(database, library.kind());
    Session::instance().rentEnabled = rent;
    Session::instance().readerRent = readerRent;
    addKind(database, QStringLiteral("学生"), 14, 3, money("0.25"));
    addReader(database, {QStringLiteral("R1"), QStringLiteral("王五"), QStringLiteral("学生")});
    database.insert(QStringLiteral("租金级别"), {{QStringLiteral("名称"), QStringLiteral("贵")},
                                               {QStringLiteral("租金"), QVariant::fromValue(money("1.50"))}});
    addItem(database, Books, {QStringLiteral("B1"), {}, 2, level});
    TBkBorrowFm fm;
    checkReader(fm, QStringLiteral("R1"));
    scan(fm, QStringLiteral("B1"));
    QCOMPARE(platform_->messages(), QStringList{});
    QCOMPARE(pendingRow(fm, 0).at(4), QStringLiteral("14"));
    QCOMPARE(pendingRow(fm, 0).at(5), expected);
    fm.Button1->click();
    QCOMPARE(scalar(database, Sql("select count(*) from 借出记录 where 租金=") + Sql::money(*db::Money::parse(expected))), 1);
}

void TstCirculation::loanLimitOnlyWarns_data()
{
    TestLibrary::addEngineRows();
}

void TstCirculation::loanLimitOnlyWarns()
{
    LIBRARY_FOR_ENGINE();
    openSession(database, library.kind());
    Session::instance().loanLimit = true;
    addKind(database, QStringLiteral("学生"), 14, 3);
    addReader(database, {QStringLiteral("R1"), QStringLiteral("王五"), QStringLiteral("学生"), {}, {}, 2});
    for (const char *number : {"B1", "B2", "B3"})
        addItem(database, Books, {QString::fromLatin1(number)});
    TBkBorrowFm fm;
    checkReader(fm, QStringLiteral("R1"));
    scan(fm, QStringLiteral("B1"));
    QCOMPARE(platform_->messages(), QStringList{});
    scan(fm, QStringLiteral("B2"));
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("提示:该读者超过借阅数量!")});
    QCOMPARE(pendingCount(fm), 2);
    platform_->clear();
    fm.Button1->click(); // a warning does not block the commit
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("借阅完毕!")});
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("未还数量"), QStringLiteral("读者编号"), QStringLiteral("R1")), 4);
}

void TstCirculation::commitLendsMixedKinds_data()
{
    TestLibrary::addEngineRows();
}

void TstCirculation::commitLendsMixedKinds()
{
    LIBRARY_FOR_ENGINE();
    openSession(database, library.kind());
    addKind(database, QStringLiteral("学生"), 14, 10);
    addReader(database, {QStringLiteral("R1"), QStringLiteral("旧读者")});
    addReader(database, {QStringLiteral("R2"), QStringLiteral("王五"), QStringLiteral("学生"), {}, {}, 1});
    addItem(database, Books, {QStringLiteral("B1"), {}, 2, {}, {}, 7});
    addItem(database, Periodicals, {QStringLiteral("Q1"), {}, 1});
    TBkBorrowFm fm;
    fm.show();
    checkReader(fm, QStringLiteral("R1"));
    scan(fm, QStringLiteral("B1"));
    fm.RadioButton2->click();
    scan(fm, QStringLiteral("Q1"));
    // A second reader check keeps the rows; the commit lends them to that reader, for his period.
    checkReader(fm, QStringLiteral("R2"));
    QCOMPARE(pendingCount(fm), 2);
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("借阅完毕!")});
    QCOMPARE(pendingCount(fm), 0);
    QVERIFY(!fm.GroupBox2->isEnabled());
    QCOMPARE(fm.Edit1->text(), QString());
    QCOMPARE(fm.focusWidget(), fm.Edit1);
    QCOMPARE(fm.itemKind(), Periodicals); // the item kind stays as set

    db::Rows loans = database.select(Sql("select * from 借出记录 order by id"));
    const QStringList kinds{Books, Periodicals};
    for (const QString &kind : kinds) {
        QVERIFY(loans.next());
        QCOMPARE(loans.text(QStringLiteral("读者编号")), QStringLiteral("R2"));
        QCOMPARE(loans.text(QStringLiteral("读者姓名")), QStringLiteral("王五"));
        QCOMPARE(loans.text(QStringLiteral("类别")), kind);
        QCOMPARE(loans.text(QStringLiteral("编号")), kind == Books ? QStringLiteral("B1") : QStringLiteral("Q1"));
        QCOMPARE(loans.text(QStringLiteral("条形码")), QStringLiteral("BC-") + loans.text(QStringLiteral("编号")));
        QCOMPARE(loans.date(QStringLiteral("借阅日期")), today());
        QCOMPARE(loans.date(QStringLiteral("应还日期")), today().addDays(14));
        QCOMPARE(loans.text(QStringLiteral("借阅经手人")), QStringLiteral("管理员甲"));
        QCOMPARE(loans.text(QStringLiteral("已还")), QStringLiteral("否"));
        QCOMPARE(loans.text(QStringLiteral("物品状况")), QStringLiteral("完好"));
        QCOMPARE(loans.money(QStringLiteral("租金")), Money());
    }
    QVERIFY(!loans.next());
    auto readerCount = [&](const char *column, const char *reader) {
        return counter(database, QStringLiteral("读者库"), QString::fromUtf8(column), QStringLiteral("读者编号"), QString::fromLatin1(reader));
    };
    QCOMPARE(readerCount("未还数量", "R2"), 3);
    QCOMPARE(readerCount("累计借阅次数", "R2"), 3);
    QCOMPARE(readerCount("未还数量", "R1"), 0);
    QCOMPARE(counter(database, Books, QStringLiteral("数量"), QStringLiteral("编号"), QStringLiteral("B1")), 1);
    QCOMPARE(counter(database, Books, QStringLiteral("借出次数"), QStringLiteral("编号"), QStringLiteral("B1")), 8);
    QCOMPARE(counter(database, Periodicals, QStringLiteral("数量"), QStringLiteral("编号"), QStringLiteral("Q1")), 0);
    QCOMPARE(counter(database, Periodicals, QStringLiteral("借出次数"), QStringLiteral("编号"), QStringLiteral("Q1")), 1);
    // An empty list writes nothing and still says it is done.
    platform_->clear();
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("借阅完毕!")});
    QCOMPARE(loanCount(database), 2);
}

void TstCirculation::commitRefusesWithoutAnAcceptedReader_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("lastReader"); // checked after the rows were listed
    QTest::addColumn<QString>("refusal");
    for (int engine : {0, 1}) {
        if (engine == 1 && !TestLibrary::postgresAvailable())
            continue;
        const char *prefix = engine ? "postgresql" : "sqlite";
        QTest::newRow(qPrintable(QStringLiteral("%1 no reader").arg(prefix)))
            << engine << "NONE" << "没有确定读者身份,请先输入读者编号并回车.";
        QTest::newRow(qPrintable(QStringLiteral("%1 expired").arg(prefix)))
            << engine << "OLD" << "该读者没有通过借阅检查(有效期或读者类别),不能借出.";
        QTest::newRow(qPrintable(QStringLiteral("%1 kind missing").arg(prefix)))
            << engine << "ODD" << "该读者没有通过借阅检查(有效期或读者类别),不能借出.";
    }
}

void TstCirculation::commitRefusesWithoutAnAcceptedReader()
{
    LIBRARY_FOR_ENGINE();
    QFETCH(QString, lastReader);
    QFETCH(QString, refusal);
    openSession(database, library.kind());
    Session::instance().readerValidity = true;
    addReader(database, {QStringLiteral("R1")});
    addReader(database, {QStringLiteral("OLD"), QStringLiteral("过期"), QStringLiteral("普通"), today().addDays(-1)});
    addReader(database, {QStringLiteral("ODD"), QStringLiteral("怪"), QStringLiteral("无此类别")});
    addItem(database, Books, {QStringLiteral("B1")});
    TBkBorrowFm fm;
    checkReader(fm, QStringLiteral("R1"));
    scan(fm, QStringLiteral("B1"));
    checkReader(fm, lastReader);
    platform_->clear();
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{refusal});
    QCOMPARE(loanCount(database), 0);
    QCOMPARE(counter(database, Books, QStringLiteral("数量"), QStringLiteral("编号"), QStringLiteral("B1")), 1);
    QCOMPARE(pendingCount(fm), 1);
}

void TstCirculation::commitKeepsACopyLentElsewhere_data()
{
    TestLibrary::addEngineRows();
}

void TstCirculation::commitKeepsACopyLentElsewhere()
{
    LIBRARY_FOR_ENGINE();
    openSession(database, library.kind());
    addReader(database, {QStringLiteral("R1")});
    addItem(database, Books, {QStringLiteral("B1"), {}, 1});
    addItem(database, Books, {QStringLiteral("B2"), {}, 1});
    TBkBorrowFm fm;
    checkReader(fm, QStringLiteral("R1"));
    scan(fm, QStringLiteral("B1"));
    scan(fm, QStringLiteral("B2"));
    // Another desk lends the last copy of B1 meanwhile.
    database.exec(Sql("update 图书 set 数量 = 0 where 编号=") + Sql::text(QStringLiteral("B1")));
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("数量不足.\n图书 B1 书名B1")});
    QCOMPARE(platform_->texts(QStringLiteral("beep")).size(), 1);
    QCOMPARE(pendingCount(fm), 1);
    QCOMPARE(pendingRow(fm, 0).at(0), QStringLiteral("B1"));
    QCOMPARE(loanCount(database), 1);
    QCOMPARE(loanCount(database, QStringLiteral(" where 编号='B2'")), 1);
    // Pressing 借出 again never lends B2 twice, and B1 never below 0.
    platform_->clear();
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("数量不足.\n图书 B1 书名B1")});
    QCOMPARE(loanCount(database), 1);
    QCOMPARE(counter(database, Books, QStringLiteral("数量"), QStringLiteral("编号"), QStringLiteral("B1")), 0);
    QCOMPARE(counter(database, Books, QStringLiteral("数量"), QStringLiteral("编号"), QStringLiteral("B2")), 0);
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("未还数量"), QStringLiteral("读者编号"), QStringLiteral("R1")), 1);
    // The copy comes back: the row left in the list is lent now.
    database.exec(Sql("update 图书 set 数量 = 1 where 编号=") + Sql::text(QStringLiteral("B1")));
    platform_->clear();
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("借阅完毕!")});
    QCOMPARE(loanCount(database), 2);
}

// Statements the test itself runs as they are (triggers cannot be prepared on PostgreSQL).
static void runAsIs(db::Database &database, const QString &statement)
{
    QSqlQuery query(database.handle());
    QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
}

// A loan row the database refuses part-way through a commit.
static void refuseLoansOf(db::Database &database, const QString &item)
{
    if (database.engine() == db::Engine::SQLite) {
        runAsIs(database, QStringLiteral("create trigger refuse_loan before insert on 借出记录 when new.编号='%1' "
                                         "begin select raise(abort, 'refused by the test'); end").arg(item));
    } else {
        runAsIs(database, QStringLiteral("create function refuse_loan() returns trigger language plpgsql as $$ begin "
                                         "if new.编号 = '%1' then raise exception 'refused by the test'; end if; "
                                         "return new; end $$").arg(item));
        runAsIs(database, QStringLiteral("create trigger refuse_loan before insert on 借出记录 for each row execute function refuse_loan()"));
    }
}

void TstCirculation::commitFailureLeavesNoHalfLoan_data()
{
    TestLibrary::addEngineRows();
}

void TstCirculation::commitFailureLeavesNoHalfLoan()
{
    LIBRARY_FOR_ENGINE();
    openSession(database, library.kind());
    addReader(database, {QStringLiteral("R1")});
    addItem(database, Books, {QStringLiteral("B1"), {}, 1});
    addItem(database, Books, {QStringLiteral("B2"), {}, 1});
    refuseLoansOf(database, QStringLiteral("B2"));
    TBkBorrowFm fm;
    checkReader(fm, QStringLiteral("R1"));
    scan(fm, QStringLiteral("B1"));
    scan(fm, QStringLiteral("B2"));
    fm.Button1->click();
    QCOMPARE(platform_->errors().size(), 1);
    QVERIFY2(platform_->errors().first().contains(QStringLiteral("refused by the test")), qPrintable(platform_->errors().first()));
    // Nothing of the commit stays: no loan, no counter changed, the list as it was.
    QCOMPARE(loanCount(database), 0);
    QCOMPARE(counter(database, Books, QStringLiteral("数量"), QStringLiteral("编号"), QStringLiteral("B1")), 1);
    QCOMPARE(counter(database, Books, QStringLiteral("借出次数"), QStringLiteral("编号"), QStringLiteral("B1")), 0);
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("未还数量"), QStringLiteral("读者编号"), QStringLiteral("R1")), 0);
    QCOMPARE(pendingCount(fm), 2);
    runAsIs(database, database.engine() == db::Engine::SQLite ? QStringLiteral("drop trigger refuse_loan")
                                                              : QStringLiteral("drop trigger refuse_loan on 借出记录"));
    platform_->clear();
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("借阅完毕!")});
    QCOMPARE(loanCount(database), 2);
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("未还数量"), QStringLiteral("读者编号"), QStringLiteral("R1")), 2);
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("累计借阅次数"), QStringLiteral("读者编号"), QStringLiteral("R1")), 2);
}

void TstCirculation::commitWithVanishedRows_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<bool>("deleteItem");
    QTest::addColumn<QString>("note");
    for (int engine : {0, 1}) {
        if (engine == 1 && !TestLibrary::postgresAvailable())
            continue;
        const char *prefix = engine ? "postgresql" : "sqlite";
        QTest::newRow(qPrintable(QStringLiteral("%1 item deleted").arg(prefix)))
            << engine << true << "图书 B1 书名B1 已不在图书中,借阅记录已写入,数量未改.";
        QTest::newRow(qPrintable(QStringLiteral("%1 reader deleted").arg(prefix)))
            << engine << false << "读者 R1 已不在读者库中,借阅记录已写入,未还数量未改.";
    }
}

void TstCirculation::commitWithVanishedRows()
{
    LIBRARY_FOR_ENGINE();
    QFETCH(bool, deleteItem);
    QFETCH(QString, note);
    openSession(database, library.kind());
    addReader(database, {QStringLiteral("R1")});
    addItem(database, Books, {QStringLiteral("B1"), {}, 1});
    TBkBorrowFm fm;
    checkReader(fm, QStringLiteral("R1"));
    scan(fm, QStringLiteral("B1"));
    if (deleteItem)
        database.exec(Sql("delete from 图书"));
    else
        database.exec(Sql("delete from 读者库"));
    fm.Button1->click();
    QCOMPARE(platform_->messages(), (QStringList{note, QStringLiteral("借阅完毕!")}));
    QCOMPARE(loanCount(database, QStringLiteral(" where 编号='B1' and 名称='书名B1' and 读者编号='R1'")), 1);
    // No counter update made a row again.
    QCOMPARE(scalar(database, Sql("select count(*) from 图书")), deleteItem ? 0 : 1);
    QCOMPARE(scalar(database, Sql("select count(*) from 读者库")), deleteItem ? 1 : 0);
}

void TstCirculation::pickers_data()
{
    TestLibrary::addEngineRows();
}

void TstCirculation::pickers()
{
    LIBRARY_FOR_ENGINE();
    openSession(database, library.kind());
    Session::instance().readerValidity = true;
    for (int i = 0; i < 205; ++i)
        addReader(database, {QStringLiteral("N%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("读者%1").arg(i)});
    addReader(database, {QStringLiteral("R1"), QStringLiteral("赵敏"), QStringLiteral("普通"), {}, {}, 0, QStringLiteral("zm")});
    addReader(database, {QStringLiteral("OLD"), QStringLiteral("钱过期"), QStringLiteral("普通"), today().addDays(-3)});
    addItem(database, Books, {QStringLiteral("B1"), QStringLiteral("111"), 1, {}, QStringLiteral("红楼梦")});
    addItem(database, Periodicals, {QStringLiteral("Q1"), QStringLiteral("999"), 1, {}, QStringLiteral("读者文摘")});
    TBkBorrowFm desk;
    desk.show();

    desk.Edit1DblClick();
    auto *readers = platform_->lastWindow<TBorrowOptRdFm>();
    QVERIFY(readers);
    QCOMPARE(readers->windowTitle(), QStringLiteral("选择"));
    QVERIFY_INPUTS_LABELLED(readers);
    QCOMPARE(readers->DBGrid1->rowCount(), 200); // the opening list
    QTest::keyClick(readers->Edit1, Qt::Key_Return); // an empty search matches every reader
    QCOMPARE(readers->DBGrid1->rowCount(), 207);
    readers->Edit1->setText(QStringLiteral("ZM")); // initials, any case
    QTest::keyClick(readers->Edit1, Qt::Key_Return);
    QCOMPARE(readers->DBGrid1->rowCount(), 1);
    readers->Edit2->setText(QStringLiteral("OL"));
    QTest::keyClick(readers->Edit2, Qt::Key_Return);
    QCOMPARE(readers->DBGrid1->rowCount(), 1);
    readers->Button1->click(); // hands the number back; the desk refuses the expired reader
    QTRY_VERIFY(!platform_->lastWindow<TBorrowOptRdFm>());
    QCOMPARE(desk.Edit1->text(), QStringLiteral("OLD"));
    QCOMPARE(platform_->messages().size(), 1);
    QVERIFY(platform_->messages().first().startsWith(QStringLiteral("该读者有效期是: ")));

    // 选择 with an empty list hands nothing back.
    desk.Edit1DblClick();
    readers = platform_->lastWindow<TBorrowOptRdFm>();
    readers->Edit1->setText(QStringLiteral("没有这个人"));
    QTest::keyClick(readers->Edit1, Qt::Key_Return);
    QCOMPARE(readers->DBGrid1->rowCount(), 0);
    readers->Button1->click();
    QCOMPARE(desk.Edit1->text(), QStringLiteral("OLD"));
    readers->Edit1->setText(QStringLiteral("赵"));
    QTest::keyClick(readers->Edit1, Qt::Key_Return);
    readers->Button1->click();
    QTRY_VERIFY(!platform_->lastWindow<TBorrowOptRdFm>());
    QVERIFY(desk.readerAccepted());
    QCOMPARE(desk.readerFields.text(QStringLiteral("读者姓名")), QStringLiteral("赵敏"));

    // The item picker lists the desk's item kind and hands back the key the desk searches by.
    desk.RadioButton2->click();
    desk.RadioButton4->click();
    desk.Edit2DblClick();
    auto *items = platform_->lastWindow<TBorrowOptBkFm>();
    QVERIFY(items);
    QVERIFY_INPUTS_LABELLED(items);
    QCOMPARE(items->DBGrid1->rowCount(), 1);
    QCOMPARE(items->DBGrid1->value(0, QStringLiteral("名称")).toString(), QStringLiteral("读者文摘"));
    items->Button1->click();
    QTRY_VERIFY(!platform_->lastWindow<TBorrowOptBkFm>());
    QCOMPARE(desk.Edit2->text(), QStringLiteral("999"));
    QCOMPARE(pendingCount(desk), 1);
    QCOMPARE(pendingRow(desk, 0).at(3), Periodicals);
    // A title search by initials: no py stored, so only the title matches.
    desk.RadioButton1->click();
    desk.Edit2DblClick();
    items = platform_->lastWindow<TBorrowOptBkFm>();
    items->Edit1->setText(QStringLiteral("红楼"));
    QTest::keyClick(items->Edit1, Qt::Key_Return);
    QCOMPARE(items->DBGrid1->rowCount(), 1);
    items->Edit2->setText(QStringLiteral("Q"));
    QTest::keyClick(items->Edit2, Qt::Key_Return);
    QCOMPARE(items->DBGrid1->rowCount(), 0);
    items->Button1->click(); // nothing to hand back
    QCOMPARE(pendingCount(desk), 1);
    items->Button2->click();
    QTRY_VERIFY(!platform_->lastWindow<TBorrowOptBkFm>());
}

// --- return desk -----------------------------------------------------------------------------

static void searchLoans(TBkReturnFm &fm, const QString &item, const QString &barcode, const QString &reader)
{
    fm.Edit1->setText(item);
    fm.Edit2->setText(barcode);
    fm.Edit3->setText(reader);
    fm.Button4->click();
}

void TstCirculation::returnDesk_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<int>("lentDaysAgo");
    QTest::addColumn<QString>("rate");      // 租金 per day of the loan
    QTest::addColumn<bool>("rentSwitch");
    QTest::addColumn<QString>("balance");   // 卡内金额 before
    QTest::addColumn<QString>("typedRent"); // typed over the rent box; empty: as computed
    QTest::addColumn<QString>("condition");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("rentBox");
    QTest::addColumn<QString>("stored");    // 实际租金
    QTest::addColumn<QString>("balanceAfter");
    QTest::addColumn<int>("copiesAfter");   // 数量 was 0
    const QList<std::tuple<const char *, int, const char *, bool, const char *, const char *, const char *, int,
                           const char *, const char *, const char *, int>>
        cases{
            {"lent today", 0, "0.5", true, "10", "", "完好", 1, "0.5", "0.5", "9.5", 1},
            {"ten days", 10, "0.5", true, "10", "", "完好", 10, "5", "5", "5", 1},
            {"rent to four decimals", 3, "0.1234", true, "1", "", "完好", 3, "0.3702", "0.3702", "0.6298", 1},
            {"rent typed over", 10, "0.5", true, "10", "2", "完好", 10, "5", "2", "8", 1},
            {"card goes negative", 10, "0.5", true, "3", "", "完好", 10, "5", "5", "-2", 1},
            {"rent switch off", 10, "0.5", false, "10", "", "完好", 10, "5", "5", "10", 1},
            {"not a number counts 0", 10, "0.5", true, "10", "abc", "完好", 10, "5", "0", "10", 1},
            {"damaged stays off the shelf", 2, "0", true, "10", "", "破损", 2, "0", "0", "10", 0},
            {"lost goes back", 2, "0", true, "10", "", "丢失", 2, "0", "0", "10", 1}};
    for (const auto &[name, ago, rate, rentSwitch, balance, typed, condition, days, box, stored, after, copies] : cases)
        for (int engine : {0, 1})
            if (engine == 0 || TestLibrary::postgresAvailable())
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(engine ? "postgresql" : "sqlite", QString::fromUtf8(name))))
                    << engine << ago << QString::fromLatin1(rate) << rentSwitch << QString::fromLatin1(balance)
                    << QString::fromLatin1(typed) << QString::fromUtf8(condition) << days << QString::fromLatin1(box)
                    << QString::fromLatin1(stored) << QString::fromLatin1(after) << copies;
}

void TstCirculation::returnDesk()
{
    LIBRARY_FOR_ENGINE();
    QFETCH(int, lentDaysAgo);
    QFETCH(QString, rate);
    QFETCH(bool, rentSwitch);
    QFETCH(QString, balance);
    QFETCH(QString, typedRent);
    QFETCH(QString, condition);
    QFETCH(int, days);
    QFETCH(QString, rentBox);
    QFETCH(QString, stored);
    QFETCH(QString, balanceAfter);
    QFETCH(int, copiesAfter);
    openSession(database, library.kind());
    Session::instance().rentEnabled = rentSwitch;
    addReader(database, {QStringLiteral("R1"), QStringLiteral("张三"), QStringLiteral("普通"), {}, *Money::parse(balance), 1});
    addItem(database, Books, {QStringLiteral("B1"), {}, 0});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B1"), Books, today().addDays(-lentDaysAgo), {}, *Money::parse(rate)});
    TBkReturnFm fm;
    fm.show();
    QCOMPARE(fm.windowTitle(), QStringLiteral("归还操作"));
    QVERIFY_INPUTS_LABELLED(&fm);
    QCOMPARE(fm.Edit5->isVisible(), rentSwitch);
    QCOMPARE(fm.Label5->isVisible(), rentSwitch);
    QVERIFY(!fm.GroupBox3->isVisible());
    searchLoans(fm, QString(), QStringLiteral("BC-B1"), QString());
    QCOMPARE(fm.DBGrid1->rowCount(), 1);
    QCOMPARE(fm.Edit4->text(), QString::number(days));
    QCOMPARE(fm.Edit5->text(), rentBox);
    QCOMPARE(fm.loanFields.text(QStringLiteral("存放位置")), QStringLiteral("A区B1"));
    QCOMPARE(fm.loanFields.text(QStringLiteral("编号")), QStringLiteral("B1"));
    if (!typedRent.isEmpty())
        fm.Edit5->setText(typedRent);
    if (condition != QStringLiteral("完好")) {
        fm.CheckBox1->click();
        QVERIFY(fm.GroupBox3->isVisible());
        fm.ComboBox1->setCurrentText(condition);
        fm.Edit6->setText(QStringLiteral("12.5"));
        fm.Memo1->setPlainText(QStringLiteral("封面撕破"));
    }
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("归还完毕!")});
    db::Rows loan = database.select(Sql("select * from 借出记录"));
    QVERIFY(loan.next());
    QCOMPARE(loan.text(QStringLiteral("已还")), QStringLiteral("是"));
    QCOMPARE(loan.date(QStringLiteral("归还日期")), today());
    QCOMPARE(loan.text(QStringLiteral("归还经手人")), QStringLiteral("管理员甲"));
    QCOMPARE(loan.integer(QStringLiteral("实际租期")), days);
    QCOMPARE(loan.money(QStringLiteral("实际租金")), *Money::parse(stored));
    QCOMPARE(loan.text(QStringLiteral("物品状况")), condition);
    if (condition != QStringLiteral("完好")) {
        QCOMPARE(loan.money(QStringLiteral("赔偿金额")), money("12.5"));
        QCOMPARE(loan.text(QStringLiteral("归还备注")), QStringLiteral("封面撕破"));
    }
    QCOMPARE(fixture::balance(database, QStringLiteral("R1")), *Money::parse(balanceAfter));
    QCOMPARE(counter(database, Books, QStringLiteral("数量"), QStringLiteral("编号"), QStringLiteral("B1")), copiesAfter);
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("未还数量"), QStringLiteral("读者编号"), QStringLiteral("R1")), 0);
    // The list again with the same conditions: the returned loan has left it.
    QCOMPARE(fm.DBGrid1->rowCount(), 0);
    QCOMPARE(fm.Edit4->text(), QString());
    QCOMPARE(fm.Edit2->text(), QStringLiteral("BC-B1"));
}

void TstCirculation::returnWithDaysNotAWholeNumberStoresNothing_data()
{
    TestLibrary::addEngineRows();
}

void TstCirculation::returnWithDaysNotAWholeNumberStoresNothing()
{
    LIBRARY_FOR_ENGINE();
    openSession(database, library.kind());
    Session::instance().rentEnabled = true;
    addReader(database, {QStringLiteral("R1"), QStringLiteral("张三"), QStringLiteral("普通"), {}, money("10"), 2});
    addItem(database, Books, {QStringLiteral("B1"), {}, 0});
    addItem(database, Books, {QStringLiteral("B2"), {}, 0});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B1"), Books, today().addDays(-4), {}, money("1")});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B2"), Books, today().addDays(-2), {}, money("1")});
    TBkReturnFm fm;
    searchLoans(fm, QString(), QString(), QStringLiteral("R1"));
    QCOMPARE(fm.DBGrid1->rowCount(), 2);
    fm.Edit4->setText(QStringLiteral("3.5"));
    fm.CheckBox1->click();
    fm.ComboBox1->setCurrentText(QStringLiteral("破损"));
    fm.Button1->click();
    QCOMPARE(platform_->errors(), QStringList{QStringLiteral("\"3.5\" 不是有效的整数")});
    // Moving to the other loan and back, or searching again, stores nothing of it either.
    fm.DBGrid1->setCurrentRow(1);
    fm.DBGrid1CellClick(1);
    fm.DBGrid1->setCurrentRow(0);
    fm.DBGrid1CellClick(0);
    fm.Button4->click();
    QCOMPARE(loanCount(database, QStringLiteral(" where 已还='否' and 物品状况='完好' and 归还日期 is null")), 2);
    QCOMPARE(fixture::balance(database, QStringLiteral("R1")), money("10"));
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("未还数量"), QStringLiteral("读者编号"), QStringLiteral("R1")), 2);
    // Moving through the list with the keys shows each loan's own days.
    for (int row : {1, 0}) {
        fm.DBGrid1->setCurrentRow(row);
        const QDate lent = fm.DBGrid1->value(row, QStringLiteral("借阅日期")).toDate();
        QCOMPARE(fm.Edit4->text(), QString::number(lent.daysTo(today())));
    }
}

void TstCirculation::returnFocusTarget_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<bool>("item");
    QTest::addColumn<bool>("barcode");
    QTest::addColumn<bool>("reader");
    QTest::addColumn<QString>("target");
    for (int engine : {0, 1}) {
        if (engine == 1 && !TestLibrary::postgresAvailable())
            continue;
        const char *prefix = engine ? "postgresql" : "sqlite";
        QTest::newRow(qPrintable(QStringLiteral("%1 none").arg(prefix))) << engine << false << false << false << "";
        QTest::newRow(qPrintable(QStringLiteral("%1 item").arg(prefix))) << engine << true << false << false << "图书编号";
        QTest::newRow(qPrintable(QStringLiteral("%1 barcode wins over item").arg(prefix))) << engine << true << true << false << "条形码";
        QTest::newRow(qPrintable(QStringLiteral("%1 reader wins").arg(prefix))) << engine << true << true << true << "读者编号";
    }
}

void TstCirculation::returnFocusTarget()
{
    LIBRARY_FOR_ENGINE();
    QFETCH(bool, item);
    QFETCH(bool, barcode);
    QFETCH(bool, reader);
    QFETCH(QString, target);
    openSession(database, library.kind());
    database.update(QStringLiteral("系统设置"), {{QStringLiteral("归还焦点图书编号"), item},
                                               {QStringLiteral("归还焦点条形码"), barcode},
                                               {QStringLiteral("归还焦点读者编号"), reader}}, Sql(""));
    addReader(database, {QStringLiteral("R1"), QStringLiteral("张三"), QStringLiteral("普通"), {}, {}, 2});
    addItem(database, Books, {QStringLiteral("B1"), {}, 0});
    addItem(database, Books, {QStringLiteral("B2"), {}, 0});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B1"), Books, today()});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B2"), Books, today()});
    TBkReturnFm fm;
    fm.show();
    QCOMPARE(fm.focusTarget(), target);
    QLineEdit *expected = target == QStringLiteral("图书编号") ? fm.Edit1
        : target == QStringLiteral("条形码")                  ? fm.Edit2
        : target == QStringLiteral("读者编号")                ? fm.Edit3
                                                             : nullptr;
    if (expected)
        QCOMPARE(fm.focusWidget(), expected);
    // After a return the focus is back in the same box, its text selected for the next scan.
    searchLoans(fm, QString(), QString(), QStringLiteral("R1"));
    fm.Button4->setFocus();
    fm.Button1->click();
    if (expected) {
        QCOMPARE(fm.focusWidget(), expected);
        QCOMPARE(expected->selectedText(), expected->text());
    } else {
        QCOMPARE(fm.focusWidget(), fm.Button4);
    }
}

void TstCirculation::returnSearchesAndShrinks_data()
{
    TestLibrary::addEngineRows();
}

void TstCirculation::returnSearchesAndShrinks()
{
    LIBRARY_FOR_ENGINE();
    openSession(database, library.kind());
    addReader(database, {QStringLiteral("R1"), QStringLiteral("张三"), QStringLiteral("普通"), {}, {}, 3});
    addReader(database, {QStringLiteral("R2"), QStringLiteral("李四"), QStringLiteral("普通"), {}, {}, 1});
    for (const char *number : {"B1", "B2", "B3"})
        addItem(database, Books, {QString::fromLatin1(number), {}, 0});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B1"), Books, today().addDays(-1)});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B2"), Books, today().addDays(-1)});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B3"), Books, today().addDays(-1)});
    addLoan(database, {QStringLiteral("R2"), QStringLiteral("B1"), Books, today().addDays(-1)});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B1"), Books, today().addDays(-90), {}, {}, true});
    TBkReturnFm fm;
    fm.Button4->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("请输入搜索条件!")});
    searchLoans(fm, QStringLiteral("B1"), QString(), QStringLiteral("R1")); // both must match
    QCOMPARE(fm.DBGrid1->rowCount(), 1);
    searchLoans(fm, QStringLiteral("NONE"), QString(), QString());
    QCOMPARE(fm.DBGrid1->rowCount(), 0);
    fm.Button1->click(); // an empty list: nothing happens
    QCOMPARE(loanCount(database, QStringLiteral(" where 已还='是'")), 1);
    platform_->clear();
    searchLoans(fm, QString(), QString(), QStringLiteral("R1"));
    for (int left = 3; left > 0; --left) {
        QCOMPARE(fm.DBGrid1->rowCount(), left);
        fm.Button1->click();
    }
    QCOMPARE(fm.DBGrid1->rowCount(), 0);
    QCOMPARE(platform_->messages(), QStringList(3, QStringLiteral("归还完毕!")));
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("未还数量"), QStringLiteral("读者编号"), QStringLiteral("R1")), 0);
    QCOMPARE(loanCount(database, QStringLiteral(" where 已还='否'")), 1);
    // 取消 empties the boxes and the list.
    fm.Button2->click();
    QVERIFY(!fm.DBGrid1->isOpen());
    QCOMPARE(fm.Edit3->text(), QString());
}

void TstCirculation::returnOfAVanishedItemOrReturnedLoan_data()
{
    TestLibrary::addEngineRows();
}

void TstCirculation::returnOfAVanishedItemOrReturnedLoan()
{
    LIBRARY_FOR_ENGINE();
    openSession(database, library.kind());
    addReader(database, {QStringLiteral("R1"), QStringLiteral("张三"), QStringLiteral("普通"), {}, {}, 2});
    addItem(database, Books, {QStringLiteral("B1"), {}, 0});
    const qint64 lent = addLoan(database, {QStringLiteral("R1"), QStringLiteral("B1"), Books, today()});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("GONE"), Books, today()});
    TBkReturnFm fm;
    // Another desk returns the loan meanwhile: this desk writes nothing more.
    searchLoans(fm, QStringLiteral("B1"), QString(), QString());
    QCOMPARE(fm.DBGrid1->rowCount(), 1);
    database.exec(Sql("update 借出记录 set 已还='是' where id=") + Sql::value(lent));
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("该借阅记录已经归还,不能重复归还.")});
    QCOMPARE(platform_->texts(QStringLiteral("beep")).size(), 1);
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("未还数量"), QStringLiteral("读者编号"), QStringLiteral("R1")), 2);
    QCOMPARE(counter(database, Books, QStringLiteral("数量"), QStringLiteral("编号"), QStringLiteral("B1")), 0);
    QCOMPARE(fm.DBGrid1->rowCount(), 0);
    // The item of a loan is gone: the loan is closed, and no row is made for the item.
    platform_->clear();
    searchLoans(fm, QStringLiteral("GONE"), QString(), QString());
    fm.Button1->click();
    QCOMPARE(platform_->messages(), (QStringList{QStringLiteral("图书 GONE 已不在图书中,数量未改."), QStringLiteral("归还完毕!")}));
    QCOMPARE(scalar(database, Sql("select count(*) from 图书")), 1);
    QCOMPARE(loanCount(database, QStringLiteral(" where 已还='否'")), 0);
    QCOMPARE(counter(database, QStringLiteral("读者库"), QStringLiteral("未还数量"), QStringLiteral("读者编号"), QStringLiteral("R1")), 1);
}

// --- renewal, overdue list, loan records -------------------------------------------------------

void TstCirculation::renewal_data()
{
    TestLibrary::addEngineRows();
}

void TstCirculation::renewal()
{
    LIBRARY_FOR_ENGINE();
    openSession(database, library.kind());
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B1"), Books, QDate(2025, 4, 10), QDate(2025, 5, 10)});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B2"), Books, QDate(2025, 4, 10), QDate(2025, 5, 10), {}, true});
    auto fm = std::make_unique<TXuJieFm>();
    QPointer<TXuJieFm> guard = fm.get();
    fm->setAttribute(Qt::WA_DeleteOnClose);
    fm->show();
    QCOMPARE(fm->windowTitle(), QStringLiteral("续借"));
    QVERIFY_INPUTS_LABELLED(fm.get());
    QVERIFY(!fm->Button2->isEnabled());
    fm->Edit1->setText(QStringLiteral("R1"));
    fm->Edit2->setText(QStringLiteral("B1"));
    fm->Button1->click();
    QCOMPARE(fm->DateTimePicker1->date(), QDate(2025, 5, 10));
    QVERIFY(fm->Button2->isEnabled() && fm->Button3->isEnabled());
    // A lookup that finds nothing leaves nothing to renew: the returned loan, an item alone.
    fm->Edit2->setText(QStringLiteral("B2"));
    fm->Button1->click();
    const QString kindQuote = library.kind() == QLatin1String("a") ? QStringLiteral("\"") : QStringLiteral("'");
    QCOMPARE(platform_->messages(),
             (QStringList{QStringLiteral("没有找到该借阅记录,请检查您输入的信息是否正确!"),
                          QStringLiteral("select * from 借出记录 where 读者编号=%1R1%1 and 编号=%1B2%1 and 已还=%1否%1").arg(kindQuote)}));
    QVERIFY(!fm->Button2->isEnabled());
    fm->Button2Click(); // even called directly, nothing is written
    QCOMPARE(loanCount(database, QStringLiteral(" where 应还日期 = '2025-05-10'")), 2);
    fm->Edit1->clear();
    fm->Button1->click();
    QVERIFY(!fm->Button2->isEnabled());
    platform_->clear();
    fm->Edit1->setText(QStringLiteral("R1"));
    fm->Edit2->setText(QStringLiteral("B1"));
    fm->Button1->click();
    fm->DateTimePicker1->setDate(QDate(2025, 5, 24));
    fm->Button2->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("续借完毕!")});
    QCOMPARE(loanCount(database, QStringLiteral(" where 编号='B1' and 应还日期 = '2025-05-24'")), 1);
    fm.release();
    QTRY_VERIFY(!guard); // the window closes itself after a renewal
}

void TstCirculation::overdueList_data()
{
    TestLibrary::addEngineRows();
}

void TstCirculation::overdueList()
{
    LIBRARY_FOR_ENGINE();
    openSession(database, library.kind());
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("YESTERDAY"), Books, today().addDays(-30), today().addDays(-1), {}, false, {}, money("20")});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("TODAY"), Books, today().addDays(-30), today(), {}, false, {}, money("5.5")});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("TOMORROW"), Books, today().addDays(-30), today().addDays(1)});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("RETURNED"), Books, today().addDays(-30), today().addDays(-5), {}, true});
    TDueRecordFm fm;
    QCOMPARE(fm.windowTitle(), QStringLiteral("逾期未还记录统计"));
    QVERIFY(fm.windowState() & Qt::WindowMaximized);
    QStringList listed;
    for (int row = 0; row < fm.DBGrid1->rowCount(); ++row)
        listed << fm.DBGrid1->value(row, QStringLiteral("编号")).toString();
    listed.sort();
    QCOMPARE(listed, (QStringList{"TODAY", "YESTERDAY"}));
    QCOMPARE(fm.DBGrid1->footerText(QStringLiteral("id")), QStringLiteral("2"));
    QCOMPARE(fm.DBGrid1->footerText(QStringLiteral("价格")), QStringLiteral("25.50"));
    QVERIFY(!fm.DBGrid1->view()->isColumnHidden(fm.DBGrid1->model()->columnOf(QStringLiteral("附件"))));
    QVERIFY(fm.DBGrid1->view()->isColumnHidden(fm.DBGrid1->model()->columnOf(QStringLiteral("押金"))));
    fm.ToolButton6->click();
    auto *preview = platform_->lastWindow<TReportPreviewFm>();
    QVERIFY(preview);
    QCOMPARE(preview->report().rows().size(), 2);
    preview->close();
}

void TstCirculation::loanRecordConditions_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("reader");
    QTest::addColumn<int>("loanRange");   // 0 none, 1 May 1 to May 1, 2 May 2 to May 1
    QTest::addColumn<bool>("returnRange"); // 2008-03-03 to today
    QTest::addColumn<QString>("returned"); // empty: unchecked
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("listed"); // 编号, sorted; the list before the query when refused
    QTest::addColumn<QString>("condition");  // the condition text, StringQuote as %1; empty: not checked
    const QList<std::tuple<const char *, const char *, int, bool, const char *, const char *, QStringList, const char *>> cases{
        {"reader alone", "R1", 0, false, "", "", {"B1", "B2", "B3"}, " 读者编号=%1R1%1  "},
        {"open loans", "", 0, false, "否", "", {"B2", "B4"}, " 已还=%1否%1"},
        {"returned loans", "", 0, false, " 是 ", "", {"B1", "B3"}, ""},
        {"lent on one day", "", 1, false, "", "", {"B1", "B4"}, ""},
        {"reader and day", "R1", 1, false, "", "", {"B1"}, ""},
        {"reversed dates", "", 2, false, "", "借阅时间条件不符合正常逻辑!", {"B1", "B2", "B3", "B4"}, ""},
        {"return dates never match open loans", "", 0, true, "否", "", {}, ""},
        {"nothing set", "", 0, false, "", "请设置查询条件.", {"B1", "B2", "B3", "B4"}, ""}};
    for (const auto &[name, reader, loanRange, returnRange, returned, message, listed, condition] : cases)
        for (int engine : {0, 1})
            if (engine == 0 || TestLibrary::postgresAvailable())
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(engine ? "postgresql" : "sqlite", QString::fromUtf8(name))))
                    << engine << QString::fromLatin1(reader) << loanRange << returnRange << QString::fromUtf8(returned)
                    << QString::fromUtf8(message) << listed << QString::fromUtf8(condition);
}

void TstCirculation::loanRecordConditions()
{
    LIBRARY_FOR_ENGINE();
    QFETCH(QString, reader);
    QFETCH(int, loanRange);
    QFETCH(bool, returnRange);
    QFETCH(QString, returned);
    QFETCH(QString, message);
    QFETCH(QStringList, listed);
    QFETCH(QString, condition);
    openSession(database, library.kind());
    const QDate may1(2025, 5, 1);
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B1"), Books, may1, {}, {}, true, may1.addDays(3)});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B2"), Books, may1.addDays(1)});
    addLoan(database, {QStringLiteral("R1"), QStringLiteral("B3"), Books, may1.addDays(-1), {}, {}, true, may1});
    addLoan(database, {QStringLiteral("R2"), QStringLiteral("B4"), Books, may1});
    TBkJySearchFm fm;
    fm.show();
    QCOMPARE(fm.windowTitle(), QStringLiteral("借阅信息查询"));
    QVERIFY_INPUTS_LABELLED(&fm);
    QCOMPARE(fm.DBGrid1->rowCount(), 4); // every loan record at opening
    QVERIFY(!fm.ComboBox1->isEnabled());
    QVERIFY(!fm.DateTimePicker1->isEnabled());
    QCOMPARE(fm.DateTimePicker1->date(), QDate(2008, 3, 3));
    QCOMPARE(fm.DateTimePicker2->date(), today());
    fm.Edit4->setText(reader);
    if (loanRange) {
        fm.CheckBox1->click();
        QVERIFY(fm.DateTimePicker1->isEnabled());
        fm.DateTimePicker1->setDate(loanRange == 1 ? may1 : may1.addDays(1));
        fm.DateTimePicker2->setDate(may1);
    }
    if (returnRange)
        fm.CheckBox2->click();
    if (!returned.isEmpty()) {
        fm.CheckBox3->click();
        QVERIFY(fm.ComboBox1->isEnabled());
        fm.ComboBox1->setCurrentText(returned);
    }
    fm.Button1->click();
    QCOMPARE(platform_->messages(), message.isEmpty() ? QStringList{} : QStringList{message});
    QStringList numbers;
    for (int row = 0; row < fm.DBGrid1->rowCount(); ++row)
        numbers << fm.DBGrid1->value(row, QStringLiteral("编号")).toString();
    numbers.sort();
    QCOMPARE(numbers, listed);
    if (!condition.isEmpty())
        QCOMPARE(fm.conditionText(), condition.arg(library.kind() == QLatin1String("a") ? QStringLiteral("\"") : QStringLiteral("'")));
    QCOMPARE(fm.DBGrid1->footerText(QStringLiteral("id")), QString::number(listed.size()));
}

void TstCirculation::loanRecordReportSumsEachPage_data()
{
    TestLibrary::addEngineRows();
}

void TstCirculation::loanRecordReportSumsEachPage()
{
    LIBRARY_FOR_ENGINE();
    openSession(database, library.kind());
    for (int i = 0; i < 95; ++i) {
        Loan loan{QStringLiteral("R1"), QStringLiteral("B%1").arg(i), Books, today().addDays(-i)};
        loan.returned = true;
        loan.returnedOn = today();
        loan.price = Money::fromRaw(12345 * (i + 1));
        loan.actualRent = Money::fromRaw(2500 * (i % 7));
        loan.compensation = Money::fromInt(i % 3);
        addLoan(database, loan);
    }
    TBkJySearchFm fm;
    fm.Edit4->setText(QStringLiteral("R1"));
    fm.Button1->click();
    QCOMPARE(fm.DBGrid1->rowCount(), 95);
    QCOMPARE(fm.DBGrid1->footerText(QStringLiteral("价格")), Money::fromRaw(12345LL * 95 * 96 / 2).toString(2));
    QCOMPARE(fm.DBGrid1->footerText(QStringLiteral("赔偿金额")), QStringLiteral("94")); // a whole number
    fm.DBGrid1->sortBy(QStringLiteral("id"), Qt::DescendingOrder); // the report follows the list's order
    fm.Button3->click();
    auto *preview = platform_->lastWindow<TReportPreviewFm>();
    QVERIFY(preview);
    const Report &report = preview->report();
    const ReportLayout &layout = report.pages();
    QVERIFY2(layout.pages.size() >= 2, "the rows fill more than one page");
    QCOMPARE(report.rows().first().value(QStringLiteral("编号")).toString(), QStringLiteral("B94"));
    int printed = 0;
    for (const LaidPage &page : layout.pages) {
        Money price, rent, compensation;
        for (int row : page.rows) {
            price += report.rows().at(row).value(QStringLiteral("价格")).value<Money>();
            rent += report.rows().at(row).value(QStringLiteral("实际租金")).value<Money>();
            compensation += report.rows().at(row).value(QStringLiteral("赔偿金额")).value<Money>();
        }
        printed += int(page.rows.size());
        QString foot;
        for (const LaidBand &band : page.bands)
            if (band.kind == ReportBandKind::PageFooter)
                foot = band.objects.first().text;
        QCOMPARE(foot, QStringLiteral(" 价格合计:%1  实际租金合计: %2  赔偿金额合计: %3 ")
                           .arg(price.toString(2), rent.toString(2), compensation.toString(2)));
    }
    QCOMPARE(printed, 95);
    preview->close();
}

// --- the main window, the scanner, two desks -------------------------------------------------

void TstCirculation::mainWindowOpensTheDesks()
{
    TestLibrary library;
    openSession(library.db(), library.kind());
    TMainFm main;
    main.show();
    const QList<std::pair<QAction *, const char *>> entries{{main.BorrowItem, "TBkBorrowFm"}, {main.ReturnItem, "TBkReturnFm"},
                                                            {main.XuJieItem, "TXuJieFm"}, {main.DueRecordItem, "TDueRecordFm"},
                                                            {main.JySearchItem, "TBkJySearchFm"}};
    for (const auto &[action, windowClass] : entries) {
        action->trigger();
        QWidget *opened = main.lastOpened();
        QVERIFY2(opened, windowClass);
        QCOMPARE(QString::fromLatin1(opened->metaObject()->className()), QString::fromLatin1(windowClass));
        delete opened;
    }
    QCOMPARE(main.BorrowItem->shortcut(), QKeySequence(QStringLiteral("F5")));
    QCOMPARE(main.ReturnItem->shortcut(), QKeySequence(QStringLiteral("F6")));
    platform_->answers.enqueue(true);
    main.close();
}

void TstCirculation::scanDuringARefusalReachesTheList_data()
{
    TestLibrary::addEngineRows();
}

// With the real platform, a scan that arrives while a refusal is shown is not lost: it closes the
// message and lands in the pending list; a person's slow keys and Enter only close the message.
void TstCirculation::scanDuringARefusalReachesTheList()
{
    LIBRARY_FOR_ENGINE();
    openSession(database, library.kind());
    addReader(database, {QStringLiteral("R1")});
    addItem(database, Books, {QStringLiteral("B7"), {}, 2});
    addItem(database, Books, {QStringLiteral("B8"), {}, 2});
    Platform::install(std::make_unique<QtPlatform>());
    struct Restore {
        RecordingPlatform *&platform;
        ~Restore() { platform = &RecordingPlatform::install(); }
    } restore{platform_};
    TBkBorrowFm fm;
    fm.show();
    QVERIFY(QTest::qWaitForWindowActive(&fm));
    checkReader(fm, QStringLiteral("R1"));
    QVERIFY(fm.readerAccepted());

    QStringList shown;
    auto typeIntoMessage = [&shown](const QString &keys, int delay) {
        QTimer::singleShot(0, [&shown, keys, delay] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            shown << box->text();
            QTest::keyClicks(box, keys, Qt::NoModifier, delay);
            if (delay)
                QTest::qWait(delay);
            QTest::keyClick(box, Qt::Key_Return);
        });
    };
    typeIntoMessage(QStringLiteral("B7"), 0); // a scanner: every key at once
    scan(fm, QStringLiteral("NOPE"));
    QCOMPARE(shown, QStringList{QStringLiteral("没有找到该图书的数据,请重新输入.")});
    QVERIFY(!QApplication::activeModalWidget());
    QTRY_COMPARE(pendingCount(fm), 1);
    QCOMPARE(pendingRow(fm, 0).at(0), QStringLiteral("B7"));
    QCOMPARE(fm.Edit2->selectedText(), QStringLiteral("B7"));

    typeIntoMessage(QStringLiteral("B8"), 120); // a person: the Enter only closes the message
    scan(fm, QStringLiteral("B7"));
    QCOMPARE(shown.last(), QStringLiteral("已经重复添加过了."));
    QVERIFY(!QApplication::activeModalWidget());
    QTest::qWait(50);
    QCOMPARE(pendingCount(fm), 1);
    QCOMPARE(fm.Edit2->text(), QStringLiteral("B7"));
}

// Two desks, each its own program and connection, lend the last copies of one item and return
// the loans of one reader at the same time.
void TstCirculation::twoDesksAtOnce_data()
{
    TestLibrary::addEngineRows();
}

void TstCirculation::twoDesksAtOnce()
{
    LIBRARY_FOR_ENGINE();
    const int copies = 12, rounds = 10, loans = 12;
    addItem(database, Books, {QStringLiteral("LAST"), {}, copies});
    addItem(database, Books, {QStringLiteral("RET"), {}, 0, {}, {}, loans});
    addReader(database, {QStringLiteral("A")});
    addReader(database, {QStringLiteral("B")});
    addReader(database, {QStringLiteral("C"), QStringLiteral("还书人"), QStringLiteral("普通"), {}, {}, loans});
    for (int i = 0; i < loans; ++i)
        addLoan(database, {QStringLiteral("C"), QStringLiteral("RET"), Books, today().addDays(-i)});

    QProcess desks[2];
    const char *borrowers[] = {"A", "B"};
    for (int d = 0; d < 2; ++d) {
        desks[d].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        desks[d].start(QStringLiteral(DESK_RUNNER), {library.folder(), library.connectionText(), library.kind(),
                                                    QString::fromLatin1(borrowers[d]), QStringLiteral("LAST"),
                                                    QStringLiteral("C"), QString::number(rounds)});
    }
    for (QProcess &desk : desks) {
        QVERIFY(desk.waitForFinished(240000));
        QVERIFY2(desk.exitStatus() == QProcess::NormalExit && desk.exitCode() == 0, desk.readAllStandardOutput().constData());
    }
    auto open = [&](const QString &where) { return loanCount(database, QStringLiteral(" where 已还='否'") + where); };
    auto all = [&](const QString &where) { return loanCount(database, QStringLiteral(" where ") + where); };
    auto count = [&](const QString &table, const QString &column, const QString &key) {
        return counter(database, table, column, table == Books ? QStringLiteral("编号") : QStringLiteral("读者编号"), key);
    };
    // Twenty tries for twelve copies: every copy is lent once, never more.
    QCOMPARE(all(QStringLiteral("编号='LAST'")), copies);
    QCOMPARE(count(Books, QStringLiteral("数量"), QStringLiteral("LAST")), 0);
    QCOMPARE(count(Books, QStringLiteral("借出次数"), QStringLiteral("LAST")), copies);
    // Twenty tries for twelve loans: every loan is returned once, never twice.
    QCOMPARE(open(QStringLiteral(" and 读者编号='C'")), 0);
    QCOMPARE(count(Books, QStringLiteral("数量"), QStringLiteral("RET")), loans);
    QCOMPARE(count(QStringLiteral("读者库"), QStringLiteral("未还数量"), QStringLiteral("C")), 0);
    for (const char *reader : {"A", "B"}) {
        const QString r = QString::fromLatin1(reader);
        QCOMPARE(count(QStringLiteral("读者库"), QStringLiteral("未还数量"), r), open(QStringLiteral(" and 读者编号='%1'").arg(r)));
        QCOMPARE(count(QStringLiteral("读者库"), QStringLiteral("累计借阅次数"), r), all(QStringLiteral("读者编号='%1'").arg(r)));
    }
    QCOMPARE(scalar(database, Sql("select count(*) from 图书 where 数量 < 0")), 0);
}

QTEST_MAIN(TstCirculation)
#include "tst_circulation.moc"
