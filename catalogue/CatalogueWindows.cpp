#include "catalogue/CatalogueWindows.h"

#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "db/DbError.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

using Kind = CatalogueField::Kind;
using Filter = CatalogueField::Filter;

// The lookup lists of the catalogue forms.
CatalogueField list(const char *name, const char *caption, const char *column, const char *table,
                    const char *listColumn, const char *reset = "")
{
    return {.name = name, .caption = caption, .column = column, .kind = Kind::List, .reset = reset,
            .listTable = table, .listColumn = listColumn};
}

IntakeConfig bookIntake()
{
    IntakeConfig c;
    c.table = QStringLiteral("图书");
    c.objectName = QStringLiteral("BkAddFm");
    c.title = QStringLiteral("添加图书---字体加重的项必须填写");
    c.closeCaption = QStringLiteral("返回");
    c.fields = {
        {.name = "Edit1", .caption = "图书编号", .column = "编号", .bold = true, .reset = nullptr},
        {.name = "Edit2", .caption = "书名", .column = "名称", .bold = true},
        {.name = "Edit3", .caption = "条形码", .column = "条形码", .bold = true, .reset = "n"},
        list("ComboBox3", "出版社", "出版社", "出版社名", "出版社名"),
        list("ComboBox1", "分类", "分类", "分类", "名称"),
        list("ComboBox2", "二级分类", "二级分类", "二级分类", "名称"),
        list("ComboBox4", "存放位置", "存放位置", "存放位置", "存放位置名"),
        {.name = "Edit6", .caption = "数量", .column = "数量", .bold = true, .reset = "1", .filter = Filter::Digits},
        {.name = "Edit8", .caption = "作者", .column = "作者"},
        {.name = "Edit9", .caption = "译者", .column = "译者"},
        {.name = "Edit7", .caption = "价格", .column = "价格", .reset = "0", .filter = Filter::Decimal},
        list("ComboBox5", "币种", "币种", "币种", "币种", "人民币"),
        {.name = "Edit4", .caption = "索书号", .column = "索书号"},
        {.name = "Edit5", .caption = "分类号", .column = "分类号"},
        {.name = "Edit10", .caption = "ISBN", .column = "ISBN"},
        {.name = "DateTimePicker1", .caption = "出版时间", .column = "出版时间", .kind = Kind::Date, .reset = nullptr},
        list("ComboBox6", "密级", "密级", "密级", "密级"),
        list("ComboBox7", "附件", "附件", "附件名", "附件名"),
        {.name = "Edit11", .caption = "版次", .column = "版次"},
        {.name = "Edit12", .caption = "电子文档", .reset = "n"},
        {.name = "Edit13", .caption = "拼音", .column = "py", .enabled = false},
        list("ComboBox8", "租金级别", "租金级别", "租金级别", "名称", "普通"),
        {.name = "Memo1", .caption = "简介", .column = "简介", .kind = Kind::Memo},
    };
    c.requiredOrder = {QStringLiteral("Edit1"), QStringLiteral("Edit2"), QStringLiteral("Edit3"),
                       QStringLiteral("Edit6"), QStringLiteral("ComboBox8"), QStringLiteral("Edit7")};
    c.listOrder = {QStringLiteral("ComboBox1"), QStringLiteral("ComboBox2"), QStringLiteral("ComboBox3"),
                   QStringLiteral("ComboBox4"), QStringLiteral("ComboBox5"), QStringLiteral("ComboBox6"),
                   QStringLiteral("ComboBox7"), QStringLiteral("ComboBox8")};
    c.titleBox = "Edit2";
    c.pinyinBox = "Edit13";
    c.publishedAtStart = QDate(2008, 3, 25);
    c.beepWhenIncomplete = true;
    c.savedMessage = QStringLiteral("保存完毕,请继续录入下一条!");
    return c;
}

