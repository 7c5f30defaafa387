#include "circulation/BkJySearchUt.h"

#include "app/Session.h"
#include "circulation/LoanList.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "components/DataGrid.h"
#include "db/Database.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using db::Sql;
using Footer = GridColumn::Footer;

static QList<GridColumn> recordColumns()
{
    GridColumn rent = loanColumn("租金", Footer::Sum);
    rent.footerDecimals = 0;
    GridColumn compensation = loanColumn("赔偿金额", Footer::Sum);
    compensation.footerDecimals = 0;
    return {loanColumn("id", Footer::Count), loanColumn("读者编号"), loanColumn("读者姓名"), loanColumn("条形码"),
            loanColumn("编号"), loanColumn("名称"), loanColumn("类别"), loanColumn("价格", Footer::Sum),
            loanColumn("附件"), loanColumn("借阅日期"), loanColumn("归还日期"), loanColumn("应还日期"),
            loanColumn("已还"), rent, loanColumn("押金", Footer::None, false), loanColumn("借阅经手人"),
            loanColumn("归还经手人"), loanColumn("物品状况"), compensation, loanColumn("归还备注"),
            loanColumn("实际租期"), loanColumn("实际租金", Footer::Sum)};
}

static QDateEdit *datePicker(QWidget *parent, const char *name, const QString &spoken)
{
    auto *picker = new QDateEdit(parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker->setAccessibleName(spoken);
    return picker;
}

TBkJySearchFm::TBkJySearchFm(QWidget *parent) : LibraryWindow(parent)
{
    setObjectName(QStringLiteral("BkJySearchFm"));
    setWindowTitle(QStringLiteral("借阅信息查询"));
    setWindowState(Qt::WindowMaximized);

    GroupBox1 = new QGroupBox(QStringLiteral("请设定查询条件"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto *texts = new QFormLayout;
    QLineEdit **boxes[] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5};
    const char *captions[] = {"编号:", "名称:", "条形码:", "读者编号:", "读者姓名:"};
    for (int i = 0; i < 5; ++i) {
        *boxes[i] = new QLineEdit(GroupBox1);
        (*boxes[i])->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        texts->addRow(QString::fromUtf8(captions[i]), *boxes[i]);
    }

    // The ranges and the state are captioned by their check boxes, not by the group around them.
    auto *ranges = new QWidget(GroupBox1);
    CheckBox1 = new QCheckBox(QStringLiteral("借阅时间 从"), ranges);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    DateTimePicker1 = datePicker(ranges, "DateTimePicker1", QStringLiteral("借阅时间 从"));
    DateTimePicker2 = datePicker(ranges, "DateTimePicker2", QStringLiteral("借阅时间 到"));
    CheckBox2 = new QCheckBox(QStringLiteral("归还时间 从"), ranges);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    DateTimePicker3 = datePicker(ranges, "DateTimePicker3", QStringLiteral("归还时间 从"));
    DateTimePicker4 = datePicker(ranges, "DateTimePicker4", QStringLiteral("归还时间 到"));
    CheckBox3 = new QCheckBox(QStringLiteral("已还"), ranges);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    ComboBox1 = new QComboBox(ranges);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setAccessibleName(QStringLiteral("已还"));

    auto *grid = new QGridLayout(ranges);
    grid->addWidget(CheckBox1, 0, 0);
    grid->addWidget(DateTimePicker1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("到"), ranges), 0, 2);
    grid->addWidget(DateTimePicker2, 0, 3);
    grid->addWidget(CheckBox2, 1, 0);
    grid->addWidget(DateTimePicker3, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("到"), ranges), 1, 2);
    grid->addWidget(DateTimePicker4, 1, 3);
    grid->addWidget(CheckBox3, 2, 0);
    grid->addWidget(ComboBox1, 2, 1);

    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("查询"), GroupBox1);
    Button3 = namedButton(QStringLiteral("Button3"), QStringLiteral("打印"), GroupBox1);
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("退出"), GroupBox1);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {Button1, Button3, Button2})
        buttons->addWidget(b);
    buttons->addStretch();

    auto *conditions = new QHBoxLayout(GroupBox1);
    conditions->addLayout(texts);
    conditions->addWidget(ranges);
    conditions->addLayout(buttons);
    conditions->addStretch();

    DBGrid1 = new DataGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumns(recordColumns());
    // The list fills the window below the conditions, whatever its size.
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(DBGrid1, 1);

    // Enter in a condition box runs the query.
    for (QLineEdit *box : {Edit1, Edit2, Edit3, Edit4, Edit5})
        connect(box, &QLineEdit::returnPressed, this, guarded([this] { Button1Click(); }));
    connect(CheckBox1, &QCheckBox::clicked, this, guarded([this] { CheckBox1Click(); }));
    connect(CheckBox2, &QCheckBox::clicked, this, guarded([this] { CheckBox2Click(); }));
    connect(CheckBox3, &QCheckBox::clicked, this, guarded([this] { CheckBox3Click(); }));
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
    FormShow();
}

