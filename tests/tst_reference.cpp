// The lookup-list editor and its members: the lookup lists, the reader kinds, the rent levels
// (and the administrators, whose window is the same editor): button patterns, the name check,
// the delete guards, locked boxes, rows other desks added.
#include "InputLabels.h"
#include "RecordingPlatform.h"
#include "TestLibrary.h"
#include "app/FunctionWindows.h"
#include "app/Session.h"
#include "common/ProgramFolder.h"
#include "components/LookupListEditor.h"
#include "db/Database.h"
#include "db/Money.h"
#include "reference/BkKindUt.h"
#include "reference/PubUt.h"
#include "reference/RdKindUt.h"
#include "reference/RentLevelUt.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QtTest>
#include <memory>

using db::Sql;

class TstReference : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void engines_data() { TestLibrary::addEngineRows(); }
    void buttonPatternsThroughAddSaveCancelModifyDelete_data() { engines_data(); }
    void buttonPatternsThroughAddSaveCancelModifyDelete();
    void everyMemberAddsAndRefusesAnEmptyName_data();
    void everyMemberAddsAndRefusesAnEmptyName();
    void lastRowOfALookupListStays_data();
    void lastRowOfALookupListStays();
    void boxesAreLockedWhileBrowsing_data();
    void boxesAreLockedWhileBrowsing();
    void movingInTheListWhileEditingStoresNothing_data() { engines_data(); }
    void movingInTheListWhileEditingStoresNothing();
    void addShowsRowsOtherDesksAdded_data() { engines_data(); }
    void addShowsRowsOtherDesksAdded();
    void refusedRowKeepsTheEdit_data() { engines_data(); }
    void refusedRowKeepsTheEdit();
    void readerKindOrdinaryIsProtectedExactly_data() { engines_data(); }
    void readerKindOrdinaryIsProtectedExactly();
    void readerKindNumbersMayStayEmpty_data() { engines_data(); }
    void readerKindNumbersMayStayEmpty();
    void rentLevelOrdinaryIsKept_data() { engines_data(); }
    void rentLevelOrdinaryIsKept();
    void publishersListAndSort_data() { engines_data(); }
    void publishersListAndSort();

private:
    void useLibrary(TestLibrary &library);
    RecordingPlatform *platform_ = nullptr;
};

void TstReference::init()
{
    Session::reset();
    platform_ = &RecordingPlatform::install();
}

void TstReference::cleanup()
{
    QVERIFY2(platform_->unanswered.isEmpty(), qPrintable(platform_->unanswered.join(" | ")));
    Session::reset();
}

void TstReference::useLibrary(TestLibrary &library)
{
    setProgramFolder(library.folder());
    Session &session = Session::instance();
    session.database = &library.db();
    session.DatabaseKind = library.kind();
    session.adminname = QStringLiteral("超级管理员");
}

// The window a menu entry opens, shown.
static std::unique_ptr<LookupListEditor> openEditor(const QString &windowClass)
{
    const FunctionWindows::Factory make = FunctionWindows::factory(windowClass);
    if (!make)
        return {};
    std::unique_ptr<LookupListEditor> fm(qobject_cast<LookupListEditor *>(make(nullptr)));
    fm->show();
    return fm;
}

// Which of the five working buttons are enabled, in tool-bar order.
static QString pattern(const LookupListEditor &fm)
{
    QStringList enabled;
    for (QToolButton *b : {fm.ToolButton1, fm.ToolButton2, fm.ToolButton5, fm.ToolButton4, fm.ToolButton3})
        if (b->isEnabled())
            enabled << b->text();
    return enabled.join(QLatin1Char(' '));
}
static const QString Browsing = QStringLiteral("添加 修改 删除");
static const QString Editing = QStringLiteral("保存 取消");

static QStringList values(db::Database &database, const QString &table, const QString &column)
{
    db::Rows rows = database.select(Sql::fixed(QStringLiteral("select %1 from %2 order by %1").arg(column, table)));
    QStringList out;
    while (rows.next())
        out << (rows.isNull(column) ? QStringLiteral("<null>") : rows.text(column));
    return out;
}

// Makes the row named `name` the current one, as a click in the list does.
static void choose(LookupListEditor &fm, const QString &name)
{
    const QString column = fm.list().fields.first().column;
    for (int row = 0; row < fm.DBGrid1->rowCount(); ++row)
        if (fm.DBGrid1->value(row, column).toString() == name) {
            fm.DBGrid1->setCurrentRow(row);
            return;
        }
    QFAIL(qPrintable(QStringLiteral("no row %1").arg(name)));
}

