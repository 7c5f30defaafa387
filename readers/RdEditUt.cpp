#include "readers/RdEditUt.h"

#include "common/ErrorDisplay.h"
#include "common/Pinyin.h"
#include "db/DbError.h"
#include "readers/ReaderForm.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

static const QString Readers = QStringLiteral("读者库");

TRdEditFm::TRdEditFm(db::Database &database, const QVariant &rowId, QWidget *parent)
    : LibraryWindow(parent), db_(database), rowId_(rowId)
{
    setObjectName(QStringLiteral("RdEditFm"));
    setWindowTitle(QStringLiteral("读者编辑"));

    DBEdit1 = readerLineEdit(this, "DBEdit1");
    DBEdit2 = readerLineEdit(this, "DBEdit2");
    DBComboBox1 = readerComboBox(this, "DBComboBox1");
    DBComboBox2 = readerComboBox(this, "DBComboBox2");
    DBEdit3 = readerLineEdit(this, "DBEdit3");
    DBEdit4 = readerLineEdit(this, "DBEdit4");
    DBEdit5 = readerLineEdit(this, "DBEdit5");
    DBComboBox3 = readerComboBox(this, "DBComboBox3");
    DBEdit6 = readerLineEdit(this, "DBEdit6");
    DBMemo1 = readerMemo(this, "DBMemo1");
    DBEdit7 = readerLineEdit(this, "DBEdit7");
    DBEdit8 = readerLineEdit(this, "DBEdit8");
    DBDateEdit1 = readerBlankableDateEdit(this, "DBDateEdit1");
    DBDateEdit2 = readerBlankableDateEdit(this, "DBDateEdit2");
    DBEdit9 = readerLineEdit(this, "DBEdit9");
    DBComboBox4 = readerComboBox(this, "DBComboBox4");
    DBEdit10 = readerLineEdit(this, "DBEdit10");
    DBEdit11 = readerLineEdit(this, "DBEdit11");
    // Changed only by the top-up, the desks and the name.
    for (QLineEdit *shown : {DBEdit5, DBEdit8, DBEdit11})
        shown->setEnabled(false);

    auto *left = new QFormLayout;
    left->addRow(QStringLiteral("编号"), DBEdit1);
    left->addRow(QStringLiteral("姓名"), DBEdit2);
    left->addRow(QStringLiteral("性别"), DBComboBox1);
    left->addRow(QStringLiteral("类别"), DBComboBox2);
    left->addRow(QStringLiteral("院系"), DBEdit3);
    left->addRow(QStringLiteral("班级"), DBEdit4);
    left->addRow(QStringLiteral("卡内金额"), DBEdit5);
    left->addRow(QStringLiteral("单位部门"), DBComboBox3);
    left->addRow(QStringLiteral("住址"), DBEdit6);
    left->addRow(QStringLiteral("备注"), DBMemo1);
    auto *right = new QFormLayout;
    right->addRow(QStringLiteral("联系电话"), DBEdit7);
    right->addRow(QStringLiteral("借阅次数"), DBEdit8);
    right->addRow(QStringLiteral("登记日期"), DBDateEdit1);
    right->addRow(QStringLiteral("有效期"), DBDateEdit2);
    right->addRow(QStringLiteral("状态"), DBEdit9);
    right->addRow(QStringLiteral("有效证件"), DBComboBox4);
    right->addRow(QStringLiteral("证件号码"), DBEdit10);
    right->addRow(QStringLiteral("拼音"), DBEdit11);

    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("保存"), this);
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("取消"), this);

    auto *buttons = buttonRow({Button1, Button2});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(sideBySide(left, right));
    layout->addLayout(buttons);
    setTabOrderOf({DBEdit1, DBEdit2, DBComboBox1, DBComboBox2, DBEdit3, DBEdit4, DBComboBox3, DBEdit6, DBMemo1,
                   DBEdit7, DBDateEdit1, DBDateEdit2, DBEdit9, DBComboBox4, DBEdit10, Button1, Button2});

    const std::pair<const char *, QWidget *> columns[] = {
        {"读者编号", DBEdit1},     {"读者姓名", DBEdit2},     {"性别", DBComboBox1},     {"类别", DBComboBox2},
        {"院系", DBEdit3},         {"班级", DBEdit4},         {"单位部门", DBComboBox3}, {"住址", DBEdit6},
        {"备注", DBMemo1},         {"联系电话", DBEdit7},     {"登记日期", DBDateEdit1}, {"有效期", DBDateEdit2},
        {"状态", DBEdit9},         {"有效证件", DBComboBox4}, {"证件号码", DBEdit10},    {"py", DBEdit11},
    };
    for (const auto &[column, control] : columns)
        bind(QString::fromUtf8(column), control);

    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));

    FormShow();
    // After the row is shown: showing the stored name keeps the stored initials.
    connect(DBEdit2, &QLineEdit::textChanged, this, [this] { DBEdit2Change(); });
}

void TRdEditFm::bind(const QString &column, QWidget *control) { bindings_.append({column, control, {}}); }

void TRdEditFm::FormShow()
{
    fillReaderLists(db_, DBComboBox1, DBComboBox2, DBComboBox3, DBComboBox4);
    loadRow();
}

void TRdEditFm::loadRow()
{
    db::Rows row = db_.select(db::Sql("select * from 读者库 where ") + db::Sql::fixed(db_.rowIdentity(Readers)) + "="
                              + db::Sql::value(rowId_));
    if (!row.next())
        throw db::DbError(QStringLiteral("这位读者已不在读者库中(可能已被删除), 请刷新列表。"));
    for (Binding &b : bindings_) {
        const db::ColumnKind kind = db::columnKind(b.column);
        showValue(b.control, kind == db::ColumnKind::Date ? QVariant(row.date(b.column)) : QVariant(row.text(b.column)));
        b.loaded = shownValue(b.control);
    }
    DBEdit5->setText(row.money(QStringLiteral("卡内金额")).toString(2));
    DBEdit8->setText(QString::number(row.integer(QStringLiteral("累计借阅次数"))));
}

// The initials follow the name as it is typed.
void TRdEditFm::DBEdit2Change() { DBEdit11->setText(PinyinInitials(DBEdit2->text())); }

db::Fields TRdEditFm::changedFields() const
{
    db::Fields fields;
    for (const Binding &b : bindings_) {
        const QVariant shown = shownValue(b.control);
        if (shown == b.loaded)
            continue;
        if (shown.typeId() == QMetaType::QString)
            fields.append({b.column, shown.toString().trimmed()});
        else
            fields.append({b.column, shown});
    }
    return fields;
}

void TRdEditFm::Button1Click()
{
    const db::Fields fields = changedFields();
    if (!fields.isEmpty())
        db_.updateRow(Readers, rowId_, fields);
    close();
}

void TRdEditFm::Button2Click() { close(); }
