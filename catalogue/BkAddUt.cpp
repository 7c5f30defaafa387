#include "catalogue/BkAddUt.h"

#include "common/ErrorDisplay.h"
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
        lookupField("ComboBox3", "出版社", "出版社", "出版社名", "出版社名"),
        lookupField("ComboBox1", "分类", "分类", "分类", "名称"),
        lookupField("ComboBox2", "二级分类", "二级分类", "二级分类", "名称"),
        lookupField("ComboBox4", "存放位置", "存放位置", "存放位置", "存放位置名"),
        {.name = "Edit6", .caption = "数量", .column = "数量", .bold = true, .reset = "1", .filter = Filter::Digits},
        {.name = "Edit8", .caption = "作者", .column = "作者"},
        {.name = "Edit9", .caption = "译者", .column = "译者"},
        {.name = "Edit7", .caption = "价格", .column = "价格", .reset = "0", .filter = Filter::Decimal},
        lookupField("ComboBox5", "币种", "币种", "币种", "币种", "人民币"),
        {.name = "Edit4", .caption = "索书号", .column = "索书号"},
        {.name = "Edit5", .caption = "分类号", .column = "分类号"},
        {.name = "Edit10", .caption = "ISBN", .column = "ISBN"},
        {.name = "DateTimePicker1", .caption = "出版时间", .column = "出版时间", .kind = Kind::Date, .reset = nullptr},
        lookupField("ComboBox6", "密级", "密级", "密级", "密级"),
        lookupField("ComboBox7", "附件", "附件", "附件名", "附件名"),
        {.name = "Edit11", .caption = "版次", .column = "版次"},
        {.name = "Edit12", .caption = "电子文档", .reset = "n"},
        {.name = "Edit13", .caption = "拼音", .column = "py", .enabled = false},
        lookupField("ComboBox8", "租金级别", "租金级别", "租金级别", "名称", "普通"),
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

// The decimal digits of the number one above `digits`.
QString oneMore(QString digits)
{
    qsizetype i = digits.size() - 1;
    for (; i >= 0 && digits.at(i) == QLatin1Char('9'); --i)
        digits[i] = QLatin1Char('0');
    if (i < 0)
        digits.prepend(QLatin1Char('1'));
    else
        digits[i] = QChar(digits.at(i).unicode() + 1);
    return digits;
}

} // namespace

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
    Button3 = namedButton(QStringLiteral("Button3"), QStringLiteral("确定"), GroupBox2);
    auto *numbering = new QFormLayout(GroupBox2);
    numbering->addRow(QStringLiteral("前缀"), Edit14);
    numbering->addRow(QStringLiteral("起始值"), Edit15);
    numbering->addRow(Button3);
    GroupBox2->hide();
    sideLayout()->addWidget(CheckBox2);
    sideLayout()->addWidget(GroupBox2);
    sideLayout()->addStretch();

    onClick(Edit1, [this] { Edit1->selectAll(); });
    // 条形码 starts as "n": a click selects it, so that the scan after it replaces it.
    onClick(lineEdit("Edit3"), [this] { lineEdit("Edit3")->selectAll(); });
    onClick(Edit12, [this] { Edit12Click(); });
    connect(CheckBox2, &QCheckBox::toggled, this, [this] { CheckBox2Click(); });
    connect(Button3, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));

    FormShow();
}

void TBkAddFm::FormShow()
{
    next_ = QStringLiteral("1");
    Edit1->clear();
    CatalogueIntake::FormShow();
}

void TBkAddFm::CheckBox2Click() { GroupBox2->setVisible(CheckBox2->isChecked()); }

void TBkAddFm::Button3Click()
{
    const QString start = Edit15->text().trimmed();
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (!digits.match(start).hasMatch())
        throw db::DbError(QStringLiteral("起始值: \"%1\" 不是有效的整数。").arg(start));
    next_ = start;
    width_ = start.size();
    prefix_ = Edit14->text().trimmed();
    Edit1->setText(prefix_ + start);
}

void TBkAddFm::Edit12Click() { chooseDocument(Edit12); }

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
    next_ = oneMore(next_);
    Edit1->setText(prefix_ + next_.rightJustified(width_, QLatin1Char('0')));
}
