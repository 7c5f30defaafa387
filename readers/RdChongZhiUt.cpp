#include "readers/RdChongZhiUt.h"

#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Transaction.h"

#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

static const QString Readers = QStringLiteral("读者库");

static db::DbError readerGone()
{
    return db::DbError(QStringLiteral("这位读者已不在读者库中(可能已被删除), 请刷新列表。"));
}

TRdChongZhiFm::TRdChongZhiFm(db::Database &database, const QVariant &rowId, QWidget *parent)
    : LibraryWindow(parent), db_(database), rowId_(rowId)
{
    setObjectName(QStringLiteral("RdChongZhiFm"));
    setWindowTitle(QStringLiteral("卡内充值"));

    auto *reader = new QGroupBox(QStringLiteral("读者信息"), this);
    auto *shown = new QFormLayout(reader);
    const auto readOnly = [reader, shown](const char *name, const QString &caption) {
        auto *edit = new QLineEdit(reader);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        shown->addRow(caption, edit);
        return edit;
    };
    DBEdit1 = readOnly("DBEdit1", QStringLiteral("读者编号"));
    DBEdit2 = readOnly("DBEdit2", QStringLiteral("读者姓名"));
    DBEdit3 = readOnly("DBEdit3", QStringLiteral("性别"));
    DBEdit4 = readOnly("DBEdit4", QStringLiteral("卡内金额"));

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    // The key filter: digits and the point; a minus sign, typed or pasted, is dropped. A refund
    // is made negative by its check box only.
    Edit1->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]*")), Edit1));
    Edit1->installEventFilter(this);
    CheckBox1 = new QCheckBox(QStringLiteral("退款(充入负值)"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setTabChangesFocus(true);
    Memo1->setMaximumHeight(80);
    auto *entry = new QFormLayout;
    entry->addRow(QStringLiteral("金额"), Edit1);
    entry->addRow(QString(), CheckBox1);
    entry->addRow(QStringLiteral("备注"), Memo1);

    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("确定"), this);
    Button1->setDefault(true);
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("返回"), this);
    auto *buttons = buttonRow({Button1, Button2});

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(reader);
    layout->addLayout(entry);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));

    showReader();
    FormShow();
}

void TRdChongZhiFm::FormShow()
{
    Edit1->setText(QStringLiteral("0"));
    CheckBox1->setChecked(false);
    Memo1->clear();
    Edit1->setFocus();
    Edit1->selectAll();
}

void TRdChongZhiFm::showReader()
{
    db::Rows row = db_.select(db::Sql("select * from 读者库 where ") + db::Sql::fixed(db_.rowIdentity(Readers)) + "="
                              + db::Sql::value(rowId_));
    if (!row.next())
        throw readerGone();
    DBEdit1->setText(row.text(QStringLiteral("读者编号")));
    DBEdit2->setText(row.text(QStringLiteral("读者姓名")));
    DBEdit3->setText(row.text(QStringLiteral("性别")));
    DBEdit4->setText(row.money(QStringLiteral("卡内金额")).toString(2));
}

db::Money TRdChongZhiFm::amountOf(const QString &text)
{
    if (const auto exact = db::Money::parse(text.trimmed()))
        return *exact;
    // More decimals than money keeps: rounded to four, as the amount is read.
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? db::Money::fromDouble(value) : db::Money();
}

void TRdChongZhiFm::Edit1Click()
{
    Edit1->selectAll();
    Button1->setDefault(true);
}

bool TRdChongZhiFm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit1 && event->type() == QEvent::MouseButtonRelease)
        Edit1Click();
    return LibraryWindow::eventFilter(watched, event);
}

void TRdChongZhiFm::Button1Click()
{
    // The sign comes from the refund box alone: a minus left in the box by a refund that failed
    // must not turn the next refund into a top-up.
    QString digits = Edit1->text().trimmed();
    if (digits.startsWith(QLatin1Char('-')))
        digits.remove(0, 1);
    db::Money amount = amountOf(digits);
    if (amount.isZero()) {
        Platform::instance().message(QStringLiteral("不能充0元!"));
        Edit1->setFocus();
        Edit1->selectAll();
        return;
    }
    if (CheckBox1->isChecked()) {
        Edit1->setText(QStringLiteral("-") + digits);
        amount = -amount;
    }
    topUp(amount, Memo1->toPlainText());
    showReader();
    emit balanceChanged();
    Platform::instance().message(QStringLiteral("充值成功!"));
    Edit1->setText(QStringLiteral("0"));
    Edit1->setFocus();
    Edit1->selectAll();
}

// The balance moves by the amount where it stands in the database, not from the value shown.
void TRdChongZhiFm::topUp(db::Money amount, const QString &remark)
{
    const db::Sql thisReader =
        db::Sql(" where ") + db::Sql::fixed(db_.rowIdentity(Readers)) + "=" + db::Sql::value(rowId_);
    db::Transaction transaction(db_);
    if (db_.exec(db::Sql("update 读者库 set 卡内金额 = 卡内金额 + ") + db::Sql::money(amount) + thisReader) != 1)
        throw readerGone();
    db::Rows reader = db_.select(db::Sql("select 读者编号, 读者姓名 from 读者库") + thisReader);
    reader.next();
    const Session &session = Session::instance();
    db_.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QStringLiteral("充值")},
                                        {QStringLiteral("时间"), Platform::instance().today()},
                                        {QStringLiteral("读者编号"), reader.text(QStringLiteral("读者编号"))},
                                        {QStringLiteral("读者姓名"), reader.text(QStringLiteral("读者姓名"))},
                                        {QStringLiteral("金额"), QVariant::fromValue(amount)},
                                        {QStringLiteral("管理员"), session.adminname},
                                        {QStringLiteral("备注"), remark.trimmed()}});
    transaction.commit();
}

void TRdChongZhiFm::Button2Click() { close(); }
