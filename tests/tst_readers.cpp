// Readers: registration with its fee row, editing, the management list with its searches, rights,
// deletion and reports, the card top-up; the search-list window over another table.
#include "InputLabels.h"
#include "PageReading.h"
#include "RecordingPlatform.h"
#include "TestLibrary.h"
#include "WorkbookReader.h"
#include "app/MainUt.h"
#include "app/Session.h"
#include "common/ProgramFolder.h"
#include "components/ReportPreview.h"
#include "components/SearchListWindow.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Transaction.h"
#include "readers/RdAddUt.h"
#include "readers/RdChongZhiUt.h"
#include "readers/RdEditUt.h"
#include "readers/RdSearchUt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <atomic>
#include <thread>

using db::Money;

namespace {

struct Reader {
    QString number;
    QString name;
    QString kind = QStringLiteral("普通");
    Money balance = {};
};

void addReader(db::Database &database, const Reader &r)
{
    database.insert(QStringLiteral("读者库"), {{QStringLiteral("读者编号"), r.number},
                                               {QStringLiteral("读者姓名"), r.name},
                                               {QStringLiteral("性别"), QStringLiteral("男")},
                                               {QStringLiteral("类别"), r.kind},
                                               {QStringLiteral("联系电话"), QStringLiteral("010-1")},
                                               {QStringLiteral("住址"), QStringLiteral("北京路1号")},
                                               {QStringLiteral("登记日期"), QDate(2024, 3, 1)},
                                               {QStringLiteral("有效期"), QDate(2030, 1, 1)},
                                               {QStringLiteral("状态"), QStringLiteral("正常")},
                                               {QStringLiteral("py"), QStringLiteral("XX")},
                                               {QStringLiteral("累计借阅次数"), 7},
                                               {QStringLiteral("卡内金额"), QVariant::fromValue(r.balance)}});
}

void addThreeReaders(db::Database &database)
{
    addReader(database, {QStringLiteral("R001"), QStringLiteral("张三")});
    addReader(database, {QStringLiteral("R002"), QStringLiteral("李四")});
    addReader(database, {QStringLiteral("R003"), QStringLiteral("张小明"), QStringLiteral("学生")});
}

// A change of the schema, which the program never makes.
void ddl(db::Database &database, const QString &statement)
{
    QSqlQuery query(database.handle());
    if (!query.exec(statement))
        QFAIL(qPrintable(query.lastError().text()));
}

qint64 count(db::Database &database, const db::Sql &statement)
{
    db::Rows rows = database.select(statement);
    rows.next();
    return rows.integer(QStringLiteral("n"));
}

qint64 readerCount(db::Database &database) { return count(database, db::Sql("select count(*) as n from 读者库")); }
qint64 incomeCount(db::Database &database) { return count(database, db::Sql("select count(*) as n from 收入")); }

Money balanceOf(db::Database &database, const QString &number)
{
    db::Rows rows = database.select(db::Sql("select 卡内金额 from 读者库 where 读者编号=") + db::Sql::text(number));
    rows.next();
    return rows.money(QStringLiteral("卡内金额"));
}

// The listed values of a column, top to bottom.
QStringList listed(const DataGrid &grid, const QString &field)
{
    QStringList values;
    for (int row = 0; row < grid.rowCount(); ++row)
        values.append(grid.displayText(row, field));
    return values;
}

// The widget Tab moves to from `from`: the next one in the focus chain that takes Tab, leaving out
// the parts of `from` itself (the line edit inside an editable drop-down).
QWidget *nextTabStop(QWidget *from)
{
    for (QWidget *w = from->nextInFocusChain(); w && w != from; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(from->window()) && !from->isAncestorOf(w))
            return w;
    return nullptr;
}

QToolButton *button(const SearchListWindow &fm, const char *name) { return fm.toolButton(QString::fromLatin1(name)); }

// Selects the grid row that shows this reader.
void selectReader(TRdSearchFm &fm, const QString &number)
{
    const int row = int(listed(*fm.grid, QStringLiteral("读者编号")).indexOf(number));
    QVERIFY2(row >= 0, qPrintable(number));
    fm.grid->setCurrentRow(row);
}

void search(SearchListWindow &fm, const QString &column, const QString &value, bool exact)
{
    fm.ComboBox1->setCurrentText(column);
    fm.Edit1->setText(value);
    (exact ? fm.RadioButton1 : fm.RadioButton2)->setChecked(true);
    QTest::keyClick(fm.Edit1, Qt::Key_Return);
}

} // namespace

class TstReaders : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // 读者添加
    void addOpensWithListsAndDefaults_data() { TestLibrary::addEngineRows(); }
    void addOpensWithListsAndDefaults();
    void addStoresReaderAndFee_data();
    void addStoresReaderAndFee();
    void addRequiresTheBoldFields_data();
    void addRequiresTheBoldFields();
    void addKeepsDataWhenAsked_data() { TestLibrary::addEngineRows(); }
    void addKeepsDataWhenAsked();
    void addReturnLeavesNoRow_data() { TestLibrary::addEngineRows(); }
    void addReturnLeavesNoRow();
    void addInitials_data();
    void addInitials();
    void addRefusedReaderKeepsTheForm_data() { TestLibrary::addEngineRows(); }
    void addRefusedReaderKeepsTheForm();
    void addReaderAndFeeTogetherOrNeither_data() { TestLibrary::addEngineRows(); }
    void addReaderAndFeeTogetherOrNeither();

    // 读者编辑
    void editShowsTheCurrentReader_data() { TestLibrary::addEngineRows(); }
    void editShowsTheCurrentReader();
    void editOneColumnKeepsTheOthers_data() { TestLibrary::addEngineRows(); }
    void editOneColumnKeepsTheOthers();
    void editNameRecomputesInitials_data() { TestLibrary::addEngineRows(); }
    void editNameRecomputesInitials();
    void editDroppedWritesNothing_data();
    void editDroppedWritesNothing();
    void editRefusedOnAnEmptyList_data() { TestLibrary::addEngineRows(); }
    void editRefusedOnAnEmptyList();

    // 读者管理
    void searchListsTheReaders_data() { TestLibrary::addEngineRows(); }
    void searchListsTheReaders();
    void searchModes_data();
    void searchModes();
    void searchValueIsBound_data() { TestLibrary::addEngineRows(); }
    void searchValueIsBound();
    void searchRefusesUnknownColumns_data();
    void searchRefusesUnknownColumns();
    void searchNeedsColumnAndValue();
    void refreshRepeatsAndShowAllReturns_data() { TestLibrary::addEngineRows(); }
    void refreshRepeatsAndShowAllReturns();
    void deleteAsksAndKeepsTheLoans_data() { TestLibrary::addEngineRows(); }
    void deleteAsksAndKeepsTheLoans();
    void rightsDisableTheirButtons_data();
    void rightsDisableTheirButtons();
    void topUpDisabledOnAnEmptyTable_data() { TestLibrary::addEngineRows(); }
    void topUpDisabledOnAnEmptyTable();
    void readerListReportFollowsTheList_data() { TestLibrary::addEngineRows(); }
    void readerListReportFollowsTheList();
    void readerCardsScanBackToTheirNumbers_data() { TestLibrary::addEngineRows(); }
    void readerCardsScanBackToTheirNumbers();
    void exportLeavesTheLastReaderCurrent_data() { TestLibrary::addEngineRows(); }
    void exportLeavesTheLastReaderCurrent();
    void mainWindowOpensTheReaderWindows();

    // 卡内充值
    void topUpWritesBalanceAndLedger_data();
    void topUpWritesBalanceAndLedger();
    void topUpRefusesZero_data();
    void topUpRefusesZero();
    void amountKeyFilter();
    void refundAfterAFailedRefundStaysARefund();
    void amountIsReadAsMoney_data();
    void amountIsReadAsMoney();
    void topUpRefusedOnAnEmptyList_data() { TestLibrary::addEngineRows(); }
    void topUpRefusedOnAnEmptyList();
    void topUpAndRentAtOnceBothCount_data() { TestLibrary::addEngineRows(); }
    void topUpAndRentAtOnceBothCount();

    // The search-list window configured for another table.
    void searchListOverBooks_data() { TestLibrary::addEngineRows(); }
    void searchListOverBooks();

