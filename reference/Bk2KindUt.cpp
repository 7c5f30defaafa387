#include "reference/Bk2KindUt.h"

#include "app/Session.h"

TBk2KindFm::TBk2KindFm(QWidget *parent)
    : LookupListEditor(sharedDb(),
                       {.caption = QStringLiteral("二级分类设置"),
                        .table = QStringLiteral("二级分类"),
                        .fields = {{QStringLiteral("名称")}}},
                       parent)
{
    setObjectName(QStringLiteral("Bk2KindFm"));
}
