#include "circulation/BorrowOptRdUt.h"

#include "app/Session.h"
#include "circulation/BkBorrowUt.h"
#include "circulation/Picker.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "components/DataGrid.h"

#include <QLineEdit>
#include <QPushButton>

using db::Sql;

static QList<GridColumn> readerColumns()
{
    QList<GridColumn> columns;
    for (const char *name : {"读者编号", "读者姓名", "性别", "单位部门", "联系电话", "类别", "住址", "有效证件", "证件号码",
                             "累计借阅次数", "未还数量", "登记日期", "有效期", "状态", "备注", "密码", "卡内金额", "登记人"})
        columns.append({QString::fromUtf8(name)});
    for (const char *name : {"班级", "院系", "py"})
        columns.append({QString::fromUtf8(name), {}, false});
    return columns;
}

TBorrowOptRdFm::TBorrowOptRdFm(TBkBorrowFm *desk) : LibraryWindow(desk), desk_(desk)
{
    setObjectName(QStringLiteral("BorrowOptRdFm"));
    const PickerParts parts = buildPicker(this, QStringLiteral("姓名或者首拼(&N):"), QStringLiteral("读者编号(&B):"));
    Edit1 = parts.nameBox;
    Edit2 = parts.numberBox;
    DBGrid1 = parts.grid;
    Button1 = parts.choose;
    Button2 = parts.back;
    DBGrid1->setColumns(readerColumns());

    connect(Edit1, &QLineEdit::returnPressed, this, guarded([this] { Edit1KeyPress(); }));
    connect(Edit2, &QLineEdit::returnPressed, this, guarded([this] { Edit2KeyPress(); }));
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
    connect(DBGrid1, &DataGrid::rowActivated, this, guarded([this] { Button1Click(); }));
    FormShow();
}

void TBorrowOptRdFm::FormShow()
{
    Edit1->clear();
    Edit2->clear();
    DBGrid1->open(sharedDb(), Sql("select * from 读者库").limit(200), QStringLiteral("读者库"));
}

void TBorrowOptRdFm::Edit1KeyPress()
{
    DBGrid1->open(sharedDb(),
                  Sql("select * from 读者库 where 读者姓名 like ") + Sql::like(Edit1->text()) + Sql(" or py like ")
                      + Sql::like(Edit1->text()),
                  QStringLiteral("读者库"));
}

void TBorrowOptRdFm::Edit2KeyPress()
{
    DBGrid1->open(sharedDb(), Sql("select * from 读者库 where 读者编号 like ") + Sql::like(Edit2->text()),
                  QStringLiteral("读者库"));
}

void TBorrowOptRdFm::Button1Click()
{
    const std::optional<QString> number = chosenValue(DBGrid1, QStringLiteral("读者编号"));
    if (!number) {
        Platform::instance().beep(); // nothing listed: nothing to hand back
        return;
    }
    QPointer<TBkBorrowFm> desk = desk_;
    close();
    if (desk) {
        desk->Edit1->setText(*number);
        desk->RdSearch();
    }
}