private:
    void useLibrary(TestLibrary &library);
    RecordingPlatform *platform_ = nullptr;
};

void TstReaders::init()
{
    Session::reset();
    platform_ = &RecordingPlatform::install();
    setProgramFolder({}); // the build's bin folder, where the report templates are copied
    Session &s = Session::instance();
    s.adminname = QStringLiteral("管理员甲");
    s.libraryName = QStringLiteral("市立第一图书馆");
    s.setAll(true);
}

void TstReaders::cleanup()
{
    QVERIFY2(platform_->unanswered.isEmpty(), qPrintable(platform_->unanswered.join(" | ")));
    for (const QPointer<QWidget> &w : platform_->windows)
        delete w.data();
    Session::reset();
}

void TstReaders::useLibrary(TestLibrary &library)
{
    Session &s = Session::instance();
    s.database = &library.db();
    s.DatabaseKind = library.kind();
}

// ---------------------------------------------------------------------------------------------
// 读者添加

void TstReaders::addOpensWithListsAndDefaults()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    database.insert(QStringLiteral("读者类别"), {{QStringLiteral("类别名"), QStringLiteral("学生")}});
    database.insert(QStringLiteral("单位名称"), {{QStringLiteral("单位名称"), QStringLiteral("计算机系")}});
    database.insert(QStringLiteral("证件名"), {{QStringLiteral("证件名"), QStringLiteral("身份证")}});

    TRdAddFm fm;
    fm.show();
    QCOMPARE(fm.windowTitle(), QStringLiteral("读者添加"));
    QVERIFY_INPUTS_LABELLED(&fm);
    const auto items = [](QComboBox *box) {
        QStringList values;
        for (int i = 0; i < box->count(); ++i)
            values.append(box->itemText(i));
        return values;
    };
    QCOMPARE(items(fm.ComboBox1), (QStringList{QStringLiteral("男"), QStringLiteral("女")}));
    QCOMPARE(items(fm.ComboBox2), (QStringList{QStringLiteral("普通"), QStringLiteral("学生")}));
    QCOMPARE(items(fm.ComboBox3), QStringList{QStringLiteral("计算机系")});
    QCOMPARE(items(fm.ComboBox4), QStringList{QStringLiteral("身份证")});
    QCOMPARE(fm.ComboBox5->count(), 0);
    QCOMPARE(fm.ComboBox6->count(), 0);

    QCOMPARE(fm.ComboBox1->currentText(), QStringLiteral("男"));
    QCOMPARE(fm.ComboBox2->currentText(), QStringLiteral("普通"));
    QCOMPARE(fm.ComboBox3->currentText(), QString());
    QCOMPARE(fm.ComboBox4->currentText(), QString());
    QCOMPARE(fm.DateTimePicker1->date(), QDate(2500, 1, 1));
    QVERIFY(fm.DateTimePicker1->calendarPopup());
    QVERIFY(fm.CheckBox1->isChecked());
    QVERIFY(!fm.Edit6->isEnabled());
    for (QComboBox *box : {fm.ComboBox1, fm.ComboBox2, fm.ComboBox3, fm.ComboBox4, fm.ComboBox5, fm.ComboBox6})
        QVERIFY(box->isEditable());

    // The bold captions are the required fields.
    QStringList bold;
    for (QLabel *label : fm.findChildren<QLabel *>())
        if (label->font().bold())
            bold.append(label->text());
    bold.sort();
    QStringList required{QStringLiteral("读者编号"), QStringLiteral("读者姓名"), QStringLiteral("类别")};
    required.sort();
    QCOMPARE(bold, required);

    // Tab goes through the fields in the order of the form.
    const QList<QWidget *> order{fm.Edit1, fm.Edit2, fm.ComboBox1, fm.ComboBox2, fm.Edit4, fm.Edit3, fm.DateTimePicker1,
                                 fm.ComboBox3, fm.Edit5, fm.Memo1, fm.ComboBox4, fm.ComboBox5, fm.ComboBox6, fm.Button1,
                                 fm.Button2, fm.CheckBox1};
    for (qsizetype i = 1; i < order.size(); ++i) {
        QWidget *next = nextTabStop(order.at(i - 1));
        QVERIFY2(next == order.at(i) || order.at(i)->isAncestorOf(next),
                 qPrintable(QStringLiteral("after %1 comes %2, not %3")
                                .arg(order.at(i - 1)->objectName(), next ? next->objectName() : QString(),
                                     order.at(i)->objectName())));
    }
}

void TstReaders::addStoresReaderAndFee_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("fee");
    for (const char *fee : {"0", "2.5"})
        TestLibrary::addEngineRow(QStringLiteral("fee ") + QLatin1String(fee),
                                  [&](QTestData &row) { row << QString::fromLatin1(fee); });
}

