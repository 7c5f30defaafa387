#include "reference/DepartMentUt.h"

#include "app/Session.h"

TDepartMentFm::TDepartMentFm(QWidget *parent)
    : LookupListEditor(sharedDb(),
                       {.caption = QStringLiteral("单位/部门名称设置"),
                        .table = QStringLiteral("单位名称"),
                        .fields = {{QStringLiteral("单位名称")}}},
                       parent)
{
    setObjectName(QStringLiteral("DepartMentFm"));
}
