#include "circulation/XuJieUt.h"

#include "app/Session.h"
#include "circulation/Circulation.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "db/Database.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using db::Sql;

TXuJieFm::TXuJieFm(QWidget *parent) : LibraryWindow(parent)
{
    setObjectName(QStringLiteral("XuJieFm"));
    setWindowTitle(QStringLiteral("续借"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("确定"), this);
    DateTimePicker1 = new QDateEdit(this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("续借"), this);
    Button3 = namedButton(QStringLiteral("Button3"), QStringLiteral("取消"), this);
    Button4 = namedButton(QStringLiteral("Button4"), QStringLiteral("退出"), this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("读者编号:"), Edit1);
    form->addRow(QStringLiteral("书刊编号:"), Edit2);
    form->addRow(QString(), Button1);
    form->addRow(new QLabel(QStringLiteral("请选择应还日期"), this));
    form->addRow(QStringLiteral("应还日期"), DateTimePicker1);
    auto *buttons = buttonRow({Button2, Button3, Button4});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    // Enter in the boxes moves on and then looks the loan up.
    connect(Edit1, &QLineEdit::returnPressed, Edit2, qOverload<>(&QWidget::setFocus));
    connect(Edit2, &QLineEdit::returnPressed, this, guarded([this] { Button1Click(); }));
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));
    connect(Button4, &QPushButton::clicked, this, guarded([this] { Button4Click(); }));
    FormShow();
}

void TXuJieFm::FormShow()
{
    Edit1->clear();
    Edit2->clear();
    setFound({});
    Edit1->setFocus();
}

void TXuJieFm::setFound(const QVariant &loanId)
{
    loanId_ = loanId;
    Button2->setEnabled(loanId.isValid());
    Button3->setEnabled(loanId.isValid());
}

void TXuJieFm::Button1Click()
{
    const Sql select = Sql("select * from 借出记录 where 读者编号=") + Sql::text(Edit1->text()) + Sql(" and 编号=")
        + Sql::text(Edit2->text()) + Sql(" and 已还=") + Sql::text(QStringLiteral("否"));
    db::Database &db = sharedDb();
    const auto loan = circulation::firstRow(db, select);
    if (!loan) {
        // Nothing found is nothing to renew, whatever an earlier lookup found.
        setFound({});
        circulation::refuse(QStringLiteral("没有找到该借阅记录,请检查您输入的信息是否正确!"));
        Platform::instance().message(db.displayText(select));
        return;
    }
    DateTimePicker1->setDate(loan->value(QStringLiteral("应还日期")).toDate());
    setFound(loan->value(QStringLiteral("id")));
}

void TXuJieFm::Button2Click()
{
    if (!loanId_.isValid())
        return;
    sharedDb().updateRow(QStringLiteral("借出记录"), loanId_, {{QStringLiteral("应还日期"), DateTimePicker1->date()}});
    setFound({});
    Platform::instance().message(QStringLiteral("续借完毕!"));
    close();
}

void TXuJieFm::Button3Click() { setFound({}); }