void TstReaders::addStoresReaderAndFee()
{
    QFETCH(QString, fee);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    Session::instance().openingFee = *Money::parse(fee);

    TRdAddFm fm;
    fm.Edit1->setText(QStringLiteral(" R100 "));
    fm.Edit2->setText(QStringLiteral(" 王五 "));
    fm.ComboBox1->setCurrentText(QStringLiteral("女"));
    fm.ComboBox2->setCurrentText(QStringLiteral("教师")); // not among the kinds: stored as typed
    fm.Edit4->setText(QStringLiteral(" 13800000000 "));
    fm.Edit3->setText(QStringLiteral("110101"));
    fm.DateTimePicker1->setDate(QDate(2031, 12, 31));
    fm.ComboBox3->setCurrentText(QStringLiteral("数学系"));
    fm.Edit5->setText(QStringLiteral("人民路2号"));
    fm.Memo1->setPlainText(QStringLiteral(" 新读者 "));
    fm.ComboBox4->setCurrentText(QStringLiteral("身份证"));
    fm.ComboBox5->setCurrentText(QStringLiteral("三班"));
    fm.ComboBox6->setCurrentText(QStringLiteral("理学院"));
    QCOMPARE(fm.Edit6->text(), QStringLiteral("   ")); // the blanks pair with the name's bytes: no character
    fm.Button1->click();

    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("保存完毕")});
    db::Rows r = database.select(db::Sql("select * from 读者库"));
    QVERIFY(r.next());
    const QList<std::pair<const char *, QString>> texts{
        {"读者编号", "R100"}, {"读者姓名", "王五"}, {"性别", "女"}, {"类别", "教师"}, {"有效证件", "身份证"},
        {"证件号码", "110101"}, {"联系电话", "13800000000"}, {"班级", "三班"}, {"院系", "理学院"},
        {"单位部门", "数学系"}, {"住址", "人民路2号"}, {"备注", "新读者"}, {"py", ""}, {"登记人", "管理员甲"},
        {"状态", "正常"}, {"密码", "7394"}};
    for (const auto &[column, value] : texts)
        QCOMPARE(r.text(QString::fromUtf8(column)), value);
    QCOMPARE(r.date(QStringLiteral("登记日期")), QDate(2025, 6, 16));
    QCOMPARE(r.date(QStringLiteral("有效期")), QDate(2031, 12, 31));
    QCOMPARE(r.integer(QStringLiteral("未还数量")), 0);
    QCOMPARE(r.integer(QStringLiteral("累计借阅次数")), 0);
    QCOMPARE(r.money(QStringLiteral("卡内金额")), Money());
    QVERIFY(!r.next());

    db::Rows income = database.select(db::Sql("select * from 收入"));
    if (fee == QLatin1String("0")) {
        QVERIFY(!income.next());
    } else {
        QVERIFY(income.next());
        QCOMPARE(income.text(QStringLiteral("项目")), QStringLiteral("开户费"));
        QCOMPARE(income.date(QStringLiteral("时间")), QDate(2025, 6, 16));
        QCOMPARE(income.text(QStringLiteral("读者编号")), QStringLiteral(" R100 ")); // as typed
        QCOMPARE(income.text(QStringLiteral("读者姓名")), QStringLiteral(" 王五 "));
        QCOMPARE(income.money(QStringLiteral("金额")), *Money::parse(QStringLiteral("2.5")));
        QCOMPARE(income.text(QStringLiteral("管理员")), QStringLiteral("管理员甲"));
        QVERIFY(!income.next());
    }
    // Emptied for the next reader.
    QCOMPARE(fm.Edit1->text(), QString());
    QCOMPARE(fm.Edit6->text(), QString());
    QCOMPARE(fm.ComboBox2->currentText(), QStringLiteral("普通"));
    QCOMPARE(fm.DateTimePicker1->date(), QDate(2500, 1, 1));
}

void TstReaders::addRequiresTheBoldFields_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::newRow("no number") << "" << "王五" << "普通";
    QTest::newRow("no name") << "R1" << "" << "普通";
    QTest::newRow("no kind") << "R1" << "王五" << "";
    // Blanks alone would store an empty number or name.
    QTest::newRow("number of blanks") << "   " << "王五" << "普通";
    QTest::newRow("name of blanks") << "R1" << "  " << "普通";
    QTest::newRow("kind of blanks") << "R1" << "王五" << " ";
}

void TstReaders::addRequiresTheBoldFields()
{
    QFETCH(QString, number);
    QFETCH(QString, name);
    QFETCH(QString, kind);
    TestLibrary library;
    useLibrary(library);
    Session::instance().openingFee = Money::fromInt(5);
    TRdAddFm fm;
    fm.Edit1->setText(number);
    fm.Edit2->setText(name);
    fm.ComboBox2->setCurrentText(kind);
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("字体加重的项目必须填写!")});
    QCOMPARE(readerCount(library.db()), 0);
    QCOMPARE(incomeCount(library.db()), 0);
    QCOMPARE(fm.Edit1->text(), number);
}

void TstReaders::addKeepsDataWhenAsked()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    TRdAddFm fm;
    fm.CheckBox1->setChecked(false);
    fm.Edit1->setText(QStringLiteral("R1"));
    fm.Edit2->setText(QStringLiteral("王五"));
    fm.Button1->click();
    QCOMPARE(fm.Edit1->text(), QStringLiteral("R1"));
    fm.Button1->click();
    QCOMPARE(readerCount(database), 2);
    QCOMPARE(platform_->messages(), (QStringList{QStringLiteral("保存完毕"), QStringLiteral("保存完毕")}));
}

void TstReaders::addReturnLeavesNoRow()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    Session::instance().openingFee = Money::fromInt(5);
    auto *fm = new TRdAddFm;
    Platform::instance().openWindow(fm);
    QPointer<TRdAddFm> guard(fm);
    fm->Edit1->setText(QStringLiteral("R1"));
    fm->Edit2->setText(QStringLiteral("王五"));
    fm->Button2->click();
    QTRY_VERIFY(!guard);
    QCOMPARE(readerCount(database), 0);
    QCOMPARE(incomeCount(database), 0);
}

void TstReaders::addInitials_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("stored");
    QTest::newRow("two characters") << "张三" << "ZS" << "ZS";
    // a + 图: the Latin letter pairs with the first byte of 图, no character; the last byte is odd.
    QTest::newRow("three bytes") << "a图" << " " << "";
    QTest::newRow("empty") << "" << "" << "";
}

void TstReaders::addInitials()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    QFETCH(QString, stored);
    TestLibrary library;
    useLibrary(library);
    TRdAddFm fm;
    fm.Edit1->setText(QStringLiteral("R1"));
    QTest::keyClicks(fm.Edit2, QStringLiteral("ab"));
    QCOMPARE(fm.Edit6->text(), QStringLiteral(" "));
    fm.Edit2->setText(name);
    QCOMPARE(fm.Edit6->text(), shown);
    if (name.isEmpty())
        return; // the name is required
    fm.Button1->click();
    db::Rows r = library.db().select(db::Sql("select py from 读者库"));
    QVERIFY(r.next());
    QCOMPARE(r.text(QStringLiteral("py")), stored);
}

void TstReaders::addRefusedReaderKeepsTheForm()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    Session::instance().openingFee = Money::fromInt(5);
    // A library that keeps reader numbers unique refuses the second R1.
    ddl(database, QStringLiteral("create unique index 读者编号_唯一 on 读者库 (读者编号)"));
    addReader(database, {QStringLiteral("R1"), QStringLiteral("张三")});
    TRdAddFm fm;
    fm.Edit1->setText(QStringLiteral("R1"));
    fm.Edit2->setText(QStringLiteral("王五"));
    fm.Button1->click();
    QCOMPARE(platform_->messages().size(), 1);
    QVERIFY(platform_->messages().first() != QStringLiteral("保存完毕"));
    QCOMPARE(readerCount(database), 1);
    QCOMPARE(incomeCount(database), 0);
    QCOMPARE(fm.Edit2->text(), QStringLiteral("王五"));
    // Corrected, it goes in.
    platform_->clear();
    fm.Edit1->setText(QStringLiteral("R2"));
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("保存完毕")});
    QCOMPARE(readerCount(database), 2);
    QCOMPARE(incomeCount(database), 1);
}

void TstReaders::addReaderAndFeeTogetherOrNeither()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    Session::instance().openingFee = Money::fromInt(5);
    // A ledger that refuses the fee row: the reader must not stay without it.
    ddl(database, QStringLiteral("drop table 收入"));
    TRdAddFm fm;
    fm.Edit1->setText(QStringLiteral("R1"));
    fm.Edit2->setText(QStringLiteral("王五"));
    fm.Button1->click();
    QCOMPARE(platform_->errors().size(), 1);
    QVERIFY(!platform_->messages().contains(QStringLiteral("保存完毕")));
    QCOMPARE(readerCount(database), 0);
    QCOMPARE(fm.Edit1->text(), QStringLiteral("R1"));
}

// ---------------------------------------------------------------------------------------------
// 读者编辑

