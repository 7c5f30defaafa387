#include "reference/PaperUt.h"

#include "app/Session.h"

TPaperFm::TPaperFm(QWidget *parent)
    : LookupListEditor(sharedDb(),
                       {.caption = QStringLiteral("证件名设置"),
                        .table = QStringLiteral("证件名"),
                        .fields = {{QStringLiteral("证件名")}}},
                       parent)
{
    setObjectName(QStringLiteral("PaperFm"));
}
