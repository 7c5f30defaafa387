#include "reference/RdKindUt.h"

#include "app/Session.h"

TRdKindFm::TRdKindFm(QWidget *parent)
    : LookupListEditor(sharedDb(),
                       {.caption = QStringLiteral("读者分类设置"),
                        .table = QStringLiteral("读者类别"),
                        .fields = {{QStringLiteral("类别名"), QStringLiteral("读者类别名")},
                                   {QStringLiteral("借阅天数"), QStringLiteral("借阅天数")},
                                   {QStringLiteral("借阅数量限制"), QStringLiteral("数量限制")},
                                   {QStringLiteral("租金"), QStringLiteral("租金")}},
                        .keepLastRow = false,
                        .refuseDelete =
                            [](const QString &name) {
                                return name == QStringLiteral("普通") ? QStringLiteral("(普通)不能删除！") : QString();
                            }},
                       parent)
{
    setObjectName(QStringLiteral("RdKindFm"));
}
