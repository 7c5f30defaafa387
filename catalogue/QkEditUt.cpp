#include "catalogue/QkEditUt.h"

namespace {

using Kind = CatalogueField::Kind;

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
        lookupField("DBComboBox1", "出版社", "出版社", "出版社名", "出版社名"),
        lookupField("DBComboBox2", "租金级别", "租金级别", "租金级别", "名称"),
        lookupField("DBComboBox3", "存放位置", "存放位置", "存放位置", "存放位置名"),
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

TQkEditFm::TQkEditFm(db::Database &database, const QVariant &rowId, QWidget *parent)
    : CatalogueEdit(database, rowId, periodicalEdit(), parent)
{
}
