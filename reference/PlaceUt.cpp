#include "reference/PlaceUt.h"

#include "app/Session.h"

TPlaceFm::TPlaceFm(QWidget *parent)
    : LookupListEditor(sharedDb(),
                       {.caption = QStringLiteral("存放位置名设置"),
                        .table = QStringLiteral("存放位置"),
                        .fields = {{QStringLiteral("存放位置名")}}},
                       parent)
{
    setObjectName(QStringLiteral("PlaceFm"));
}
