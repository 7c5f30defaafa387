#include "circulation/BkReturnUt.h"

#include "app/Session.h"
#include "circulation/Circulation.h"
#include "circulation/Loans.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "components/DataGrid.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

using namespace circulation;
using db::Sql;

static const QStringList Conditions{QStringLiteral("完好"), QStringLiteral("破损"), QStringLiteral("丢失")};

static QList<GridColumn> loanColumns()
{
    QList<GridColumn> columns;
    for (const char *name : {"编号", "名称", "条形码", "读者编号", "读者姓名", "借阅日期", "借阅经手人", "类别", "应还日期"})
        columns.append({QString::fromUtf8(name)});
    for (const char *name : {"id", "租金", "已还", "物品状况", "归还日期", "归还经手人", "实际租期", "实际租金", "赔偿金额",
                             "归还备注", "押金", "价格", "附件"})
        columns.append({QString::fromUtf8(name), {}, false});
    return columns;
}

TBkReturnFm::TBkReturnFm(QWidget *parent) : LibraryWindow(parent)
{
    setObjectName(QStringLiteral("BkReturnFm"));
    setWindowTitle(QStringLiteral("归还操作"));
    buildSearch();
    DBGrid1 = new DataGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumns(loanColumns());
    buildCurrent();
    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("归还"), this);
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("取消"), this);
    Button3 = namedButton(QStringLiteral("Button3"), QStringLiteral("退出"), this);

    auto *buttons = buttonRow({Button1, Button2, Button3});
    auto *lower = new QHBoxLayout;
    lower->addWidget(DBGrid1, 3);
    lower->addWidget(GroupBox2, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(findChild<QGroupBox *>(QStringLiteral("GroupBox1")));
    layout->addLayout(lower, 1);
    layout->addLayout(buttons);
    resize(1000, 560);

    QWidget *order[] = {Edit1, Edit2, Edit3, Button4, DBGrid1->view(), Edit4, Edit5, CheckBox1, ComboBox1, Edit6, Memo1,
                        Button1, Button2, Button3};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (QLineEdit *box : {Edit1, Edit2, Edit3})
        connect(box, &QLineEdit::returnPressed, this, guarded([this] { Button4Click(); }));
    connect(Button4, &QPushButton::clicked, this, guarded([this] { Button4Click(); }));
    connect(DBGrid1->view(), &QTableView::clicked, this,
            [this](const QModelIndex &index) { guarded([this, index] { DBGrid1CellClick(index.row()); })(); });
    // Moving through the list with the keys makes a row current just as a click does.
    connect(DBGrid1, &DataGrid::currentRowChanged, this, [this](int row) {
        if (row >= 0 && (!loan_ || DBGrid1->rowId(row) != loan_->value(QStringLiteral("id"))))
            guarded([this, row] { showLoan(row); })();
    });
    connect(CheckBox1, &QCheckBox::clicked, this, guarded([this] { CheckBox1Click(); }));
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));
    FormShow();
}

void TBkReturnFm::buildSearch()
{
    auto *group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto *row = new QHBoxLayout(group);
    auto addBox = [&](const QString &caption, const char *name) {
        auto *box = new QLineEdit(group);
        box->setObjectName(QString::fromLatin1(name));
        auto *label = new QLabel(caption, group);
        label->setBuddy(box);
        row->addWidget(label);
        row->addWidget(box, 1);
        selectAllOnClick(box);
        return box;
    };
    Edit1 = addBox(QStringLiteral("图书编号"), "Edit1");
    Edit2 = addBox(QStringLiteral("条形码"), "Edit2");
    Edit3 = addBox(QStringLiteral("读者编号"), "Edit3");
    Button4 = namedButton(QStringLiteral("Button4"), QStringLiteral("搜索"), group);
    row->addWidget(Button4);
}

