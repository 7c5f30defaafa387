#include "components/GridExport.h"

#include "common/SpreadsheetExport.h"
#include "components/DataGrid.h"
#include "db/DbError.h"

QString ExportGridToSpreadsheet(DataGrid &grid)
{
    if (!grid.database())
        throw db::DbError(QStringLiteral("列表没有打开"));
    // A column the window typed itself (a sum under an alias) keeps that kind in the workbook.
    QHash<QString, db::ColumnKind> kinds;
    for (const GridColumn &column : grid.columns())
        if (column.kind)
            kinds.insert(column.field, *column.kind);
    const QString path = ExportToSpreadsheet(*grid.database(), grid.resultStatement(), 0, -1, kinds);
    if (!path.isEmpty() && grid.rowCount() > 0)
        grid.setCurrentRow(grid.rowCount() - 1);
    return path;
}
