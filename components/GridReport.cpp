#include "components/GridReport.h"

#include "components/DataGrid.h"
#include "components/Report.h"
#include "components/ReportPreview.h"
#include "components/ReportRows.h"

void PrintGridReport(DataGrid &grid, const QString &templateName, QWidget *parent)
{
    Report report(ReportTemplate::load(templateName));
    if (grid.isOpen()) {
        // A column the window typed itself (a sum under an alias) prints as that kind.
        db::Sql rows = grid.resultStatement();
        for (const GridColumn &column : grid.columns())
            if (column.kind)
                rows.kind(column.field, *column.kind);
        report.setRows(reportRows(*grid.database(), rows));
    }
    TReportPreviewFm::showReport(std::move(report), parent);
}
