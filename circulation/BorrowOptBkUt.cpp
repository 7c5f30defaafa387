#include "circulation/BorrowOptBkUt.h"

#include "app/Session.h"
#include "circulation/BkBorrowUt.h"
#include "circulation/Picker.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "components/DataGrid.h"

#include <QLineEdit>
#include <QPushButton>

using db::Sql;

TBorrowOptBkFm::TBorrowOptBkFm(TBkBorrowFm *desk) : LibraryWindow(desk), kind_(desk->itemKind()), desk_(desk)
{
    setObjectName(QStringLiteral("BorrowOptBkFm"));
    const PickerParts parts = buildPicker(this, QStringLiteral("名称或者首拼(&N):"), QStringLiteral("编号(&B):"));
    Edit1 = parts.nameBox;
    Edit2 = parts.numberBox;
    DBGrid1 = parts.grid;
    Button1 = parts.choose;
    Button2 = parts.back;
    QList<GridColumn> columns;
    for (const char *name : {"编号", "名称", "分类", "条形码", "存放位置", "出版社"})
        columns.append({QString::fromUtf8(name)});
    columns.append({QStringLiteral("py"), {}, false});
    DBGrid1->setColumns(columns);

    connect(Edit1, &QLineEdit::returnPressed, this, guarded([this] { Edit1KeyPress(); }));
    connect(Edit2, &QLineEdit::returnPressed, this, guarded([this] { Edit2KeyPress(); }));
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
    connect(DBGrid1, &DataGrid::rowActivated, this, guarded([this] { Button1Click(); }));
    FormShow();
}

// The columns the picker lists, from the table of the desk's item kind (图书 or 期刊, nothing typed).
static Sql itemsOf(const QString &kind)
{
    return Sql::fixed(QStringLiteral("select 名称,编号,条形码,分类,存放位置,出版社,py from %1").arg(kind));
}

void TBorrowOptBkFm::FormShow()
{
    Edit1->clear();
    Edit2->clear();
    DBGrid1->open(sharedDb(), itemsOf(kind_).limit(200));
}

void TBorrowOptBkFm::Edit1KeyPress()
{
    DBGrid1->open(sharedDb(), itemsOf(kind_) + Sql(" where 名称 like ") + Sql::like(Edit1->text()) + Sql(" or py like ")
                                  + Sql::like(Edit1->text()));
}

void TBorrowOptBkFm::Edit2KeyPress()
{
    DBGrid1->open(sharedDb(), itemsOf(kind_) + Sql(" where 编号 like ") + Sql::like(Edit2->text()));
}

void TBorrowOptBkFm::Button1Click()
{
    // The desk looks the key up in its search column: a barcode when it searches by 条形码.
    const QString column = desk_ && desk_->searchColumn() == QStringLiteral("条形码") ? QStringLiteral("条形码")
                                                                                    : QStringLiteral("编号");
    const std::optional<QString> key = chosenValue(DBGrid1, column);
    if (!key) {
        Platform::instance().beep(); // nothing listed: nothing to hand back
        return;
    }
    QPointer<TBkBorrowFm> desk = desk_;
    close();
    if (desk) {
        desk->Edit2->setText(*key);
        desk->bksearch();
    }
}
