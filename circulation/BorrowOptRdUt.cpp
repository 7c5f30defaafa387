#include "circulation/BorrowOptRdUt.h"

#include "circulation/BkBorrowUt.h"

#include <QLineEdit>

using db::Sql;

static PickerConfig readerPicker()
{
    PickerConfig c;
    c.objectName = QStringLiteral("BorrowOptRdFm");
    c.nameCaption = QStringLiteral("姓名或者首拼(&N):");
    c.numberCaption = QStringLiteral("读者编号(&B):");
    for (const char *name : {"读者编号", "读者姓名", "性别", "单位部门", "联系电话", "类别", "住址", "有效证件", "证件号码",
                             "累计借阅次数", "未还数量", "登记日期", "有效期", "状态", "备注", "密码", "卡内金额", "登记人"})
        c.columns.append({QString::fromUtf8(name)});
    for (const char *name : {"班级", "院系", "py"})
        c.columns.append({QString::fromUtf8(name), {}, false});
    c.listing = Sql("select * from 读者库");
    c.keyTable = QStringLiteral("读者库");
    c.nameColumn = QStringLiteral("读者姓名");
    c.numberColumn = QStringLiteral("读者编号");
    return c;
}

TBorrowOptRdFm::TBorrowOptRdFm(TBkBorrowFm *desk) : PickerWindow(desk, readerPicker()) { FormShow(); }

QString TBorrowOptRdFm::handedColumn(const TBkBorrowFm &) const { return QStringLiteral("读者编号"); }

void TBorrowOptRdFm::handBack(TBkBorrowFm &desk, const QString &number) const
{
    desk.Edit1->setText(number);
    desk.RdSearch();
}