EditConfig bookEdit()
{
    EditConfig c;
    c.table = QStringLiteral("图书");
    c.objectName = QStringLiteral("BkEditFm");
    c.title = QStringLiteral("图书编辑");
    c.fields = {
        {.name = "DBEdit1", .caption = "图书编号", .column = "编号"},
        {.name = "DBEdit2", .caption = "书名", .column = "名称"},
        {.name = "DBEdit3", .caption = "条形码", .column = "条形码"},
        list("DBComboBox1", "出版社", "出版社", "出版社名", "出版社名"),
        list("DBComboBox2", "分类", "分类", "分类", "名称"),
        list("DBComboBox3", "二级分类", "二级分类", "二级分类", "名称"),
        list("DBComboBox4", "存放位置", "存放位置", "存放位置", "存放位置名"),
        {.name = "DBEdit6", .caption = "数量", .column = "数量", .filter = Filter::Decimal},
        {.name = "DBEdit4", .caption = "作者", .column = "作者"},
        {.name = "DBEdit5", .caption = "译者", .column = "译者"},
        {.name = "DBEdit7", .caption = "索书号", .column = "索书号"},
        {.name = "DBEdit8", .caption = "分类号", .column = "分类号"},
        {.name = "DBEdit11", .caption = "价格", .column = "价格", .filter = Filter::Decimal},
        list("DBComboBox5", "币种", "币种", "币种", "币种"),
        {.name = "DBEdit9", .caption = "版次", .column = "版次"},
        {.name = "DBEdit10", .caption = "ISBN", .column = "ISBN"},
        list("DBComboBox6", "附件", "附件", "附件名", "附件名"),
        list("DBComboBox7", "密级", "密级", "密级", "密级"),
        {.name = "DBDateEdit1", .caption = "入库时间", .column = "入库时间", .kind = Kind::Date},
        {.name = "DBEdit13", .caption = "电子文档", .column = "绝对地址"},
        list("DBComboBox8", "租金级别", "租金级别", "租金级别", "名称"),
        {.name = "DBEdit12", .caption = "状态", .column = "状态"},
        {.name = "DBEdit14", .caption = "拼音", .column = "py", .enabled = false},
        {.name = "DBMemo1", .caption = "简介", .column = "简介", .kind = Kind::Memo},
        {.name = "DBEdit15", .caption = "出版时间", .column = "出版时间"},
    };
    c.listOrder = {QStringLiteral("DBComboBox2"), QStringLiteral("DBComboBox3"), QStringLiteral("DBComboBox1"),
                   QStringLiteral("DBComboBox4"), QStringLiteral("DBComboBox5"), QStringLiteral("DBComboBox7"),
                   QStringLiteral("DBComboBox6"), QStringLiteral("DBComboBox8")};
    c.titleBox = "DBEdit2";
    c.pinyinBox = "DBEdit14";
    return c;
}

