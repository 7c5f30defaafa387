#include "reference/RentLevelUt.h"

#include "app/Session.h"

TRentLevelFm::TRentLevelFm(QWidget *parent)
    : LookupListEditor(sharedDb(),
                       {.caption = QStringLiteral("租金级别"),
                        .table = QStringLiteral("租金级别"),
                        .fields = {{QStringLiteral("名称"), QStringLiteral("名称")},
                                   {QStringLiteral("租金"), QStringLiteral("租金(元)")}},
                        .columns = {{QStringLiteral("名称")}, {QStringLiteral("租金")}},
                        .keepLastRow = false,
                        .refuseDelete =
                            [](const QString &name) {
                                return name == QStringLiteral("普通") ? QStringLiteral("\"普通\"类型必须保留!") : QString();
                            }},
                       parent)
{
    setObjectName(QStringLiteral("RentLevelFm"));
}
