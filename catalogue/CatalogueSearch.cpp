#include "catalogue/CatalogueSearch.h"

#include "app/Session.h"
#include "components/Report.h"
#include "components/ReportPreview.h"
#include "components/ReportRows.h"

GridColumn listedColumn(const char *field, GridColumn::Footer footer)
{
    return {.field = QString::fromUtf8(field), .footer = footer};
}

GridColumn hiddenColumn(const char *field) { return {.field = QString::fromUtf8(field), .visible = false}; }

QStringList fieldNames(std::initializer_list<const char *> list)
{
    QStringList values;
    for (const char *name : list)
        values.append(QString::fromUtf8(name));
    return values;
}

CatalogueSearch::CatalogueSearch(QString listTemplate, QString labelTitle, QWidget *parent)
    : SearchListWindow(parent), listTemplate_(std::move(listTemplate)), labelTitle_(std::move(labelTitle))
{
}

void CatalogueSearch::configureCatalogue(SearchListConfig config)
{
    config.exportCaption = QStringLiteral("转Excel");
    config.nameColumn = QStringLiteral("名称");
    config.printButtons = {{QStringLiteral("ToolButton6"), QStringLiteral("打印"), [this] { ToolButton6Click(); },
                            QStyle::SP_FileDialogDetailedView},
                           {QStringLiteral("ToolButton9"), QStringLiteral("打印条码"), [this] { ToolButton9Click(); },
                            QStyle::SP_FileDialogInfoView}};
    // The grid shows the listed columns only; the others stay in the rows for the export.
    grid->setShowUnlistedColumns(false);
    configure(sharedDb(), std::move(config));
}

Report CatalogueSearch::listReport() const
{
    Report report(ReportTemplate::load(listTemplate_));
    report.setRows(reportRows(database(), resultStatement()));
    return report;
}

Report CatalogueSearch::labelReport() const
{
    Report report(ReportTemplate::load(QStringLiteral("booklabels")));
    report.setTitle(labelTitle_);
    report.setRows(reportRows(database(), resultStatement()));
    return report;
}

void CatalogueSearch::ToolButton6Click() { TReportPreviewFm::showReport(listReport(), this); }

void CatalogueSearch::ToolButton9Click() { TReportPreviewFm::showReport(labelReport(), this); }
