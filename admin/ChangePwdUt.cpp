#include "admin/ChangePwdUt.h"

#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "components/GridQuery.h"
#include "db/Database.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TChangePwdFm::TChangePwdFm(QWidget *parent) : LibraryWindow(parent)
{
    setObjectName(QStringLiteral("ChangePwdFm"));
    setWindowTitle(QStringLiteral("修改密码"));

    Label1 = new QLabel(QStringLiteral("管理员:"), this);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    auto passwordBox = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setEchoMode(QLineEdit::Password);
        return edit;
    };
    Edit1 = passwordBox("Edit1");
    Edit2 = passwordBox("Edit2");
    Edit3 = passwordBox("Edit3");
    auto *form = new QFormLayout;
    form->addRow(Label1, Label2);
    form->addRow(QStringLiteral("旧密码:"), Edit1);
    form->addRow(QStringLiteral("新密码:"), Edit2);
    form->addRow(QStringLiteral("确认新密码:"), Edit3);

    Button1 = new QPushButton(QStringLiteral("保存"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("关闭"), this);
    auto *buttons = buttonRow({Button1, Button2});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
    FormShow();
}

void TChangePwdFm::FormShow()
{
    Label2->setText(Session::instance().adminname);
    Edit1->clear();
    Edit2->clear();
    Edit3->clear();
}

void TChangePwdFm::Button1Click()
{
    db::Database &database = sharedDb();
    // The typed texts are bound as they stand, quotes and blanks included.
    const db::Sql account = db::Sql("select * from admin where adminname=") + db::Sql::text(Label2->text())
        + db::Sql(" and Pwd=") + db::Sql::text(Edit1->text());
    db::Rows rows = database.select(
        withRowIdentity(account, QStringLiteral("admin"), database.rowIdentity(QStringLiteral("admin"))));
    if (!rows.next()) {
        Platform::instance().message(QStringLiteral("旧密码输入错误！"));
        return;
    }
    if (Edit2->text() != Edit3->text()) {
        Platform::instance().message(QStringLiteral("两次输入的新密码不一致！"));
        return;
    }
    const QVariant rowId = rows.value(GridQuery::RowIdAlias);
    database.updateRow(QStringLiteral("admin"), rowId, {{QStringLiteral("pwd"), Edit2->text()}});
    Platform::instance().message(QStringLiteral("修改成功！"));
    accept();
}

void TChangePwdFm::Button2Click() { reject(); }
