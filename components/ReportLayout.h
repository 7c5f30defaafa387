#pragma once

#include "components/ReportRows.h"
#include "components/ReportTemplate.h"

#include <QDateTime>
#include <QList>
#include <QVariant>
#include <functional>

// Called for every object as it is placed, with its printed text already filled in; a window
// may change the text (the library name on a reader card).
using ReportBeforePrint = std::function<void(ReportObject &object)>;

struct LaidBand {
    ReportBandKind kind = ReportBandKind::Data;
    QRectF rect; // on the page, report units
    int row = -1; // the data row a data band prints
    QList<ReportObject> objects; // rects on the page, texts as printed
};

struct LaidPage {
    QList<LaidBand> bands;
    QList<int> rows; // the data rows printed on this page, in order
};

// Where everything goes, computed without a paint device: pages, bands, objects and texts.
class ReportLayout {
public:
    struct Input {
        const ReportTemplate *tmpl = nullptr;
        const QList<ReportRow> *rows = nullptr;
        const QVariantHash *variables = nullptr;
        QDateTime printed;
        ReportBeforePrint beforePrint;
    };

    static ReportLayout compute(const Input &input);

    QSizeF pageSize;
    QList<LaidPage> pages;

    // The sum of a field over the rows printed on a page: db::Money, qint64 or double.
    QVariant pageSum(int page, const QString &field) const;

private:
    QList<ReportRow> rows_;
};

// A value as a report prints it; format "money" (two decimals), "date" (yyyy-MM-dd),
// "integer", or empty for the value's own kind.
QString formatReportValue(const QVariant &value, const QString &format);
// A field of a row by name, the exact name first, then without regard to case.
QVariant reportField(const ReportRow &row, const QString &name);