IntakeConfig periodicalIntake()
{
    IntakeConfig c;
    c.table = QStringLiteral("期刊");
    c.objectName = QStringLiteral("QkAddFm");
    c.title = QStringLiteral("添加期刊---字体加重的项必须填写");
    c.closeCaption = QStringLiteral("取消");
    c.fields = {
        {.name = "Edit1", .caption = "编号", .column = "编号", .bold = true},
        {.name = "Edit2", .caption = "名称", .column = "名称", .bold = true},
        {.name = "Edit3", .caption = "条形码", .column = "条形码", .bold = true},
        list("ComboBox1", "出版社", "出版社", "出版社名", "出版社名"),
        list("ComboBox2", "租金级别", "租金级别", "租金级别", "名称", "普通"),
        list("ComboBox3", "存放位置", "存放位置", "存放位置", "存放位置名"),
        list("ComboBox4", "一级分类", "分类", "分类", "名称"),
        list("ComboBox5", "二级分类", "二级分类", "二级分类", "名称"),
        {.name = "Edit5", .caption = "ISSN", .column = "ISSN"},
        {.name = "Edit6", .caption = "国内统一刊号", .column = "国内统一刊号"},
        {.name = "Edit7", .caption = "邮发代号", .column = "邮发代号"},
        {.name = "Edit8", .caption = "第几期", .column = "第几期"},
        {.name = "Edit9", .caption = "总第几期", .column = "总第几期"},
        {.name = "DateTimePicker1", .caption = "出版时间", .column = "出版时间", .kind = Kind::Date, .reset = nullptr},
        {.name = "Edit10", .caption = "价格", .column = "价格", .bold = true, .reset = "0", .filter = Filter::Decimal},
        {.name = "Memo1", .caption = "简介", .column = "简介", .kind = Kind::Memo},
        {.name = "Edit4", .caption = "数量", .column = "数量", .bold = true, .reset = "1", .filter = Filter::Digits},
        {.name = "Edit11", .caption = "拼音", .column = "py", .enabled = false},
    };
    c.requiredOrder = {QStringLiteral("Edit1"), QStringLiteral("Edit2"), QStringLiteral("Edit3"),
                       QStringLiteral("Edit4"), QStringLiteral("Edit10"), QStringLiteral("ComboBox2")};
    c.listOrder = {QStringLiteral("ComboBox1"), QStringLiteral("ComboBox2"), QStringLiteral("ComboBox3"),
                   QStringLiteral("ComboBox4"), QStringLiteral("ComboBox5")};
    c.titleBox = "Edit2";
    c.pinyinBox = "Edit11";
    c.publishedAtStart = QDate(2008, 3, 26);
    c.savedMessage = QStringLiteral("保存完毕");
    return c;
}

EditConfig periodicalEdit()
{
    EditConfig c;
    c.table = QStringLiteral("期刊");
    c.objectName = QStringLiteral("QkEditFm");
    c.title = QStringLiteral("期刊编辑");
    c.fields = {
        {.name = "DBEdit1", .caption = "编号", .column = "编号"},
        {.name = "DBEdit2", .caption = "名称", .column = "名称"},
        {.name = "DBEdit3", .caption = "条形码", .column = "条形码"},
        list("DBComboBox1", "出版社", "出版社", "出版社名", "出版社名"),
        list("DBComboBox2", "租金级别", "租金级别", "租金级别", "名称"),
        list("DBComboBox3", "存放位置", "存放位置", "存放位置", "存放位置名"),
        {.name = "DBEdit4", .caption = "数量", .column = "数量"},
        {.name = "DBEdit5", .caption = "国内统一刊号", .column = "国内统一刊号"},
        {.name = "DBEdit6", .caption = "ISSN", .column = "ISSN"},
        {.name = "DBMemo1", .caption = "简介", .column = "简介", .kind = Kind::Memo},
        {.name = "DBEdit7", .caption = "邮发代号", .column = "邮发代号"},
        {.name = "DBEdit8", .caption = "第几期", .column = "第几期"},
        {.name = "DBEdit9", .caption = "总第几期", .column = "总第几期"},
        {.name = "DBEdit10", .caption = "出版时间", .column = "出版时间"},
        {.name = "DBEdit11", .caption = "拼音", .column = "py", .enabled = false},
        {.name = "DBEdit12", .caption = "价格", .column = "价格"},
        {.name = "DBEdit13", .caption = "状态", .column = "状态"},
        {.name = "DBEdit14", .caption = "借出次数", .column = "借出次数"},
        {.name = "DBDateEdit1", .caption = "入库时间", .column = "入库时间", .kind = Kind::Date},
    };
    c.listOrder = {QStringLiteral("DBComboBox1"), QStringLiteral("DBComboBox2"), QStringLiteral("DBComboBox3")};
    c.titleBox = "DBEdit2";
    c.pinyinBox = "DBEdit11";
    c.savedMessage = QStringLiteral("保存完毕");
    return c;
}

} // namespace

// ---------------------------------------------------------------------------------------------

