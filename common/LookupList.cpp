#include "common/LookupList.h"

#include "db/Database.h"

#include <QComboBox>

void fillLookupList(QComboBox *box, db::Database &database, const QString &table, const QString &column)
{
    db::Rows rows = database.select(db::Sql("select ") + db::Sql::identifier(column) + " from " + db::Sql::identifier(table));
    QStringList values;
    while (rows.next())
        values.append(rows.text(column));
    const QString text = box->currentText();
    box->addItems(values);
    box->setCurrentText(text);
}
