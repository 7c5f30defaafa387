#pragma once

#include "components/ReportLayout.h"
#include "components/ReportTemplate.h"

#include <QDateTime>
#include <QImage>
#include <QVariantHash>
#include <optional>

class QPainter;

// A template filled with rows: rows first, then one layout feeds the preview, the PDF and the
// printer.
//   Report report(ReportTemplate::load("booklist"));
//   report.setRows(reportRows(db, sql));
//   report.layout();
//   TReportPreviewFm::showReport(report, this);
class Report {
public:
    explicit Report(ReportTemplate tmpl);

    void setRows(QList<ReportRow> rows);
    void setVariable(const QString &name, const QVariant &value);
    void setBeforePrint(ReportBeforePrint hook);
    // The date and time the report prints; by default the moment layout() runs.
    void setPrintTime(const QDateTime &printed);

    // Lays the report out afresh from the rows, variables and hook.
    const ReportLayout &layout();
    // The last layout; lays out first when there is none.
    const ReportLayout &pages();
    int pageCount();

    const ReportTemplate &reportTemplate() const { return tmpl_; }
    const QList<ReportRow> &rows() const { return rows_; }

    // Paints page `index` filling the painter's device (a page of paper, PDF or image).
    void renderPage(int index, QPainter &painter);
    // Page `index` as a white image at `dpi` dots per inch.
    QImage pageImage(int index, double dpi);
    // Throws ReportError when the file cannot be written.
    void savePdf(const QString &path);
    // Prints every page on the named printer (empty: the default one); throws ReportError when
    // there is no such printer or it cannot start.
    void print(const QString &printerName);

private:
    ReportTemplate tmpl_;
    QList<ReportRow> rows_;
    QVariantHash variables_;
    ReportBeforePrint beforePrint_;
    QDateTime printed_;
    std::optional<ReportLayout> layout_;
};
