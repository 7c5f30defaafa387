#include "circulation/BorrowOptBkUt.h"

#include "circulation/BkBorrowUt.h"

#include <QLineEdit>

using db::Sql;

static PickerConfig itemPicker(const QString &kind)
{
    PickerConfig c;
    c.objectName = QStringLiteral("BorrowOptBkFm");
    c.nameCaption = QStringLiteral("名称或者首拼(&N):");
    c.numberCaption = QStringLiteral("编号(&B):");
    for (const char *name : {"编号", "名称", "分类", "条形码", "存放位置", "出版社"})
        c.columns.append({QString::fromUtf8(name)});
    c.columns.append({QStringLiteral("py"), {}, false});
    // The table of the desk's item kind (图书 or 期刊, nothing typed).
    c.listing = Sql::fixed(QStringLiteral("select 名称,编号,条形码,分类,存放位置,出版社,py from %1").arg(kind));
    c.nameColumn = QStringLiteral("名称");
    c.numberColumn = QStringLiteral("编号");
    return c;
}

TBorrowOptBkFm::TBorrowOptBkFm(TBkBorrowFm *desk) : PickerWindow(desk, itemPicker(desk->itemKind())) { FormShow(); }

// The desk looks the key up in its search column: a barcode when it searches by 条形码.
QString TBorrowOptBkFm::handedColumn(const TBkBorrowFm &desk) const
{
    return desk.searchColumn() == QStringLiteral("条形码") ? QStringLiteral("条形码") : QStringLiteral("编号");
}

void TBorrowOptBkFm::handBack(TBkBorrowFm &desk, const QString &key) const
{
    desk.Edit2->setText(key);
    desk.bksearch();
}
