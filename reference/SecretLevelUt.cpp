#include "reference/SecretLevelUt.h"

#include "app/Session.h"

TSecretLevelFm::TSecretLevelFm(QWidget *parent)
    : LookupListEditor(sharedDb(),
                       {.caption = QStringLiteral("密级设置"),
                        .table = QStringLiteral("密级"),
                        .fields = {{QStringLiteral("密级")}}},
                       parent)
{
    setObjectName(QStringLiteral("SecretLevelFm"));
}
