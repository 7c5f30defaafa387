#include "components/ReportRows.h"

#include "db/Database.h"
#include "db/Schema.h"

QList<ReportRow> reportRows(db::Database &database, const db::Sql &statement)
{
    db::Rows rows = database.select(statement);
    QList<ReportRow> result;
    QStringList names;
    while (rows.next()) {
        if (names.isEmpty()) {
            const QSqlRecord record = rows.record();
            for (int i = 0; i < record.count(); ++i)
                names.append(db::canonicalColumnName(record.fieldName(i)));
        }
        ReportRow row;
        // Values go by name: of two columns with one name, the first one's value counts.
        for (int i = 0; i < names.size(); ++i)
            if (!row.contains(names.at(i)))
                row.insert(names.at(i), rows.typed(i));
        result.append(row);
    }
    return result;
}
