#include "admin/SysInfoSetUt.h"

#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "components/GridQuery.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

static const QString Table = QStringLiteral("系统设置");

namespace {

// Each control, its caption and the column it edits: declared once, read and written from here.
struct TextSetting {
    QLineEdit *TSysInfoSetFm::*edit;
    const char *name;
    const char *caption;
};
const TextSetting textSettings[] = {
    {&TSysInfoSetFm::Edit1, "Edit1", "图书馆名"}, {&TSysInfoSetFm::Edit2, "Edit2", "地址"},
    {&TSysInfoSetFm::Edit3, "Edit3", "邮编"},     {&TSysInfoSetFm::Edit4, "Edit4", "电话"},
    {&TSysInfoSetFm::Edit5, "Edit5", "负责人"},   {&TSysInfoSetFm::Edit6, "Edit6", "超期每日罚金"},
    {&TSysInfoSetFm::Edit7, "Edit7", "押金倍数"},
};
const TextSetting feeSetting{&TSysInfoSetFm::Edit8, "Edit8", "开户费"};

struct Switch {
    QCheckBox *TSysInfoSetFm::*box;
    const char *caption; // also the column
};
const Switch switches[] = {
    {&TSysInfoSetFm::CheckBox1, "借出时打印清单"}, {&TSysInfoSetFm::CheckBox2, "借阅数量限制功能"},
    {&TSysInfoSetFm::CheckBox3, "启用超期罚金"},   {&TSysInfoSetFm::CheckBox4, "启用读者租金"},
    {&TSysInfoSetFm::CheckBox5, "启用读者有效期"}, {&TSysInfoSetFm::CheckBox6, "启用租金功能"},
};

// The return desk's focus: read in this order, so the last of several set columns wins.
struct Focus {
    QRadioButton *TSysInfoSetFm::*radio;
    const char *caption;
    const char *column;
};
const Focus focuses[] = {
    {&TSysInfoSetFm::RadioButton1, "条形码", "归还焦点条形码"},
    {&TSysInfoSetFm::RadioButton2, "图书编号", "归还焦点图书编号"},
    {&TSysInfoSetFm::RadioButton3, "读者编号", "归还焦点读者编号"},
};

const QString BackText = QStringLiteral("借阅证背面文字");

} // namespace

TSysInfoSetFm::TSysInfoSetFm(QWidget *parent) : LibraryWindow(parent)
{
    setObjectName(QStringLiteral("SysInfoSetFm"));
    setWindowTitle(QStringLiteral("系统设置"));

    auto makeEdit = [this](const TextSetting &s) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(s.name));
        this->*s.edit = edit;
        return edit;
    };
    auto *texts = new QFormLayout;
    for (const TextSetting &s : textSettings)
        texts->addRow(QString::fromUtf8(s.caption), makeEdit(s));

    GroupBox1 = new QGroupBox(QStringLiteral("归还焦点"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto *focusLine = new QHBoxLayout(GroupBox1);
    int n = 1;
    for (const Focus &f : focuses) {
        auto *radio = new QRadioButton(QString::fromUtf8(f.caption), GroupBox1);
        radio->setObjectName(QStringLiteral("RadioButton%1").arg(n++));
        focusLine->addWidget(radio);
        this->*f.radio = radio;
    }

    auto *switchGrid = new QGridLayout;
    n = 0;
    for (const Switch &s : switches) {
        auto *box = new QCheckBox(QString::fromUtf8(s.caption), this);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(n + 1));
        switchGrid->addWidget(box, n / 2, n % 2);
        ++n;
        this->*s.box = box;
    }
    auto *fee = new QFormLayout;
    fee->addRow(QString::fromUtf8(feeSetting.caption), makeEdit(feeSetting));

    auto *backLabel = new QLabel(BackText + QLatin1Char(':'), this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    backLabel->setBuddy(Memo1);

    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("保存"), this);
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("取消"), this);
    auto *buttons = buttonRow({Button1, Button2});

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(texts);
    layout->addWidget(GroupBox1);
    layout->addLayout(switchGrid);
    layout->addLayout(fee);
    layout->addWidget(backLabel);
    layout->addWidget(Memo1);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
    FormShow();
}

void TSysInfoSetFm::FormShow()
{
    db::Database &database = sharedDb();
    db::Rows rows = database.select(withRowIdentity(db::Sql("select * from 系统设置"), Table, database.rowIdentity(Table)));
    if (!rows.next())
        return; // nothing to edit: saving says so
    rowId_ = rows.value(GridQuery::RowIdAlias);
    auto show = [&rows](const TextSetting &s, QLineEdit *edit) {
        const QString column = QString::fromUtf8(s.caption);
        const int index = rows.record().indexOf(column);
        edit->setText(db::fieldText(index < 0 ? QVariant() : rows.typed(index)));
    };
    for (const TextSetting &s : textSettings)
        show(s, this->*s.edit);
    show(feeSetting, Edit8);
    for (const Switch &s : switches)
        (this->*s.box)->setChecked(rows.yes(QString::fromUtf8(s.caption)));
    for (const Focus &f : focuses)
        if (rows.yes(QString::fromUtf8(f.column)))
            (this->*f.radio)->setChecked(true);
    Memo1->setPlainText(rows.text(BackText));
}

void TSysInfoSetFm::Button1Click()
{
    if (Edit8->text().isEmpty()) {
        Platform::instance().message(QStringLiteral("开户费必须填写, \" 0 \" 代表不收取."));
        Edit8->setFocus();
        return;
    }
    if (!rowId_.isValid())
        throw db::DbError(QStringLiteral("系统设置表中没有记录, 无法保存。"));
    db::Fields fields;
    auto typed = [this, &fields](const TextSetting &s) {
        const QString column = QString::fromUtf8(s.caption);
        fields.append({column, db::typedFieldValue(column, (this->*s.edit)->text())});
    };
    for (const TextSetting &s : textSettings)
        typed(s);
    typed(feeSetting);
    for (const Switch &s : switches)
        fields.append({QString::fromUtf8(s.caption), (this->*s.box)->isChecked()});
    for (const Focus &f : focuses)
        fields.append({QString::fromUtf8(f.column), (this->*f.radio)->isChecked()});
    fields.append({BackText, Memo1->toPlainText()});
    sharedDb().updateRow(Table, rowId_, fields);
    Platform::instance().message(QStringLiteral("新的设置重启软件后生效!"));
    accept();
}

void TSysInfoSetFm::Button2Click() { reject(); }
