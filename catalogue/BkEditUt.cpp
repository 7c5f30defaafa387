#include "catalogue/BkEditUt.h"

#include "common/ErrorDisplay.h"
#include "common/Platform.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

using Kind = CatalogueField::Kind;
using Filter = CatalogueField::Filter;

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
        lookupField("DBComboBox1", "出版社", "出版社", "出版社名", "出版社名"),
        lookupField("DBComboBox2", "分类", "分类", "分类", "名称"),
        lookupField("DBComboBox3", "二级分类", "二级分类", "二级分类", "名称"),
        lookupField("DBComboBox4", "存放位置", "存放位置", "存放位置", "存放位置名"),
        {.name = "DBEdit6", .caption = "数量", .column = "数量", .filter = Filter::Decimal},
        {.name = "DBEdit4", .caption = "作者", .column = "作者"},
        {.name = "DBEdit5", .caption = "译者", .column = "译者"},
        {.name = "DBEdit7", .caption = "索书号", .column = "索书号"},
        {.name = "DBEdit8", .caption = "分类号", .column = "分类号"},
        {.name = "DBEdit11", .caption = "价格", .column = "价格", .filter = Filter::Decimal},
        lookupField("DBComboBox5", "币种", "币种", "币种", "币种"),
        {.name = "DBEdit9", .caption = "版次", .column = "版次"},
        {.name = "DBEdit10", .caption = "ISBN", .column = "ISBN"},
        lookupField("DBComboBox6", "附件", "附件", "附件名", "附件名"),
        lookupField("DBComboBox7", "密级", "密级", "密级", "密级"),
        {.name = "DBDateEdit1", .caption = "入库时间", .column = "入库时间", .kind = Kind::Date},
        {.name = "DBEdit13", .caption = "电子文档", .column = "绝对地址"},
        lookupField("DBComboBox8", "租金级别", "租金级别", "租金级别", "名称"),
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

} // namespace

TBkEditFm::TBkEditFm(db::Database &database, const QVariant &rowId, QWidget *parent)
    : CatalogueEdit(database, rowId, bookEdit(), parent)
{
    Button3 = namedButton(QStringLiteral("Button3"), QStringLiteral("Run"), this);
    placeBeside("DBEdit13", Button3);
    onClick(lineEdit("DBEdit13"), [this] { DBEdit13Click(); });
    connect(Button3, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));
}

void TBkEditFm::DBEdit13Click() { chooseDocument(lineEdit("DBEdit13")); }

// The path is handed on as it is; a text that names no file opens nothing.
void TBkEditFm::Button3Click() { Platform::instance().openDocument(lineEdit("DBEdit13")->text()); }
