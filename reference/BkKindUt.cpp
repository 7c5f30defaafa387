#include "reference/BkKindUt.h"

#include "app/Session.h"

TBkKindFm::TBkKindFm(QWidget *parent)
    : LookupListEditor(sharedDb(),
                       {.caption = QStringLiteral("分类设置"),
                        .table = QStringLiteral("分类"),
                        .fields = {{QStringLiteral("名称")}},
                        .centred = true},
                       parent)
{
    setObjectName(QStringLiteral("BkKindFm"));
}