void TstReaders::editShowsTheCurrentReader()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    database.exec(db::Sql("update 读者库 set 卡内金额 = ") + db::Sql::money(*Money::parse(QStringLiteral("12.5")))
                  + " where 读者编号 = 'R002'");
    TRdSearchFm list;
    selectReader(list, QStringLiteral("R002"));
    button(list, "ToolButton2")->click();
    auto *fm = platform_->lastWindow<TRdEditFm>();
    QVERIFY(fm);
    QCOMPARE(fm->windowTitle(), QStringLiteral("读者编辑"));
    QVERIFY(fm->isModal());
    QVERIFY_INPUTS_LABELLED(fm);
    QCOMPARE(fm->DBEdit1->text(), QStringLiteral("R002"));
    QCOMPARE(fm->DBEdit2->text(), QStringLiteral("李四"));
    QCOMPARE(fm->DBComboBox2->currentText(), QStringLiteral("普通"));
    QCOMPARE(fm->DBEdit5->text(), QStringLiteral("12.50"));
    QCOMPARE(fm->DBEdit8->text(), QStringLiteral("7"));
    QCOMPARE(fm->DBEdit11->text(), QStringLiteral("XX")); // shown as stored until the name changes
    QCOMPARE(fm->DBDateEdit1->date(), QDate(2024, 3, 1));
    QCOMPARE(fm->DBDateEdit2->date(), QDate(2030, 1, 1));
    for (QLineEdit *readOnly : {fm->DBEdit5, fm->DBEdit8, fm->DBEdit11})
        QVERIFY(!readOnly->isEnabled());
    QCOMPARE(fm->DBComboBox1->count(), 2);
    QVERIFY(fm->changedFields().isEmpty());
}

void TstReaders::editOneColumnKeepsTheOthers()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    TRdSearchFm list;
    selectReader(list, QStringLiteral("R002"));
    button(list, "ToolButton2")->click();
    auto *fm = platform_->lastWindow<TRdEditFm>();
    QVERIFY(fm);
    QPointer<TRdEditFm> guard(fm);
    // Meanwhile a desk lends to the reader and takes rent from his card.
    database.exec(db::Sql("update 读者库 set 未还数量 = 未还数量 + 1, 卡内金额 = 卡内金额 - ") + db::Sql::money(Money::fromInt(2))
                  + " where 读者编号 = 'R002'");
    // And another desk corrects his address.
    db::Database otherDesk(library.spec(), library.kind());
    otherDesk.exec(db::Sql("update 读者库 set 住址 = ") + db::Sql::text(QStringLiteral("新华路3号")) + " where 读者编号 = 'R002'");
    fm->DBEdit7->setText(QStringLiteral(" 13900000000 "));
    fm->Button1->click();
    QTRY_VERIFY(!guard);

    db::Rows r = database.select(db::Sql("select * from 读者库 where 读者编号 = 'R002'"));
    QVERIFY(r.next());
    QCOMPARE(r.text(QStringLiteral("联系电话")), QStringLiteral("13900000000"));
    QCOMPARE(r.text(QStringLiteral("读者姓名")), QStringLiteral("李四"));
    QCOMPARE(r.text(QStringLiteral("住址")), QStringLiteral("新华路3号"));
    QCOMPARE(r.text(QStringLiteral("py")), QStringLiteral("XX"));
    QCOMPARE(r.date(QStringLiteral("有效期")), QDate(2030, 1, 1));
    QCOMPARE(r.integer(QStringLiteral("未还数量")), 1);
    QCOMPARE(r.money(QStringLiteral("卡内金额")), Money::fromInt(-2));
    QCOMPARE(r.text(QStringLiteral("状态")), QStringLiteral("正常"));
    // The other readers are untouched, and the list shows the change.
    QCOMPARE(count(database, db::Sql("select count(*) as n from 读者库 where 联系电话 = '010-1'")), 2);
    QCOMPARE(list.grid->currentValue(QStringLiteral("联系电话")).toString(), QStringLiteral("13900000000"));
    QCOMPARE(list.grid->currentValue(QStringLiteral("读者编号")).toString(), QStringLiteral("R002"));
}

void TstReaders::editNameRecomputesInitials()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    // The reader has loans under his number: they stay under it when the number changes.
    database.insert(QStringLiteral("借出记录"), {{QStringLiteral("读者编号"), QStringLiteral("R001")},
                                                 {QStringLiteral("已还"), QStringLiteral("否")}});
    TRdSearchFm list;
    selectReader(list, QStringLiteral("R001"));
    button(list, "ToolButton2")->click();
    auto *fm = platform_->lastWindow<TRdEditFm>();
    QVERIFY(fm);
    fm->DBEdit2->setText(QStringLiteral("中国"));
    QCOMPARE(fm->DBEdit11->text(), QStringLiteral("ZG"));
    fm->DBEdit1->setText(QStringLiteral("R001-新"));
    fm->DBComboBox2->setCurrentText(QStringLiteral("访客"));
    fm->DBDateEdit2->setDate(QDate(2040, 5, 6));
    fm->Button1->click();
    db::Rows r = database.select(db::Sql("select * from 读者库 where 读者编号 = ") + db::Sql::text(QStringLiteral("R001-新")));
    QVERIFY(r.next());
    QCOMPARE(r.text(QStringLiteral("读者姓名")), QStringLiteral("中国"));
    QCOMPARE(r.text(QStringLiteral("py")), QStringLiteral("ZG"));
    QCOMPARE(r.text(QStringLiteral("类别")), QStringLiteral("访客"));
    QCOMPARE(r.date(QStringLiteral("有效期")), QDate(2040, 5, 6));
    QCOMPARE(count(database, db::Sql("select count(*) as n from 借出记录 where 读者编号 = 'R001'")), 1);
}

void TstReaders::editDroppedWritesNothing_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<bool>("byCancel"); // 取消, or the title bar's close button
    for (bool cancel : {true, false}) {
        const char *how = cancel ? "取消" : "title bar";
        TestLibrary::addEngineRow(QString::fromUtf8(how), [&](QTestData &row) { row << cancel; });
    }
}

void TstReaders::editDroppedWritesNothing()
{
    QFETCH(bool, byCancel);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    TRdSearchFm list;
    selectReader(list, QStringLiteral("R003"));
    button(list, "ToolButton2")->click();
    auto *fm = platform_->lastWindow<TRdEditFm>();
    QVERIFY(fm);
    QPointer<TRdEditFm> guard(fm);
    fm->DBEdit2->setText(QStringLiteral("改名"));
    fm->DBEdit7->setText(QStringLiteral("999"));
    if (byCancel)
        fm->Button2->click();
    else
        fm->close();
    QTRY_VERIFY(!guard);
    db::Rows r = database.select(db::Sql("select * from 读者库 where 读者编号 = 'R003'"));
    QVERIFY(r.next());
    QCOMPARE(r.text(QStringLiteral("读者姓名")), QStringLiteral("张小明"));
    QCOMPARE(r.text(QStringLiteral("联系电话")), QStringLiteral("010-1"));
    QCOMPARE(r.text(QStringLiteral("py")), QStringLiteral("XX"));
    QCOMPARE(list.grid->currentValue(QStringLiteral("读者姓名")).toString(), QStringLiteral("张小明"));
}

void TstReaders::editRefusedOnAnEmptyList()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    TRdSearchFm list;
    search(list, QStringLiteral("读者姓名"), QStringLiteral("没有这个人"), false);
    QCOMPARE(list.grid->rowCount(), 0);
    button(list, "ToolButton2")->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("列表中没有可修改的记录!")});
    QVERIFY(!platform_->lastWindow<TRdEditFm>());
    QCOMPARE(readerCount(database), 3);
}

