#include "reference/MoneyKindUt.h"

#include "app/Session.h"

TMoneyKindFm::TMoneyKindFm(QWidget *parent)
    : LookupListEditor(sharedDb(),
                       {.caption = QStringLiteral("币种设置"),
                        .table = QStringLiteral("币种"),
                        .fields = {{QStringLiteral("币种")}}},
                       parent)
{
    setObjectName(QStringLiteral("MoneyKindFm"));
}