void TstReference::buttonPatternsThroughAddSaveCancelModifyDelete()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    auto fm = openEditor(QStringLiteral("TBkKindFm"));
    QVERIFY(qobject_cast<TBkKindFm *>(fm.get()));
    QCOMPARE(fm->windowTitle(), QStringLiteral("分类设置"));
    QVERIFY_INPUTS_LABELLED(fm.get());
    QCOMPARE(pattern(*fm), Browsing);
    QVERIFY(fm->ToolButton7->isEnabled());
    QVERIFY(!fm->ToolButton6->isVisible());
    QVERIFY(!fm->DBEdit1->isEnabled());

    fm->ToolButton1->click();
    QCOMPARE(fm->state(), LookupListEditor::State::Adding);
    QCOMPARE(pattern(*fm), Editing);
    QVERIFY(fm->DBEdit1->isEnabled());
    QCOMPARE(fm->focusWidget(), fm->DBEdit1);
    QCOMPARE(fm->DBEdit1->text(), QString());
    fm->DBEdit1->setText(QStringLiteral("文学"));
    fm->ToolButton5->click();
    QCOMPARE(pattern(*fm), Browsing);
    QCOMPARE(values(database, QStringLiteral("分类"), QStringLiteral("名称")), QStringList{"文学"});
    QCOMPARE(fm->DBGrid1->currentValue(QStringLiteral("名称")).toString(), QStringLiteral("文学"));
    QCOMPARE(fm->DBEdit1->text(), QStringLiteral("文学"));

    fm->ToolButton2->click();
    QCOMPARE(fm->state(), LookupListEditor::State::Modifying);
    QCOMPARE(pattern(*fm), Editing);
    fm->DBEdit1->setText(QStringLiteral("文学类"));
    fm->ToolButton4->click();
    QCOMPARE(pattern(*fm), Browsing);
    QCOMPARE(fm->DBEdit1->text(), QStringLiteral("文学"));
    QCOMPARE(values(database, QStringLiteral("分类"), QStringLiteral("名称")), QStringList{"文学"});

    fm->ToolButton1->click();
    fm->DBEdit1->setText(QStringLiteral("历史"));
    fm->ToolButton5->click();
    choose(*fm, QStringLiteral("文学"));
    fm->ToolButton2->click();
    fm->DBEdit1->setText(QStringLiteral("小说"));
    fm->ToolButton5->click();
    QCOMPARE(values(database, QStringLiteral("分类"), QStringLiteral("名称")), (QStringList{"历史", "小说"}));
    QCOMPARE(fm->DBGrid1->currentValue(QStringLiteral("名称")).toString(), QStringLiteral("小说"));

    platform_->answers.enqueue(false);
    fm->ToolButton3->click();
    QCOMPARE(platform_->texts(QStringLiteral("question")), QStringList{QStringLiteral("您是否要删除\" 小说\"")});
    QCOMPARE(values(database, QStringLiteral("分类"), QStringLiteral("名称")), (QStringList{"历史", "小说"}));
    platform_->answers.enqueue(true);
    fm->ToolButton3->click();
    QCOMPARE(values(database, QStringLiteral("分类"), QStringLiteral("名称")), QStringList{"历史"});
    QCOMPARE(pattern(*fm), Browsing);
    QCOMPARE(fm->DBGrid1->rowCount(), 1);
    QCOMPARE(platform_->messages(), QStringList());
}

// Every window of the editor, with the table and name column it edits and its empty-name text.
static void addMemberRows(bool lookupListsOnly = false)
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("emptyName");
    struct Member {
        const char *window, *caption, *table, *column;
    };
    const Member members[] = {
        {"TBkKindFm", "分类设置", "分类", "名称"},
        {"TBk2KindFm", "二级分类设置", "二级分类", "名称"},
        {"TPubFm", "出版社名设置", "出版社名", "出版社名"},
        {"TDepartMentFm", "单位/部门名称设置", "单位名称", "单位名称"},
        {"TPlaceFm", "存放位置名设置", "存放位置", "存放位置名"},
        {"TPaperFm", "证件名设置", "证件名", "证件名"},
        {"TSecretLevelFm", "密级设置", "密级", "密级"},
        {"TMoneyKindFm", "币种设置", "币种", "币种"},
        {"TRdKindFm", "读者分类设置", "读者类别", "类别名"},
        {"TRentLevelFm", "租金级别", "租金级别", "名称"},
        {"TAdminFm", "系统管理员权限设置", "admin", "AdminName"},
    };
    QList<int> engines{int(TestLibrary::EngineChoice::SQLite)};
    if (TestLibrary::postgresAvailable())
        engines << int(TestLibrary::EngineChoice::PostgreSQL);
    for (int engine : engines)
        for (const Member &m : members) {
            const QString window = QString::fromLatin1(m.window);
            if (lookupListsOnly && QStringList{"TRdKindFm", "TRentLevelFm", "TAdminFm"}.contains(window))
                continue;
            const QString emptyName = window == QLatin1String("TAdminFm") ? QStringLiteral("用户名必须填写！")
                                                                         : QStringLiteral("请填写完整！");
            QTest::addRow("%s %s", engine ? "postgresql" : "sqlite", m.window)
                << engine << window << QString::fromUtf8(m.caption) << QString::fromUtf8(m.table)
                << QString::fromUtf8(m.column) << emptyName;
        }
}