// ---------------------------------------------------------------------------------------------
// 读者管理

void TstReaders::searchListsTheReaders()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    TRdSearchFm fm;
    fm.show();
    QVERIFY_INPUTS_LABELLED(&fm);
    QCOMPARE(fm.windowTitle(), QStringLiteral("读者管理"));
    QVERIFY(fm.windowState() & Qt::WindowMaximized);
    QCOMPARE(fm.GroupBox1->title(), QStringLiteral("查询条件"));
    QCOMPARE(fm.ComboBox1->currentText(), QStringLiteral("读者编号"));
    QStringList offered;
    for (int i = 0; i < fm.ComboBox1->count(); ++i)
        offered.append(fm.ComboBox1->itemText(i));
    QCOMPARE(offered, (QStringList{"读者编号", "读者姓名", "类别", "单位部门", "院系", "班级", "住址", "联系电话",
                                   "证件号码", "有效证件", "性别", "备注"}));
    QVERIFY(fm.ComboBox1->isEditable());
    QCOMPARE(fm.Label1->text(), QStringLiteral("中 含有"));
    QVERIFY(fm.RadioButton2->isChecked());
    QCOMPARE(fm.grid->objectName(), QStringLiteral("dxDBGrid1"));

    QStringList captions;
    for (QToolButton *b : fm.ToolBar1->findChildren<QToolButton *>())
        if (b->objectName().startsWith(QLatin1String("ToolButton")))
            captions.append(b->objectName() + QLatin1Char('=') + b->text());
    QCOMPARE(captions, (QStringList{"ToolButton8=查询", "ToolButton1=添加", "ToolButton2=修改", "ToolButton3=删除",
                                    "ToolButton4=刷新", "ToolButton5=显示全部", "ToolButton6=打印报表",
                                    "ToolButton9=借阅证", "ToolButton10=转EXCEL", "ToolButton11=充值",
                                    "ToolButton7=退出"}));

    // Shown columns in order, the others there but hidden.
    QTableView *view = fm.grid->view();
    QStringList visible;
    for (int c = 0; c < view->model()->columnCount(); ++c)
        if (!view->isColumnHidden(c))
            visible.append(view->model()->headerData(c, Qt::Horizontal).toString());
    QCOMPARE(visible, (QStringList{"读者编号", "读者姓名", "性别", "类别", "单位部门", "班级", "院系", "累计借阅次数",
                                   "未还数量", "登记日期", "有效期", "状态", "登记人"}));
    QCOMPARE(fm.grid->currentValue(QStringLiteral("住址")).toString(), QStringLiteral("北京路1号"));
    QCOMPARE(fm.grid->displayText(0, QStringLiteral("登记日期")), QStringLiteral("2024-03-01"));
    QCOMPARE(fm.grid->footerText(QStringLiteral("读者编号")), QStringLiteral("3"));
}

void TstReaders::searchModes_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<QStringList>("numbers");
    const struct {
        const char *name, *column, *value;
        bool exact;
        QStringList numbers;
    } cases[] = {
        {"fuzzy name, one character", "读者姓名", "张", false, {"R001", "R003"}},
        {"exact name", "读者姓名", "张三", true, {"R001"}},
        {"exact number", "读者编号", "R002", true, {"R002"}},
        {"exact number, registered twice", "读者编号", "R009", true, {"R009", "R009"}},
        {"fuzzy kind", "类别", "学", false, {"R003"}},
        {"exact value with a blank finds nothing", "读者编号", "R002 ", true, {}},
        {"column typed with blanks", " 读者姓名 ", "李", false, {"R002"}},
        {"column not offered but of the table", "py", "X", false, {"R001", "R002", "R003", "R009", "R009"}},
    };
    for (const auto &c : cases) {
        TestLibrary::addEngineRow(QString::fromUtf8(c.name), [&](QTestData &row) { row << QString::fromUtf8(c.column) << QString::fromUtf8(c.value) << c.exact << c.numbers; });
    }
}

void TstReaders::searchModes()
{
    QFETCH(QString, column);
    QFETCH(QString, value);
    QFETCH(bool, exact);
    QFETCH(QStringList, numbers);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    addReader(database, {QStringLiteral("R009"), QStringLiteral("王一")});
    addReader(database, {QStringLiteral("R009"), QStringLiteral("王二")});
    TRdSearchFm fm;
    search(fm, column, value, exact);
    QCOMPARE(platform_->messages(), QStringList{});
    QStringList found = listed(*fm.grid, QStringLiteral("读者编号"));
    found.sort();
    QCOMPARE(found, numbers);
    QCOMPARE(fm.grid->footerText(QStringLiteral("读者编号")), QString::number(numbers.size()));
}

void TstReaders::searchValueIsBound()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    addReader(database, {QStringLiteral("R'4"), QStringLiteral("O'Brien")});
    TRdSearchFm fm;
    search(fm, QStringLiteral("读者编号"), QStringLiteral("x' or '1'='1"), true);
    QCOMPARE(fm.grid->rowCount(), 0);
    search(fm, QStringLiteral("读者姓名"), QStringLiteral("O'B"), false);
    QCOMPARE(listed(*fm.grid, QStringLiteral("读者编号")), QStringList{QStringLiteral("R'4")});
    // The list's statement reads as the user knows it, with the value between the delimiters.
    QCOMPARE(database.displayText(fm.listStatement()),
             library.kind() == QLatin1String("a") ? QStringLiteral("select * from 读者库 where 读者姓名 like \"%O'B%\"")
                                                  : QStringLiteral("select * from 读者库 where 读者姓名 like '%O''B%'"));
    QCOMPARE(platform_->errors(), QStringList{});
    QCOMPARE(readerCount(database), 4);
}

void TstReaders::searchRefusesUnknownColumns_data()
{
    QTest::addColumn<QString>("column");
    QTest::newRow("no such column") << "姓名";
    QTest::newRow("a column of another table") << "名称";
    QTest::newRow("an expression") << "1=1 or 读者编号";
    QTest::newRow("a statement") << "读者编号 = '' ; drop table 读者库 --";
}

void TstReaders::searchRefusesUnknownColumns()
{
    QFETCH(QString, column);
    TestLibrary library;
    useLibrary(library);
    addThreeReaders(library.db());
    TRdSearchFm fm;
    search(fm, QStringLiteral("读者姓名"), QStringLiteral("张"), false);
    QCOMPARE(fm.grid->rowCount(), 2);
    search(fm, column, QStringLiteral("x"), false);
    QCOMPARE(platform_->messages(),
             QStringList{QStringLiteral("读者库中没有\"%1\"这一列, 请从列表中选择查询字段!").arg(column)});
    QCOMPARE(platform_->errors(), QStringList{});
    // The list stays as it was.
    QCOMPARE(fm.grid->rowCount(), 2);
    QCOMPARE(readerCount(library.db()), 3);
}

void TstReaders::searchNeedsColumnAndValue()
{
    TestLibrary library;
    useLibrary(library);
    addThreeReaders(library.db());
    TRdSearchFm fm;
    search(fm, QStringLiteral("读者姓名"), QString(), false);
    search(fm, QString(), QStringLiteral("张"), false);
    fm.ComboBox1->setCurrentText(QStringLiteral("读者姓名"));
    fm.Edit1->clear();
    button(fm, "ToolButton8")->click();
    QCOMPARE(platform_->messages(), QStringList(3, QStringLiteral("请填写好查询条件!")));
    QCOMPARE(fm.grid->rowCount(), 3);
}

