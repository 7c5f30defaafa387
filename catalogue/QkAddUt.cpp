#include "catalogue/QkAddUt.h"

namespace {

using Kind = CatalogueField::Kind;
using Filter = CatalogueField::Filter;

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
        lookupField("ComboBox1", "出版社", "出版社", "出版社名", "出版社名"),
        lookupField("ComboBox2", "租金级别", "租金级别", "租金级别", "名称", "普通"),
        lookupField("ComboBox3", "存放位置", "存放位置", "存放位置", "存放位置名"),
        lookupField("ComboBox4", "一级分类", "分类", "分类", "名称"),
        lookupField("ComboBox5", "二级分类", "二级分类", "二级分类", "名称"),
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

} // namespace

TQkAddFm::TQkAddFm(QWidget *parent) : CatalogueIntake(periodicalIntake(), parent) { FormShow(); }
