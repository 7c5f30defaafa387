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
//   TReportPreviewFm::showReport(std::move(report), this);
class Report {
public:
    explicit Report(ReportTemplate tmpl);

    void setRows(QList<ReportRow> rows);
    void setVariable(const QString &name, const QVariant &value);
    void setBeforePrint(ReportBeforePrint hook);
    // The date and time the report prints; by default the platform's clock when layout() runs.
    void setPrintTime(const QDateTime &printed);
    // The title a window gives this printing; by default the template's.
    void setTitle(const QString &title);
    // The Chinese title ("逾期借阅记录"): the suggested PDF name and the printed document's name.
    QString title() const;

    // Lays the report out afresh from the rows, variables and hook.
    const ReportLayout &layout();
    // The last layout; lays out first when there is none.
    const ReportLayout &pages() const;
    int pageCount() const;

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
    ReportLayout compute() const;

    ReportTemplate tmpl_;
    QList<ReportRow> rows_;
    QVariantHash variables_;
    QString title_;
    ReportBeforePrint beforePrint_;
    QDateTime printed_;
    // A cache of what the rows, variables and hook give; reset whenever one of them changes.
    mutable std::optional<ReportLayout> layout_;
};