void TstReaders::refreshRepeatsAndShowAllReturns()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    TRdSearchFm fm;
    search(fm, QStringLiteral("读者姓名"), QStringLiteral("张"), false);
    QCOMPARE(fm.grid->rowCount(), 2);
    // A reader added through 添加 shows after 刷新, not before.
    button(fm, "ToolButton1")->click();
    auto *add = platform_->lastWindow<TRdAddFm>();
    QVERIFY(add);
    add->Edit1->setText(QStringLiteral("R010"));
    add->Edit2->setText(QStringLiteral("张飞"));
    add->Button1->click();
    add->Button2->click();
    QTRY_VERIFY(!platform_->lastWindow<TRdAddFm>());
    QCOMPARE(fm.grid->rowCount(), 2);
    button(fm, "ToolButton4")->click();
    QCOMPARE(fm.grid->rowCount(), 3);
    button(fm, "ToolButton5")->click();
    QCOMPARE(fm.grid->rowCount(), 4);
    QCOMPARE(database.displayText(fm.listStatement()), QStringLiteral("select * from 读者库"));
}

void TstReaders::deleteAsksAndKeepsTheLoans()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    database.exec(db::Sql("update 读者库 set 未还数量 = 2 where 读者编号 = 'R002'"));
    for (const char *item : {"B1", "B2"})
        database.insert(QStringLiteral("借出记录"), {{QStringLiteral("读者编号"), QStringLiteral("R002")},
                                                     {QStringLiteral("编号"), QString::fromLatin1(item)},
                                                     {QStringLiteral("已还"), QStringLiteral("否")}});
    database.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QStringLiteral("充值")},
                                             {QStringLiteral("读者编号"), QStringLiteral("R002")}});
    TRdSearchFm fm;
    selectReader(fm, QStringLiteral("R002"));
    platform_->answers.enqueue(false);
    button(fm, "ToolButton3")->click();
    QCOMPARE(platform_->texts(QStringLiteral("question")), QStringList{QStringLiteral("您是否要删除\" 李四\"")});
    QCOMPARE(readerCount(database), 3);

    platform_->answers.enqueue(true);
    button(fm, "ToolButton3")->click();
    QCOMPARE(readerCount(database), 2);
    QCOMPARE(count(database, db::Sql("select count(*) as n from 读者库 where 读者编号 = 'R002'")), 0);
    QCOMPARE(count(database, db::Sql("select count(*) as n from 借出记录 where 读者编号 = 'R002'")), 2);
    QCOMPARE(incomeCount(database), 1);
    QCOMPARE(fm.grid->rowCount(), 2);
    QVERIFY(!listed(*fm.grid, QStringLiteral("读者编号")).contains(QStringLiteral("R002")));
}

void TstReaders::rightsDisableTheirButtons_data()
{
    QTest::addColumn<QString>("withheld");
    QTest::addColumn<QString>("disabled");
    QTest::newRow("qxadddata") << "qxadddata" << "ToolButton1";
    QTest::newRow("qxrdxg") << "qxrdxg" << "ToolButton2";
    QTest::newRow("qxdel") << "qxdel" << "ToolButton3";
    QTest::newRow("qxbkxg has no effect here") << "qxbkxg" << "";
}

void TstReaders::rightsDisableTheirButtons()
{
    QFETCH(QString, withheld);
    QFETCH(QString, disabled);
    TestLibrary library;
    useLibrary(library);
    addThreeReaders(library.db());
    Session &s = Session::instance();
    const int right = int(std::find_if(Rights::columns().begin(), Rights::columns().end(),
                                       [&](const char *name) { return withheld == QLatin1String(name); })
                          - Rights::columns().begin());
    s.at(right) = false;
    TRdSearchFm fm;
    for (QToolButton *b : fm.ToolBar1->findChildren<QToolButton *>())
        if (b->objectName().startsWith(QLatin1String("ToolButton")))
            QVERIFY2(b->isEnabled() == (b->objectName() != disabled), qPrintable(b->objectName()));
}

void TstReaders::topUpDisabledOnAnEmptyTable()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    TRdSearchFm fm;
    QVERIFY(!button(fm, "ToolButton11")->isEnabled());
    addThreeReaders(database);
    button(fm, "ToolButton4")->click();
    button(fm, "ToolButton5")->click();
    QCOMPARE(fm.grid->rowCount(), 3);
    QVERIFY(!button(fm, "ToolButton11")->isEnabled());
    TRdSearchFm again;
    QVERIFY(button(again, "ToolButton11")->isEnabled());
}

void TstReaders::readerListReportFollowsTheList()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    TRdSearchFm fm;
    fm.grid->sortBy(QStringLiteral("读者编号"), Qt::DescendingOrder);
    button(fm, "ToolButton6")->click();
    auto *preview = platform_->lastWindow<TReportPreviewFm>();
    QVERIFY(preview);
    QCOMPARE(preview->report().reportTemplate().name, QStringLiteral("readerlist"));
    QStringList numbers;
    for (const ReportRow &row : preview->report().rows())
        numbers.append(row.value(QStringLiteral("读者编号")).toString());
    QCOMPARE(numbers, (QStringList{"R003", "R002", "R001"}));

    search(fm, QStringLiteral("读者姓名"), QStringLiteral("李"), false);
    Report report = fm.readerListReport();
    report.layout();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    report.savePdf(pdf);
    const QString text = pdfText(pdf).simplified();
    QVERIFY2(text.contains(QStringLiteral("编号 姓名 性别 单位部门 借阅次数 未还数量")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("R002 李四 男")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("张三")), qPrintable(text));
}

void TstReaders::readerCardsScanBackToTheirNumbers()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    database.exec(db::Sql("update 系统设置 set 借阅证背面文字 = ") + db::Sql::text(QStringLiteral("本证限本人使用遗失请挂失")));
    TRdSearchFm fm;
    button(fm, "ToolButton9")->click();
    auto *preview = platform_->lastWindow<TReportPreviewFm>();
    QVERIFY(preview);
    Report cards = preview->report();
    QCOMPARE(cards.rows().size(), 3);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("cards.pdf"));
    cards.savePdf(pdf);
    const QString text = pdfText(pdf);
    QCOMPARE(text.count(QStringLiteral("市立第一图书馆")), 3);
    QCOMPARE(text.count(QStringLiteral("本证限本人使用遗失请挂失")), 3);
    for (const char *shown : {"姓名:张三", "姓名:李四", "姓名:张小明", "学生", "R001", "R002", "R003"})
        QVERIFY2(text.contains(QString::fromUtf8(shown)), qPrintable(QString::fromUtf8(shown) + QLatin1String(" not in:\n") + text));
    QStringList scanned;
    for (int page = 0; page < cards.pageCount(); ++page)
        scanned += decodedBarcodes(cards.pageImage(page, 300), dir.path());
    scanned.sort();
    QCOMPARE(scanned, (QStringList{"R001", "R002", "R003"}));

    // After a search for one reader: one card.
    search(fm, QStringLiteral("读者编号"), QStringLiteral("R002"), true);
    Report one = fm.readerCardReport();
    QCOMPARE(one.rows().size(), 1);
    QCOMPARE(decodedBarcodes(one.pageImage(0, 300), dir.path()), QStringList{QStringLiteral("R002")});
}