void TBkJySearchFm::FormShow()
{
    for (QLineEdit *box : {Edit1, Edit2, Edit3, Edit4, Edit5})
        box->clear();
    const QDate today = Platform::instance().today();
    for (QDateEdit *from : {DateTimePicker1, DateTimePicker3})
        from->setDate(QDate(2008, 3, 3));
    for (QDateEdit *to : {DateTimePicker2, DateTimePicker4})
        to->setDate(today);
    condition_ = {};
    DBGrid1->open(sharedDb(), Sql("select * from 借出记录"), QStringLiteral("借出记录"));
    ComboBox1->clear();
    ComboBox1->addItems({QStringLiteral("是"), QStringLiteral("否")});
    ComboBox1->setCurrentIndex(0);
    CheckBox1Click();
    CheckBox2Click();
    CheckBox3Click();
}

void TBkJySearchFm::CheckBox1Click()
{
    DateTimePicker1->setEnabled(CheckBox1->isChecked());
    DateTimePicker2->setEnabled(CheckBox1->isChecked());
}

void TBkJySearchFm::CheckBox2Click()
{
    DateTimePicker3->setEnabled(CheckBox2->isChecked());
    DateTimePicker4->setEnabled(CheckBox2->isChecked());
}

void TBkJySearchFm::CheckBox3Click() { ComboBox1->setEnabled(CheckBox3->isChecked()); }

void TBkJySearchFm::AddSql()
{
    if (!condition_.isEmpty())
        condition_ += Sql(" and ");
}

void TBkJySearchFm::addText(const char *column, const QLineEdit *box)
{
    if (box->text().isEmpty())
        return;
    AddSql();
    condition_ += Sql::fixed(QStringLiteral(" %1=").arg(QString::fromUtf8(column))) + Sql::text(box->text()) + Sql("  ");
}

void TBkJySearchFm::addDates(const char *column, const QDateEdit *from, const QDateEdit *to)
{
    const QString name = QString::fromUtf8(column);
    AddSql();
    condition_ += Sql::fixed(QStringLiteral(" %1 >=").arg(name)) + Sql::date(from->date()) + Sql(" ");
    AddSql();
    condition_ += Sql::fixed(QStringLiteral(" %1 <=").arg(name)) + Sql::date(to->date()) + Sql(" ");
}

bool TBkJySearchFm::datesInOrder(const QCheckBox *range, const QDateEdit *from, const QDateEdit *to,
                                 const QString &refusal) const
{
    if (range->isChecked() && to->date() < from->date()) {
        Platform::instance().message(refusal);
        return false;
    }
    return true;
}

void TBkJySearchFm::Button1Click()
{
    const bool anyText = !(Edit1->text().isEmpty() && Edit2->text().isEmpty() && Edit3->text().isEmpty()
                           && Edit4->text().isEmpty() && Edit5->text().isEmpty());
    if (!anyText && !CheckBox1->isChecked() && !CheckBox2->isChecked() && !CheckBox3->isChecked()) {
        Platform::instance().message(QStringLiteral("请设置查询条件."));
        return;
    }
    if (!datesInOrder(CheckBox1, DateTimePicker1, DateTimePicker2, QStringLiteral("借阅时间条件不符合正常逻辑!"))
        || !datesInOrder(CheckBox2, DateTimePicker3, DateTimePicker4, QStringLiteral("归还时间条件不符合正常逻辑!")))
        return;
    condition_ = {};
    addText("编号", Edit1);
    addText("名称", Edit2);
    addText("条形码", Edit3);
    addText("读者编号", Edit4);
    addText("读者姓名", Edit5);
    if (CheckBox1->isChecked())
        addDates("借阅日期", DateTimePicker1, DateTimePicker2);
    if (CheckBox2->isChecked())
        addDates("归还日期", DateTimePicker3, DateTimePicker4);
    if (CheckBox3->isChecked()) {
        AddSql();
        condition_ += Sql(" 已还=") + Sql::text(ComboBox1->currentText().trimmed());
    }
    DBGrid1->open(sharedDb(), Sql("select * from 借出记录 where ") + condition_, QStringLiteral("借出记录"));
}

QString TBkJySearchFm::conditionText() const { return condition_.displayText(Session::instance().DatabaseKind); }

void TBkJySearchFm::Button3Click() { printLoans(DBGrid1, QStringLiteral("loanrecords"), this); }
