#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>

// Kinds of band. A data band with more than one column is a label band.
enum class ReportBandKind { Title, ColumnHeader, Data, PageFooter };

// One printed object. Positions are report units (96 per inch): relative to the band in a
// template, relative to the page once laid out.
struct ReportObject {
    enum class Kind { Text, Line, Box, Barcode };
    Kind kind = Kind::Text;
    QString name;
    QRectF rect;
    // Template: the text with its placeholders ({field:名称}, {date}, {sum:价格|money}, ...);
    // laid out: the text as printed. For a barcode, the value to encode.
    QString text;
    QString fontFamily;
    double fontSize = 10; // points
    bool bold = false;
    bool italic = false;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool wrap = false;
    bool frame = false;
    QColor background; // invalid: none
    double lineWidth = 1;
    // Barcode
    double moduleWidth = 1;
    bool showText = true;
};

struct ReportBand {
    ReportBandKind kind = ReportBandKind::Data;
    double height = 0;
    int columns = 1;
    double columnWidth = 0; // label width; 0: the page's width
    double columnGap = 0;
    double rowGap = 0;
    QList<ReportObject> objects;
};

// A report's page and bands, read from a JSON file a person can adjust (see reports/README.md).
class ReportTemplate {
public:
    // programFolder()/reports/<name>.json; throws ReportError when missing or malformed.
    static ReportTemplate load(const QString &name);
    static ReportTemplate fromFile(const QString &path);
    static ReportTemplate fromJson(const QByteArray &json, const QString &origin);

    QString name;
    // The report's Chinese title: the suggested file name when it is saved, the document's name
    // when it prints. Not printed on the page; a template without one goes by its name.
    QString title;
    QSizeF pageSize{793.7, 1122.5}; // A4 portrait
    QMarginsF margins{38, 38, 38, 38};
    QString fontFamily = QStringLiteral("WenQuanYi Micro Hei");
    QList<ReportBand> bands;

    const ReportBand *band(ReportBandKind kind) const;
    QRectF printableArea() const;
};