// Every column of the listed readers goes out, hidden ones too; the last one is then current, so
// 修改 acts on him.
void TstReaders::exportLeavesTheLastReaderCurrent()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    TRdSearchFm fm;
    search(fm, QStringLiteral("读者姓名"), QStringLiteral("张"), false);
    fm.grid->sortBy(QStringLiteral("读者编号"), Qt::AscendingOrder);
    fm.grid->setCurrentRow(0);
    platform_->installedPrograms = {QStringLiteral("libreoffice")};
    button(fm, "ToolButton10")->click();
    const QStringList started = platform_->texts(QStringLiteral("start"));
    QCOMPARE(started.size(), 1);
    const auto start = std::find_if(platform_->events.cbegin(), platform_->events.cend(),
                                    [](const RecordingPlatform::Event &e) { return e.kind == QLatin1String("start"); });
    const QString path = start->title.section(QLatin1Char(' '), -1);
    const Sheet sheet = readBack(path);
    QDir(QFileInfo(path).absolutePath()).removeRecursively();
    for (const char *column : {"读者编号", "住址", "密码", "卡内金额", "py"})
        QVERIFY2(sheet.column(QString::fromUtf8(column)) >= 0, column);
    QCOMPARE(sheet.rows.size(), 3);
    QCOMPARE(sheet.cell(2, QStringLiteral("读者编号")).toObject().value(QStringLiteral("value")).toString(), QStringLiteral("R003"));
    QCOMPARE(fm.grid->currentValue(QStringLiteral("读者编号")).toString(), QStringLiteral("R003"));
    button(fm, "ToolButton2")->click();
    QCOMPARE(platform_->lastWindow<TRdEditFm>()->DBEdit1->text(), QStringLiteral("R003"));
}

void TstReaders::mainWindowOpensTheReaderWindows()
{
    TestLibrary library;
    useLibrary(library);
    addThreeReaders(library.db());
    TMainFm main;
    main.show();
    main.findChild<QToolButton *>(QStringLiteral("ToolButton4"))->click(); // 读者管理
    auto *list = platform_->lastWindow<TRdSearchFm>();
    QVERIFY(list);
    QVERIFY(list->isModal());
    QCOMPARE(list->grid->rowCount(), 3);
    main.findChild<QAction *>(QStringLiteral("AddReaderItem"))->trigger();
    QVERIFY(platform_->lastWindow<TRdAddFm>());
    main.findChild<QAction *>(QStringLiteral("RdManageItem"))->trigger();
    QVERIFY(platform_->lastWindow<TRdSearchFm>() != list);
}

// ---------------------------------------------------------------------------------------------
// 卡内充值

void TstReaders::topUpWritesBalanceAndLedger_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<bool>("refund");
    for (bool refund : {false, true}) {
        const char *what = refund ? "refund of 50" : "top-up of 50";
        TestLibrary::addEngineRow(QString::fromUtf8(what), [&](QTestData &row) { row << refund; });
    }
}

void TstReaders::topUpWritesBalanceAndLedger()
{
    QFETCH(bool, refund);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    database.exec(db::Sql("update 读者库 set 卡内金额 = ") + db::Sql::money(Money::fromInt(20)) + " where 读者编号 = 'R002'");
    TRdSearchFm list;
    selectReader(list, QStringLiteral("R002"));
    button(list, "ToolButton11")->click();
    auto *fm = platform_->lastWindow<TRdChongZhiFm>();
    QVERIFY(fm);
    fm->show();
    QVERIFY_INPUTS_LABELLED(fm);
    QCOMPARE(fm->windowTitle(), QStringLiteral("卡内充值"));
    QCOMPARE(fm->DBEdit1->text(), QStringLiteral("R002"));
    QCOMPARE(fm->DBEdit2->text(), QStringLiteral("李四"));
    QCOMPARE(fm->DBEdit3->text(), QStringLiteral("男"));
    QCOMPARE(fm->DBEdit4->text(), QStringLiteral("20.00"));
    QCOMPARE(fm->Edit1->text(), QStringLiteral("0"));
    QVERIFY(!fm->CheckBox1->isChecked());
    QVERIFY(fm->Button1->isDefault());

    fm->Edit1->setText(QStringLiteral("50"));
    fm->CheckBox1->setChecked(refund);
    fm->Memo1->setPlainText(QStringLiteral("现金"));
    QTest::keyClick(fm->Edit1, Qt::Key_Return); // Enter presses 确定
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("充值成功!")});
    const Money expected = refund ? Money::fromInt(-30) : Money::fromInt(70);
    QCOMPARE(balanceOf(database, QStringLiteral("R002")), expected);
    QCOMPARE(fm->DBEdit4->text(), expected.toString(2));
    QCOMPARE(fm->Edit1->text(), QStringLiteral("0"));
    QCOMPARE(list.grid->currentValue(QStringLiteral("卡内金额")).value<Money>(), expected);

    db::Rows income = database.select(db::Sql("select * from 收入"));
    QVERIFY(income.next());
    QCOMPARE(income.text(QStringLiteral("项目")), QStringLiteral("充值"));
    QCOMPARE(income.date(QStringLiteral("时间")), QDate(2025, 6, 16));
    QCOMPARE(income.text(QStringLiteral("读者编号")), QStringLiteral("R002"));
    QCOMPARE(income.text(QStringLiteral("读者姓名")), QStringLiteral("李四"));
    QCOMPARE(income.money(QStringLiteral("金额")), refund ? Money::fromInt(-50) : Money::fromInt(50));
    QCOMPARE(income.text(QStringLiteral("管理员")), QStringLiteral("管理员甲"));
    QCOMPARE(income.text(QStringLiteral("备注")), QStringLiteral("现金"));
    QVERIFY(!income.next());

    // The refund box and the remark stay for the next amount.
    fm->Edit1->setText(QStringLiteral("5"));
    fm->Button1->click();
    QCOMPARE(balanceOf(database, QStringLiteral("R002")), expected + (refund ? Money::fromInt(-5) : Money::fromInt(5)));
    QCOMPARE(count(database, db::Sql("select count(*) as n from 收入 where 备注 = '现金'")), 2);
    // The other readers' cards are untouched.
    QCOMPARE(balanceOf(database, QStringLiteral("R001")), Money());
}

void TstReaders::topUpRefusesZero_data()
{
    QTest::addColumn<QString>("amount");
    QTest::newRow("0") << "0";
    QTest::newRow("0.00001: under four decimals") << "0.00001";
    QTest::newRow("a point only") << ".";
    QTest::newRow("two points") << "1.2.3";
    QTest::newRow("empty") << "";
}

void TstReaders::topUpRefusesZero()
{
    QFETCH(QString, amount);
    TestLibrary library;
    useLibrary(library);
    addThreeReaders(library.db());
    TRdChongZhiFm fm(library.db(), QVariant(qlonglong(1)));
    fm.Edit1->setText(amount);
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("不能充0元!")});
    QCOMPARE(incomeCount(library.db()), 0);
    QCOMPARE(balanceOf(library.db(), QStringLiteral("R001")), Money());
}