void TstReference::everyMemberAddsAndRefusesAnEmptyName_data() { addMemberRows(); }

// "添加" then "保存" with the name empty stores nothing; blanks count as a name; a name that is
// there already is stored again.
void TstReference::everyMemberAddsAndRefusesAnEmptyName()
{
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(QString, emptyName);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    auto fm = openEditor(window);
    QVERIFY(fm);
    QCOMPARE(QString::fromLatin1(fm->metaObject()->className()), window);
    QCOMPARE(fm->windowTitle(), caption);
    QVERIFY_INPUTS_LABELLED(fm.get());
    const QStringList before = values(database, table, column);

    fm->ToolButton1->click();
    fm->ToolButton5->click();
    QCOMPARE(platform_->messages(), QStringList{emptyName});
    QCOMPARE(fm->state(), LookupListEditor::State::Adding);
    QCOMPARE(pattern(*fm), Editing);
    fm->ToolButton4->click();
    QCOMPARE(values(database, table, column), before);

    for (const QString &name : {QStringLiteral("  "), QStringLiteral("新名"), QStringLiteral("新名")}) {
        fm->ToolButton1->click();
        fm->DBEdit1->setText(name);
        fm->ToolButton5->click();
        QCOMPARE(pattern(*fm), Browsing);
    }
    QStringList expected = before + QStringList{"  ", "新名", "新名"};
    expected.sort();
    QCOMPARE(values(database, table, column), expected);
    QCOMPARE(platform_->messages().size(), 1);
}

void TstReference::lastRowOfALookupListStays_data() { addMemberRows(true); }

// The eight lookup lists keep their last row (the reader kinds, rent levels and administrators
// guard their protected row instead).
void TstReference::lastRowOfALookupListStays()
{
    QFETCH(QString, window);
    QFETCH(QString, table);
    QFETCH(QString, column);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    database.exec(Sql::fixed(QStringLiteral("delete from ") + table));
    for (const char *name : {"甲", "乙"})
        database.insert(table, {{column, QString::fromUtf8(name)}});
    auto fm = openEditor(window);
    choose(*fm, QStringLiteral("甲"));
    platform_->answers.enqueue(true);
    fm->ToolButton3->click();
    QCOMPARE(values(database, table, column), QStringList{"乙"});
    fm->ToolButton3->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("至少留有一个！！")});
    QCOMPARE(platform_->texts(QStringLiteral("question")).size(), 1);
    QCOMPARE(values(database, table, column), QStringList{"乙"});
    // A table without rows has nothing to delete.
    database.exec(Sql::fixed(QStringLiteral("delete from ") + table));
    fm->DBGrid1->refresh();
    platform_->clear();
    fm->ToolButton3->click();
    fm->ToolButton2->click();
    QCOMPARE(pattern(*fm), Browsing);
    QVERIFY(platform_->events.isEmpty());
}

void TstReference::boxesAreLockedWhileBrowsing_data() { addMemberRows(); }

