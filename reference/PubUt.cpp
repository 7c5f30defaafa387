#include "reference/PubUt.h"

#include "app/Session.h"

TPubFm::TPubFm(QWidget *parent)
    : LookupListEditor(sharedDb(),
                       {.caption = QStringLiteral("出版社名设置"),
                        .table = QStringLiteral("出版社名"),
                        .fields = {{QStringLiteral("出版社名"), QStringLiteral("出版社名")},
                                    {QStringLiteral("ISBN"), QStringLiteral("ISBN")}},
                        .columns = {{QStringLiteral("ISBN")}, {QStringLiteral("出版社名")},
                                     {QStringLiteral("出版地")}, {QStringLiteral("ID")}},
                        .sortable = true},
                       parent)
{
    setObjectName(QStringLiteral("PubFm"));
}