void TstReaders::amountKeyFilter()
{
    TestLibrary library;
    useLibrary(library);
    addThreeReaders(library.db());
    TRdChongZhiFm fm(library.db(), QVariant(qlonglong(1)));
    fm.show();
    fm.Edit1->clear();
    QTest::keyClicks(fm.Edit1, QStringLiteral("-1a2.5-"));
    QCOMPARE(fm.Edit1->text(), QStringLiteral("12.5"));
    QTest::keyClick(fm.Edit1, Qt::Key_Minus);
    QTest::keyClick(fm.Edit1, Qt::Key_Backspace);
    QCOMPARE(fm.Edit1->text(), QStringLiteral("12."));
    // Pasting a negative amount is dropped the same way.
    fm.Edit1->clear();
    fm.Edit1->insert(QStringLiteral("-50"));
    QCOMPARE(fm.Edit1->text(), QString());
}

// A refund the database refused leaves "-50" in the box; pressing 确定 again refunds 50.
void TstReaders::refundAfterAFailedRefundStaysARefund()
{
    TestLibrary library;
    useLibrary(library);
    addThreeReaders(library.db());
    TRdChongZhiFm fm(library.db(), QVariant(qlonglong(1)));
    fm.CheckBox1->setChecked(true);
    fm.Edit1->setText(QStringLiteral("-50"));
    fm.Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("充值成功!")});
    QCOMPARE(balanceOf(library.db(), QStringLiteral("R001")), Money::fromInt(-50));
    db::Rows income = library.db().select(db::Sql("select 金额 from 收入"));
    QVERIFY(income.next());
    QCOMPARE(income.money(QStringLiteral("金额")), Money::fromInt(-50));
}

void TstReaders::amountIsReadAsMoney_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("amount");
    QTest::newRow("whole") << "50" << "50";
    QTest::newRow("four decimals") << "0.0001" << "0.0001";
    QTest::newRow("beyond four decimals") << "0.00001" << "0";
    QTest::newRow("rounded up") << "2.50006" << "2.5001";
    QTest::newRow("trailing point") << "12." << "12";
    QTest::newRow("no number") << "1.2.3" << "0";
    QTest::newRow("negative after the refund box") << "-50" << "-50";
}

void TstReaders::amountIsReadAsMoney()
{
    QFETCH(QString, text);
    QFETCH(QString, amount);
    QCOMPARE(TRdChongZhiFm::amountOf(text), *Money::parse(amount));
}

void TstReaders::topUpRefusedOnAnEmptyList()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    TRdSearchFm list;
    search(list, QStringLiteral("读者编号"), QStringLiteral("R999"), true);
    button(list, "ToolButton11")->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("列表中没有可充值的记录!")});
    QVERIFY(!platform_->lastWindow<TRdChongZhiFm>());
    QCOMPARE(incomeCount(database), 0);
}

// The return desk takes rent from a card on another connection while the top-up window credits
// it: every movement counts, whichever comes first.
void TstReaders::topUpAndRentAtOnceBothCount()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    addThreeReaders(database);
    TRdSearchFm list;
    selectReader(list, QStringLiteral("R001"));
    button(list, "ToolButton11")->click();
    auto *fm = platform_->lastWindow<TRdChongZhiFm>();
    QVERIFY(fm);

    // The window shows 0.00; a return takes 3 before 确定.
    {
        db::Database desk(library.spec(), library.kind());
        db::Transaction t(desk);
        desk.exec(db::Sql("update 读者库 set 卡内金额 = 卡内金额 - ") + db::Sql::money(Money::fromInt(3))
                  + " where 读者编号 = 'R001'");
        t.commit();
    }
    fm->Edit1->setText(QStringLiteral("50"));
    fm->Button1->click();
    QCOMPARE(balanceOf(database, QStringLiteral("R001")), Money::fromInt(47));

    // Many at the same moment: rents of 1 from a desk's own thread, top-ups of 1 here.
    constexpr int Rounds = 25;
    std::atomic<bool> failed = false;
    std::thread returnDesk([&] {
        try {
            db::Database desk(library.spec(), library.kind());
            for (int i = 0; i < Rounds; ++i) {
                db::Transaction t(desk);
                desk.exec(db::Sql("update 读者库 set 卡内金额 = 卡内金额 - ") + db::Sql::money(Money::fromInt(1))
                          + " where 读者编号 = 'R001'");
                t.commit();
            }
        } catch (...) {
            failed = true;
        }
    });
    for (int i = 0; i < Rounds; ++i) {
        fm->Edit1->setText(QStringLiteral("1"));
        fm->Button1->click();
    }
    returnDesk.join();
    QVERIFY(!failed);
    QCOMPARE(platform_->errors(), QStringList{});
    QCOMPARE(balanceOf(database, QStringLiteral("R001")), Money::fromInt(47));
    QCOMPARE(incomeCount(database), Rounds + 1);
}

// ---------------------------------------------------------------------------------------------
// The piece configured for another table: what a catalogue window is made of.

namespace {

class BookList : public SearchListWindow {
public:
    explicit BookList(db::Database &database)
    {
        SearchListConfig c;
        c.table = QStringLiteral("图书");
        c.title = QStringLiteral("图书资料管理");
        c.openingQuery = db::Sql("select * from 图书").limit(2);
        c.searchColumns = {QStringLiteral("编号"), QStringLiteral("名称")};
        c.firstSearchColumn = QStringLiteral("编号");
        c.columns = {{.field = QStringLiteral("编号"), .footer = GridColumn::Footer::Count},
                     {.field = QStringLiteral("名称")},
                     {.field = QStringLiteral("数量"), .footer = GridColumn::Footer::Sum},
                     {.field = QStringLiteral("简介"), .visible = false}};
        c.nameColumn = QStringLiteral("名称");
        c.exportCaption = QStringLiteral("转Excel");
        c.mayEdit = false;
        c.editWindow = [](const QVariant &) { return new QDialog; };
        configure(database, std::move(c));
    }
};

} // namespace

void TstReaders::searchListOverBooks()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    for (int i = 1; i <= 3; ++i)
        database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QStringLiteral("B%1").arg(i)},
                                                 {QStringLiteral("名称"), i == 2 ? QStringLiteral("红楼梦") : QStringLiteral("史记%1").arg(i)},
                                                 {QStringLiteral("数量"), i}});
    BookList fm(database);
    fm.show();
    QVERIFY_INPUTS_LABELLED(&fm);
    QCOMPARE(fm.grid->rowCount(), 2); // the opening list is limited
    QVERIFY(!button(fm, "ToolButton2")->isEnabled());
    QCOMPARE(button(fm, "ToolButton10")->text(), QStringLiteral("转Excel"));
    button(fm, "ToolButton5")->click();
    QCOMPARE(fm.grid->footerText(QStringLiteral("数量")), QStringLiteral("6"));
    search(fm, QStringLiteral("名称"), QStringLiteral("史"), false);
    QCOMPARE(listed(*fm.grid, QStringLiteral("编号")), (QStringList{"B1", "B3"}));
    QCOMPARE(fm.grid->footerText(QStringLiteral("数量")), QStringLiteral("4"));

    search(fm, QStringLiteral("名称"), QStringLiteral("红楼梦"), true);
    platform_->answers.enqueue(true);
    button(fm, "ToolButton3")->click();
    QCOMPARE(platform_->texts(QStringLiteral("question")), QStringList{QStringLiteral("您是否要删除\" 红楼梦\"")});
    QCOMPARE(fm.grid->rowCount(), 0);
    QCOMPARE(count(database, db::Sql("select count(*) as n from 图书")), 2);
    QCOMPARE(platform_->messages(), QStringList{});
}

QTEST_MAIN(TstReaders)
#include "tst_readers.moc"