// Typing while browsing would start a change behind the user's back: no box takes input then,
// from the opening on, in any member.
void TstReference::boxesAreLockedWhileBrowsing()
{
    QFETCH(QString, window);
    QFETCH(QString, table);
    QFETCH(QString, column);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    auto fm = openEditor(window);
    const QStringList before = values(database, table, column);
    auto boxes = fm->findChildren<QLineEdit *>();
    const auto checks = fm->findChildren<QCheckBox *>();
    auto anyEnabled = [&] {
        for (QWidget *w : boxes)
            if (w->isEnabled())
                return true;
        for (QWidget *w : checks)
            if (w->isEnabled())
                return true;
        return false;
    };
    QVERIFY(!anyEnabled());
    QTest::keyClicks(fm->DBEdit1, QStringLiteral("x"));
    QCOMPARE(fm->DBEdit1->text(), before.isEmpty() ? QString() : fm->DBGrid1->currentValue(column).toString());
    fm->ToolButton1->click();
    QVERIFY(fm->DBEdit1->isEnabled());
    fm->ToolButton4->click();
    QVERIFY(!anyEnabled());
    fm->ToolButton1->click();
    fm->DBEdit1->setText(QStringLiteral("丙"));
    fm->ToolButton5->click();
    QVERIFY(!anyEnabled());
}

// While a row is edited the list takes neither clicks nor keys, and even a move made anyway does
// not store the typing into the row moved to, or anywhere before 保存.
void TstReference::movingInTheListWhileEditingStoresNothing()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    for (const char *name : {"甲", "乙", "丙"})
        database.insert(QStringLiteral("二级分类"), {{QStringLiteral("名称"), QString::fromUtf8(name)}});
    auto fm = openEditor(QStringLiteral("TBk2KindFm"));
    QTableView *view = fm->DBGrid1->view();
    choose(*fm, QStringLiteral("甲"));
    const int row = fm->DBGrid1->currentRow();
    fm->ToolButton2->click();
    fm->DBEdit1->setText(QStringLiteral("改过的"));
    QVERIFY(!view->isEnabled());
    const int other = row == 0 ? 1 : 0;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(other, 0)).center());
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(fm->DBGrid1->currentRow(), row);
    QCOMPARE(values(database, QStringLiteral("二级分类"), QStringLiteral("名称")), (QStringList{"丙", "乙", "甲"}));

    fm->DBGrid1->setCurrentRow(other);
    QCOMPARE(fm->DBEdit1->text(), QStringLiteral("改过的"));
    QCOMPARE(values(database, QStringLiteral("二级分类"), QStringLiteral("名称")), (QStringList{"丙", "乙", "甲"}));
    // 保存 writes the row that 修改 took, not the one moved to.
    fm->ToolButton5->click();
    QCOMPARE(values(database, QStringLiteral("二级分类"), QStringLiteral("名称")), (QStringList{"丙", "乙", "改过的"}));
    QVERIFY(view->isEnabled());

    // 添加 then a move: the new row is not stored by the move; 取消 drops it.
    fm->ToolButton1->click();
    fm->DBEdit1->setText(QStringLiteral("新"));
    fm->DBGrid1->setCurrentRow(2);
    fm->ToolButton4->click();
    QCOMPARE(values(database, QStringLiteral("二级分类"), QStringLiteral("名称")), (QStringList{"丙", "乙", "改过的"}));
}

void TstReference::addShowsRowsOtherDesksAdded()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    auto fm = openEditor(QStringLiteral("TPlaceFm"));
    QCOMPARE(fm->DBGrid1->rowCount(), 0);
    db::Database otherDesk(library.spec(), library.kind());
    otherDesk.insert(QStringLiteral("存放位置"), {{QStringLiteral("存放位置名"), QStringLiteral("二楼")}});
    QCOMPARE(fm->DBGrid1->rowCount(), 0);
    fm->ToolButton1->click();
    QCOMPARE(fm->DBGrid1->rowCount(), 1);
    QCOMPARE(fm->DBGrid1->value(0, QStringLiteral("存放位置名")).toString(), QStringLiteral("二楼"));
    fm->DBEdit1->setText(QStringLiteral("三楼"));
    fm->ToolButton5->click();
    QCOMPARE(values(database, QStringLiteral("存放位置"), QStringLiteral("存放位置名")), (QStringList{"三楼", "二楼"}));
    QCOMPARE(fm->DBGrid1->rowCount(), 2);
    QCOMPARE(fm->DBEdit1->text(), QStringLiteral("三楼"));
}

