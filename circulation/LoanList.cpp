#include "circulation/LoanList.h"

#include "components/Report.h"
#include "components/ReportPreview.h"
#include "components/ReportRows.h"
#include "db/DbError.h"

GridColumn loanColumn(const char *field, GridColumn::Footer footer, bool visible)
{
    GridColumn column{QString::fromUtf8(field)};
    column.footer = footer;
    column.visible = visible;
    return column;
}

void printLoans(const DataGrid *grid, const QString &templateName, QWidget *window)
{
    if (!grid->database())
        throw db::DbError(QStringLiteral("没有可打印的记录"));
    Report report(ReportTemplate::load(templateName));
    report.setRows(reportRows(*grid->database(), grid->resultStatement()));
    TReportPreviewFm::showReport(std::move(report), window);
}