TBkAddFm::TBkAddFm(QWidget *parent) : CatalogueIntake(bookIntake(), parent)
{
    Edit1 = lineEdit("Edit1");
    Edit12 = lineEdit("Edit12");
    CheckBox2 = new QCheckBox(QStringLiteral("自动编号"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    GroupBox2 = new QGroupBox(QStringLiteral("自动编号 "), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    Edit14 = new QLineEdit(QStringLiteral("A"), GroupBox2);
    Edit14->setObjectName(QStringLiteral("Edit14"));
    Edit15 = new QLineEdit(QStringLiteral("1"), GroupBox2);
    Edit15->setObjectName(QStringLiteral("Edit15"));
    Edit15->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Edit15));
    Button3 = new QPushButton(QStringLiteral("确定"), GroupBox2);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setAutoDefault(false);
    auto *numbering = new QFormLayout(GroupBox2);
    numbering->addRow(QStringLiteral("前缀"), Edit14);
    numbering->addRow(QStringLiteral("起始值"), Edit15);
    numbering->addRow(Button3);
    GroupBox2->hide();
    sideLayout()->addWidget(CheckBox2);
    sideLayout()->addWidget(GroupBox2);
    sideLayout()->addStretch();

    onClick(Edit1, [this] { Edit1->selectAll(); });
    onClick(Edit12, [this] { Edit12Click(); });
    connect(CheckBox2, &QCheckBox::toggled, this, [this] { CheckBox2Click(); });
    connect(Button3, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));

    FormShow();
}

void TBkAddFm::FormShow()
{
    next_ = 1;
    Edit1->clear();
    CatalogueIntake::FormShow();
}

void TBkAddFm::CheckBox2Click() { GroupBox2->setVisible(CheckBox2->isChecked()); }

void TBkAddFm::Button3Click()
{
    const QString start = Edit15->text().trimmed();
    bool ok = false;
    const int counter = start.toInt(&ok);
    if (!ok)
        throw db::DbError(QStringLiteral("\"%1\" 不是有效的整数。").arg(start));
    next_ = counter;
    width_ = int(start.size());
    prefix_ = Edit14->text().trimmed();
    Edit1->setText(prefix_ + start);
}

void TBkAddFm::Edit12Click()
{
    const QString file = Platform::instance().openFileName({}, {});
    if (!file.isEmpty())
        Edit12->setText(file);
}

db::Fields TBkAddFm::rowFields() const
{
    db::Fields fields = CatalogueIntake::rowFields();
    fields.append({QStringLiteral("图片地址"), Edit12->text()});
    fields.append({QStringLiteral("绝对地址"), Edit12->text()});
    return fields;
}

void TBkAddFm::afterSave()
{
    if (!CheckBox2->isChecked())
        return;
    ++next_;
    Edit1->setText(prefix_ + QString::number(next_).rightJustified(width_, QLatin1Char('0')));
}

// ---------------------------------------------------------------------------------------------

TBkEditFm::TBkEditFm(db::Database &database, const QVariant &rowId, QWidget *parent)
    : CatalogueEdit(database, rowId, bookEdit(), parent)
{
    Button3 = new QPushButton(QStringLiteral("Run"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setAutoDefault(false);
    buttonRow()->insertWidget(0, Button3);
    onClick(lineEdit("DBEdit13"), [this] { DBEdit13Click(); });
    connect(Button3, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));
}

void TBkEditFm::DBEdit13Click()
{
    const QString file = Platform::instance().openFileName({}, {});
    if (!file.isEmpty())
        lineEdit("DBEdit13")->setText(file);
}

// The path is handed on as it is; a text that names no file opens nothing.
void TBkEditFm::Button3Click() { Platform::instance().openDocument(lineEdit("DBEdit13")->text()); }

// ---------------------------------------------------------------------------------------------

TQkAddFm::TQkAddFm(QWidget *parent) : CatalogueIntake(periodicalIntake(), parent) { FormShow(); }

TQkEditFm::TQkEditFm(db::Database &database, const QVariant &rowId, QWidget *parent)
    : CatalogueEdit(database, rowId, periodicalEdit(), parent)
{
}