void TBkReturnFm::buildCurrent()
{
    GroupBox2 = new QGroupBox(QStringLiteral("当前记录"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto *form = new QFormLayout;
    loanFields.add(form, QStringLiteral("读者编号"));
    loanFields.add(form, QStringLiteral("读者姓名"));
    loanFields.add(form, QStringLiteral("编号"), QStringLiteral("图书编号"));
    loanFields.add(form, QStringLiteral("名称"));
    loanFields.add(form, QStringLiteral("借阅日期"));
    loanFields.add(form, QStringLiteral("存放位置"));
    Edit4 = new QLineEdit(GroupBox2);
    Edit4->setObjectName(QStringLiteral("Edit4"));
    Edit5 = new QLineEdit(GroupBox2);
    Edit5->setObjectName(QStringLiteral("Edit5"));
    Label5 = new QLabel(QStringLiteral("实际租金"), GroupBox2);
    Label5->setBuddy(Edit5);
    form->addRow(QStringLiteral("实际租期"), Edit4);
    form->addRow(Label5, Edit5);

    CheckBox1 = new QCheckBox(QStringLiteral("破损/丢失/赔偿"), GroupBox2);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    GroupBox3 = new QGroupBox(GroupBox2);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    ComboBox1 = new QComboBox(GroupBox3);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    Edit6 = new QLineEdit(GroupBox3);
    Edit6->setObjectName(QStringLiteral("Edit6"));
    Memo1 = new QPlainTextEdit(GroupBox3);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setTabChangesFocus(true);
    auto *condition = new QFormLayout(GroupBox3);
    condition->addRow(QStringLiteral("物品状况:"), ComboBox1);
    condition->addRow(QStringLiteral("赔偿金额:"), Edit6);
    condition->addRow(QStringLiteral("归还备注:"), Memo1);

    auto *layout = new QVBoxLayout(GroupBox2);
    layout->addLayout(form);
    layout->addWidget(CheckBox1);
    layout->addWidget(GroupBox3);
    layout->addStretch();
}

void TBkReturnFm::FormShow()
{
    showWithCaption(Edit5, Session::instance().rentEnabled);
    CleanData();
    // Later switches win, as the settings window lists them.
    focusTarget_.clear();
    if (const auto settings = firstRow(sharedDb(), Sql("select * from 系统设置"))) {
        const std::pair<const char *, const char *> switches[] = {{"归还焦点图书编号", "图书编号"},
                                                                  {"归还焦点条形码", "条形码"},
                                                                  {"归还焦点读者编号", "读者编号"}};
        for (const auto &[column, target] : switches)
            if (settings->value(QString::fromUtf8(column)).toBool())
                focusTarget_ = QString::fromUtf8(target);
    }
    GroupBox3->setVisible(false);
    CheckBox1->setChecked(false);
    InitialFocus();
}

void TBkReturnFm::CleanData()
{
    for (QLineEdit *box : {Edit1, Edit2, Edit3, Edit4, Edit5})
        box->clear();
    {
        const QSignalBlocker quiet(DBGrid1);
        DBGrid1->clear();
    }
    forgetLoan();
    ComboBox1->clear();
    ComboBox1->addItems(Conditions);
}

void TBkReturnFm::forgetLoan()
{
    loan_.reset();
    loanFields.clear();
    Edit6->clear();
    Memo1->clear();
}

void TBkReturnFm::InitialFocus()
{
    QLineEdit *box = focusTarget_ == QStringLiteral("图书编号") ? Edit1
        : focusTarget_ == QStringLiteral("条形码")             ? Edit2
        : focusTarget_ == QStringLiteral("读者编号")           ? Edit3
                                                              : nullptr;
    if (box) {
        box->setFocus();
        box->selectAll();
    }
}

void TBkReturnFm::Button4Click()
{
    if (Edit1->text().isEmpty() && Edit2->text().isEmpty() && Edit3->text().isEmpty()) {
        refuse(QStringLiteral("请输入搜索条件!"));
        return;
    }
    Sql select = Sql("select * from 借出记录 where 已还=") + Sql::text(QStringLiteral("否")) + Sql("  ");
    if (!Edit1->text().isEmpty())
        select += Sql(" and 编号=") + Sql::text(Edit1->text());
    if (!Edit2->text().isEmpty())
        select += Sql(" and 条形码=") + Sql::text(Edit2->text());
    if (!Edit3->text().isEmpty())
        select += Sql(" and 读者编号=") + Sql::text(Edit3->text());
    {
        const QSignalBlocker quiet(DBGrid1);
        DBGrid1->open(sharedDb(), select, QStringLiteral("借出记录"));
    }
    if (auto *box = qobject_cast<QLineEdit *>(focusWidget()))
        box->selectAll(); // the next scan replaces the key
    if (DBGrid1->rowCount() == 0) {
        loan_.reset(); // nothing to return; the days and rent boxes keep what they show
        return;
    }
    showLoan(0);
}

void TBkReturnFm::DBGrid1CellClick(int row)
{
    if (DBGrid1->rowCount() > 0 && row >= 0)
        showLoan(row);
}

// The loan of a row becomes current: its days out, rent, shelf location and condition.
void TBkReturnFm::showLoan(int row)
{
    db::Database &db = sharedDb();
    loan_ = firstRow(db, Sql("select * from 借出记录 where id=") + Sql::value(DBGrid1->rowId(row)));
    if (!loan_) {
        forgetLoan();
        return;
    }
    const int days = daysOut(loan_->value(QStringLiteral("借阅日期")).toDate(), Platform::instance().today());
    const db::Money rate = loan_->value(QStringLiteral("租金")).value<db::Money>();
    Edit4->setText(QString::number(days));
    Edit5->setText(plainNumber(rate * days));
    const QString kind = loan_->value(QStringLiteral("类别")).toString();
    if (isItemKind(kind)) {
        const auto item = firstRow(db, Sql::fixed(QStringLiteral("select * from %1 where 编号=").arg(kind))
                                           + Sql::text(loan_->value(QStringLiteral("编号")).toString()));
        if (item)
            loan_->insert(QStringLiteral("存放位置"), item->value(QStringLiteral("存放位置")));
    }
    loanFields.show(*loan_);
    const QString condition = loan_->value(QStringLiteral("物品状况")).toString();
    if (ComboBox1->findText(condition) < 0 && !condition.isEmpty())
        ComboBox1->addItem(condition);
    ComboBox1->setCurrentIndex(condition.isEmpty() ? 0 : ComboBox1->findText(condition));
    const QVariant compensation = loan_->value(QStringLiteral("赔偿金额"));
    Edit6->setText(compensation.isNull() ? QString() : plainNumber(compensation.value<db::Money>()));
    Memo1->setPlainText(loan_->value(QStringLiteral("归还备注")).toString());
}

void TBkReturnFm::CheckBox1Click() { GroupBox3->setVisible(CheckBox1->isChecked()); }

void TBkReturnFm::Button1Click()
{
    if (!DBGrid1->isOpen() || DBGrid1->rowCount() == 0 || !loan_)
        return;
    // Everything is read before anything is written: a box that does not convert stores nothing.
    ReturnOrder order;
    order.loanId = loan_->value(QStringLiteral("id"));
    order.days = wholeNumber(Edit4->text());
    order.rent = amountOrZero(Edit5->text());
    order.condition = ComboBox1->currentText();
    if (const QString typed = Edit6->text().trimmed(); !typed.isEmpty()) {
        order.compensation = db::Money::parse(typed);
        if (!order.compensation)
            throw db::DbError(QStringLiteral("\"%1\" 不是有效的金额").arg(typed));
    }
    if (Memo1->toPlainText() != loan_->value(QStringLiteral("归还备注")).toString())
        order.remark = Memo1->toPlainText();
    order.chargeCard = Session::instance().rentEnabled;
    order.today = Platform::instance().today();
    order.admin = Session::instance().adminname;
    const ReturnResult result = returnLoan(sharedDb(), order);

    // The list again with the same conditions: the reader's next loan is at hand.
    {
        const QSignalBlocker quiet(DBGrid1);
        DBGrid1->refresh();
    }
    InitialFocus();
    if (DBGrid1->rowCount() == 0) {
        Edit4->clear();
        Edit5->clear();
        forgetLoan();
    } else {
        showLoan(qMax(DBGrid1->currentRow(), 0));
    }

    if (!result.returned) {
        refuse(QStringLiteral("该借阅记录已经归还,不能重复归还."));
        return;
    }
    QStringList notes;
    if (result.itemMissing)
        notes << QStringLiteral("%1 %2 已不在%1中,数量未改.").arg(result.kind, result.number);
    if (result.readerMissing)
        notes << QStringLiteral("读者 %1 已不在读者库中,未还数量和卡内金额未改.").arg(result.readerNumber);
    if (!notes.isEmpty())
        Platform::instance().message(notes.join(QLatin1Char('\n')));
    Platform::instance().message(QStringLiteral("归还完毕!"));
}

void TBkReturnFm::Button3Click() { close(); }