// A value the column cannot hold: the database's refusal is shown, and the row stays in editing
// to be mended or cancelled.
void TstReference::refusedRowKeepsTheEdit()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    auto fm = openEditor(QStringLiteral("TRentLevelFm"));
    QCOMPARE(fm->windowTitle(), QStringLiteral("租金级别"));
    fm->ToolButton1->click();
    fm->DBEdit1->setText(QStringLiteral("贵"));
    fm->edit(QStringLiteral("租金"))->setText(QStringLiteral("1.23456"));
    fm->ToolButton5->click();
    QCOMPARE(platform_->errors().size(), 1);
    QVERIFY2(platform_->errors().first().contains(QStringLiteral("租金")), qPrintable(platform_->errors().first()));
    QCOMPARE(fm->state(), LookupListEditor::State::Adding);
    QCOMPARE(pattern(*fm), Editing);
    QCOMPARE(values(database, QStringLiteral("租金级别"), QStringLiteral("名称")), QStringList{"普通"});
    fm->edit(QStringLiteral("租金"))->setText(QStringLiteral("1.2345"));
    fm->ToolButton5->click();
    db::Rows rows = database.select(Sql("select 租金 from 租金级别 where 名称=") + Sql::text(QStringLiteral("贵")));
    QVERIFY(rows.next());
    QCOMPARE(rows.money(QStringLiteral("租金")), db::Money::fromRaw(12345));
    QCOMPARE(fm->edit(QStringLiteral("租金"))->text(), QStringLiteral("1.2345"));
}

void TstReference::readerKindOrdinaryIsProtectedExactly()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    auto fm = openEditor(QStringLiteral("TRdKindFm"));
    QVERIFY(qobject_cast<TRdKindFm *>(fm.get()));
    // A kind whose name is "普通" and a blank is no ordinary kind.
    fm->ToolButton1->click();
    fm->DBEdit1->setText(QStringLiteral("普通 "));
    fm->ToolButton5->click();
    choose(*fm, QStringLiteral("普通"));
    fm->ToolButton3->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("(普通)不能删除！")});
    QVERIFY(platform_->texts(QStringLiteral("question")).isEmpty());
    choose(*fm, QStringLiteral("普通 "));
    platform_->answers.enqueue(true);
    fm->ToolButton3->click();
    QCOMPARE(platform_->texts(QStringLiteral("question")), QStringList{QStringLiteral("您是否要删除\" 普通 \"")});
    QCOMPARE(values(database, QStringLiteral("读者类别"), QStringLiteral("类别名")), QStringList{"普通"});
    // Renamed, the row is no longer protected; no count guard holds the last kind.
    choose(*fm, QStringLiteral("普通"));
    fm->ToolButton2->click();
    fm->DBEdit1->setText(QStringLiteral("教师"));
    fm->ToolButton5->click();
    platform_->answers.enqueue(true);
    fm->ToolButton3->click();
    QCOMPARE(values(database, QStringLiteral("读者类别"), QStringLiteral("类别名")), QStringList{});
}

void TstReference::readerKindNumbersMayStayEmpty()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    auto fm = openEditor(QStringLiteral("TRdKindFm"));
    QStringList captions;
    for (QLineEdit *e : {fm->edit(QStringLiteral("类别名")), fm->edit(QStringLiteral("借阅天数")),
                         fm->edit(QStringLiteral("借阅数量限制")), fm->edit(QStringLiteral("租金"))}) {
        QVERIFY(e);
        captions << e->accessibleName();
    }
    QCOMPARE(captions, (QStringList{"读者类别名", "借阅天数", "数量限制", "租金"}));
    fm->ToolButton1->click();
    fm->DBEdit1->setText(QStringLiteral("学生"));
    fm->ToolButton5->click();
    fm->ToolButton1->click();
    fm->DBEdit1->setText(QStringLiteral("教师"));
    fm->edit(QStringLiteral("借阅天数"))->setText(QStringLiteral("60"));
    fm->edit(QStringLiteral("借阅数量限制"))->setText(QStringLiteral("10"));
    fm->edit(QStringLiteral("租金"))->setText(QStringLiteral("0.35"));
    fm->ToolButton5->click();
    db::Rows rows = database.select(Sql("select * from 读者类别 where 类别名=") + Sql::text(QStringLiteral("学生")));
    QVERIFY(rows.next());
    for (const char *column : {"借阅天数", "借阅数量限制", "租金"})
        QVERIFY2(rows.isNull(QString::fromUtf8(column)), column);
    rows = database.select(Sql("select * from 读者类别 where 类别名=") + Sql::text(QStringLiteral("教师")));
    QVERIFY(rows.next());
    QCOMPARE(rows.integer(QStringLiteral("借阅天数")), 60);
    QCOMPARE(rows.integer(QStringLiteral("借阅数量限制")), 10);
    QCOMPARE(rows.money(QStringLiteral("租金")), db::Money::fromRaw(3500));
    // Going back to the first kind shows its empty numbers.
    choose(*fm, QStringLiteral("学生"));
    QCOMPARE(fm->edit(QStringLiteral("借阅天数"))->text(), QString());
    choose(*fm, QStringLiteral("普通"));
    QCOMPARE(fm->edit(QStringLiteral("借阅天数"))->text(), QStringLiteral("30"));
}

