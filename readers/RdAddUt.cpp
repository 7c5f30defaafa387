#include "readers/RdAddUt.h"

#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/LookupList.h"
#include "common/Pinyin.h"
#include "common/Platform.h"
#include "db/DbError.h"
#include "db/Transaction.h"
#include "readers/ReaderForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TRdAddFm::TRdAddFm(QWidget *parent) : LibraryWindow(parent)
{
    setObjectName(QStringLiteral("RdAddFm"));
    setWindowTitle(QStringLiteral("读者添加"));

    Edit1 = readerLineEdit(this, "Edit1");
    Edit2 = readerLineEdit(this, "Edit2");
    ComboBox1 = readerComboBox(this, "ComboBox1");
    ComboBox2 = readerComboBox(this, "ComboBox2");
    Edit4 = readerLineEdit(this, "Edit4");
    Edit3 = readerLineEdit(this, "Edit3");
    DateTimePicker1 = readerDateEdit(this, "DateTimePicker1");
    ComboBox3 = readerComboBox(this, "ComboBox3");
    Edit5 = readerLineEdit(this, "Edit5");
    Memo1 = readerMemo(this, "Memo1");
    ComboBox4 = readerComboBox(this, "ComboBox4");
    ComboBox5 = readerComboBox(this, "ComboBox5");
    ComboBox6 = readerComboBox(this, "ComboBox6");
    Edit6 = readerLineEdit(this, "Edit6");
    Edit6->setEnabled(false);

    auto *left = new QFormLayout;
    left->addRow(requiredLabel(QStringLiteral("读者编号"), this), Edit1);
    left->addRow(requiredLabel(QStringLiteral("读者姓名"), this), Edit2);
    left->addRow(QStringLiteral("性别"), ComboBox1);
    left->addRow(requiredLabel(QStringLiteral("类别"), this), ComboBox2);
    left->addRow(QStringLiteral("联系电话"), Edit4);
    left->addRow(QStringLiteral("证件号码"), Edit3);
    left->addRow(QStringLiteral("有效期"), DateTimePicker1);
    auto *right = new QFormLayout;
    right->addRow(QStringLiteral("单位部门"), ComboBox3);
    right->addRow(QStringLiteral("住址"), Edit5);
    right->addRow(QStringLiteral("备注"), Memo1);
    right->addRow(QStringLiteral("有效证件"), ComboBox4);
    right->addRow(QStringLiteral("班级"), ComboBox5);
    right->addRow(QStringLiteral("院系"), ComboBox6);
    right->addRow(QStringLiteral("拼音"), Edit6);

    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("保存"), this);
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("返回"), this);
    CheckBox1 = clearAfterSaveBox(this);

    auto *buttons = buttonRow({Button1, Button2});
    buttons->insertWidget(0, CheckBox1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(sideBySide(left, right));
    layout->addLayout(buttons);

    setTabOrderOf({Edit1, Edit2, ComboBox1, ComboBox2, Edit4, Edit3, DateTimePicker1, ComboBox3, Edit5, Memo1,
                   ComboBox4, ComboBox5, ComboBox6, Edit6, Button1, Button2, CheckBox1});

    connect(Edit2, &QLineEdit::textChanged, this, [this] { Edit2Change(); });
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));

    FormShow();
}

void TRdAddFm::FormShow()
{
    fillReaderLists(sharedDb(), ComboBox1, ComboBox2, ComboBox3, ComboBox4);
    ComboBox5->clear();
    ComboBox6->clear();
    InitialData();
}

void TRdAddFm::InitialData()
{
    ComboBox1->setCurrentText(QStringLiteral("男"));
    ComboBox2->setCurrentText(QStringLiteral("普通"));
    for (QComboBox *box : {ComboBox3, ComboBox4, ComboBox5, ComboBox6})
        box->setCurrentText(QString());
    for (QLineEdit *edit : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6})
        edit->clear();
    Memo1->clear();
    DateTimePicker1->setDate(QDate(2500, 1, 1));
    Edit1->setFocus();
}

// The initials follow every change of the name; py stores them trimmed.
void TRdAddFm::Edit2Change() { Edit6->setText(PinyinInitials(Edit2->text())); }

db::Fields TRdAddFm::readerFields() const
{
    const Session &session = Session::instance();
    const auto typed = [](const QString &text) { return QVariant(text.trimmed()); };
    return {
        {QStringLiteral("读者编号"), typed(Edit1->text())},
        {QStringLiteral("读者姓名"), typed(Edit2->text())},
        {QStringLiteral("性别"), typed(ComboBox1->currentText())},
        {QStringLiteral("类别"), typed(ComboBox2->currentText())},
        {QStringLiteral("有效证件"), typed(ComboBox4->currentText())},
        {QStringLiteral("证件号码"), typed(Edit3->text())},
        {QStringLiteral("联系电话"), typed(Edit4->text())},
        {QStringLiteral("登记日期"), Platform::instance().today()},
        {QStringLiteral("有效期"), DateTimePicker1->date()},
        {QStringLiteral("班级"), typed(ComboBox5->currentText())},
        {QStringLiteral("院系"), typed(ComboBox6->currentText())},
        {QStringLiteral("单位部门"), typed(ComboBox3->currentText())},
        {QStringLiteral("住址"), typed(Edit5->text())},
        {QStringLiteral("备注"), typed(Memo1->toPlainText())},
        {QStringLiteral("py"), typed(Edit6->text())},
        {QStringLiteral("登记人"), session.adminname},
        {QStringLiteral("状态"), QStringLiteral("正常")},
        {QStringLiteral("密码"), QStringLiteral("7394")},
        {QStringLiteral("未还数量"), 0},
        {QStringLiteral("累计借阅次数"), 0},
    };
}

// The fee row names the reader as typed, blanks included.
db::Fields TRdAddFm::feeFields() const
{
    const Session &session = Session::instance();
    return {
        {QStringLiteral("项目"), QStringLiteral("开户费")},
        {QStringLiteral("时间"), Platform::instance().today()},
        {QStringLiteral("读者编号"), Edit1->text()},
        {QStringLiteral("读者姓名"), Edit2->text()},
        {QStringLiteral("金额"), QVariant::fromValue(session.openingFee)},
        {QStringLiteral("管理员"), session.adminname},
    };
}

void TRdAddFm::Button1Click()
{
    // A box holding only blanks is as empty as a blank one: it would store an empty number or name.
    for (const QString &required : {Edit1->text(), Edit2->text(), ComboBox2->currentText()}) {
        if (required.trimmed().isEmpty()) {
            Platform::instance().message(QStringLiteral("字体加重的项目必须填写!"));
            return;
        }
    }
    db::Database &database = sharedDb();
    {
        db::Transaction transaction(database);
        try {
            database.insert(QStringLiteral("读者库"), readerFields());
        } catch (const db::DbError &e) {
            // The database refused the reader: its reason, and the typed values stay for correction.
            Platform::instance().message(e.text());
            return;
        }
        if (Session::instance().openingFee > db::Money())
            database.insert(QStringLiteral("收入"), feeFields());
        transaction.commit();
    }
    Platform::instance().message(QStringLiteral("保存完毕"));
    if (CheckBox1->isChecked())
        InitialData();
}

void TRdAddFm::Button2Click() { close(); }