void TstReference::rentLevelOrdinaryIsKept()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    database.insert(QStringLiteral("租金级别"), {{QStringLiteral("名称"), QStringLiteral("贵重")},
                                                 {QStringLiteral("租金"), QStringLiteral("2")}});
    auto fm = openEditor(QStringLiteral("TRentLevelFm"));
    QVERIFY(qobject_cast<TRentLevelFm *>(fm.get()));
    // Exactly two columns in the list, 名称 then 租金.
    QStringList shown;
    QTableView *view = fm->DBGrid1->view();
    for (int c = 0; c < view->model()->columnCount(); ++c)
        if (!view->isColumnHidden(c))
            shown << view->model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(shown, (QStringList{"名称", "租金"}));
    QCOMPARE(fm->edit(QStringLiteral("租金"))->accessibleName(), QStringLiteral("租金(元)"));

    choose(*fm, QStringLiteral("普通"));
    fm->ToolButton3->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("\"普通\"类型必须保留!")});
    choose(*fm, QStringLiteral("贵重"));
    QCOMPARE(fm->edit(QStringLiteral("租金"))->text(), QStringLiteral("2.00"));
    platform_->answers.enqueue(true);
    fm->ToolButton3->click();
    QCOMPARE(values(database, QStringLiteral("租金级别"), QStringLiteral("名称")), QStringList{"普通"});
}

void TstReference::publishersListAndSort()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    database.insert(QStringLiteral("出版社名"), {{QStringLiteral("出版社名"), QStringLiteral("乙社")},
                                                 {QStringLiteral("ISBN"), QStringLiteral("7-200")},
                                                 {QStringLiteral("出版地"), QStringLiteral("北京")}});
    database.insert(QStringLiteral("出版社名"), {{QStringLiteral("出版社名"), QStringLiteral("甲社")},
                                                 {QStringLiteral("ISBN"), QStringLiteral("7-100")}});
    auto fm = openEditor(QStringLiteral("TPubFm"));
    QVERIFY(qobject_cast<TPubFm *>(fm.get()));
    QTableView *view = fm->DBGrid1->view();
    QStringList shown;
    for (int c = 0; c < view->model()->columnCount(); ++c)
        if (!view->isColumnHidden(c))
            shown << view->model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(shown, (QStringList{"ISBN", "出版社名", "出版地", "ID"}));
    QCOMPARE(fm->edit(QStringLiteral("ISBN"))->accessibleName(), QStringLiteral("ISBN"));
    QCOMPARE(fm->edit(QStringLiteral("出版社名"))->accessibleName(), QStringLiteral("出版社名"));
    QVERIFY(!fm->edit(QStringLiteral("出版地")));

    // A click on the ISBN heading sorts by it.
    QHeaderView *header = view->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 5, 5));
    QCOMPARE(fm->DBGrid1->value(0, QStringLiteral("出版社名")).toString(), QStringLiteral("甲社"));
    QCOMPARE(fm->DBEdit1->text(), QStringLiteral("甲社"));
    QCOMPARE(fm->edit(QStringLiteral("ISBN"))->text(), QStringLiteral("7-100"));

    // Only the publisher's name must be filled; the confirmation names the publisher.
    fm->ToolButton1->click();
    fm->edit(QStringLiteral("ISBN"))->setText(QStringLiteral("7-300"));
    fm->ToolButton5->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("请填写完整！")});
    fm->DBEdit1->setText(QStringLiteral("丙社"));
    fm->ToolButton5->click();
    QCOMPARE(fm->DBEdit1->text(), QStringLiteral("丙社"));
    QCOMPARE(values(database, QStringLiteral("出版社名"), QStringLiteral("ISBN")), (QStringList{"7-100", "7-200", "7-300"}));
    platform_->answers.enqueue(false);
    fm->ToolButton3->click();
    QCOMPARE(platform_->texts(QStringLiteral("question")), QStringList{QStringLiteral("您是否要删除\" 丙社\"")});

    // The other lists keep the database's order: their headings do not sort.
    auto kinds = openEditor(QStringLiteral("TBkKindFm"));
    QVERIFY(!kinds->DBGrid1->view()->horizontalHeader()->sectionsClickable());
}

QTEST_MAIN(TstReference)
#include "tst_reference.moc"
