#include "components/ReportTemplate.h"

#include "common/ProgramFolder.h"
#include "components/ReportError.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr double UnitsPerMm = 96.0 / 25.4;

[[noreturn]] void refuse(const QString &origin, const QString &why)
{
    throw ReportError(QStringLiteral("报表模板 %1 有误: %2").arg(origin, why));
}

QSizeF pageSizeOf(const QJsonObject &page, const QString &origin)
{
    static const QHash<QString, QSizeF> sizes{
        {QStringLiteral("A4"), QSizeF(210 * UnitsPerMm, 297 * UnitsPerMm)},
        {QStringLiteral("A5"), QSizeF(148 * UnitsPerMm, 210 * UnitsPerMm)},
    };
    QSizeF size;
    if (page.contains(QLatin1String("width")))
        size = QSizeF(page.value(QLatin1String("width")).toDouble(), page.value(QLatin1String("height")).toDouble());
    else
        size = sizes.value(page.value(QLatin1String("size")).toString(QStringLiteral("A4")));
    if (size.isEmpty())
        refuse(origin, QStringLiteral("页面大小"));
    if (page.value(QLatin1String("orientation")).toString() == QLatin1String("landscape"))
        size.transpose();
    return size;
}

QMarginsF marginsOf(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double m = value.toDouble();
        return {m, m, m, m};
    }
    const QJsonObject o = value.toObject();
    return {o.value(QLatin1String("left")).toDouble(38), o.value(QLatin1String("top")).toDouble(38),
            o.value(QLatin1String("right")).toDouble(38), o.value(QLatin1String("bottom")).toDouble(38)};
}

Qt::Alignment alignmentOf(const QString &align)
{
    if (align == QLatin1String("center"))
        return Qt::AlignHCenter | Qt::AlignVCenter;
    if (align == QLatin1String("right"))
        return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// The shorthand kinds are text objects with one placeholder.
QString shorthandText(const QString &type, const QJsonObject &o)
{
    const QString format = o.value(QLatin1String("format")).toString();
    const QString suffix = format.isEmpty() ? QString() : QLatin1Char('|') + format;
    if (type == QLatin1String("field"))
        return QStringLiteral("{field:%1%2}").arg(o.value(QLatin1String("field")).toString(), suffix);
    if (type == QLatin1String("sum"))
        return QStringLiteral("{sum:%1%2}").arg(o.value(QLatin1String("field")).toString(), suffix);
    if (type == QLatin1String("variable"))
        return QStringLiteral("{var:%1%2}").arg(o.value(QLatin1String("variable")).toString(), suffix);
    if (type == QLatin1String("date") || type == QLatin1String("time") || type == QLatin1String("page"))
        return QLatin1Char('{') + type + QLatin1Char('}');
    return o.value(QLatin1String("text")).toString();
}

ReportObject objectOf(const QJsonObject &o, const QString &origin)
{
    static const QHash<QString, ReportObject::Kind> kinds{
        {QStringLiteral("text"), ReportObject::Kind::Text},     {QStringLiteral("field"), ReportObject::Kind::Text},
        {QStringLiteral("sum"), ReportObject::Kind::Text},      {QStringLiteral("variable"), ReportObject::Kind::Text},
        {QStringLiteral("date"), ReportObject::Kind::Text},     {QStringLiteral("time"), ReportObject::Kind::Text},
        {QStringLiteral("page"), ReportObject::Kind::Text},     {QStringLiteral("line"), ReportObject::Kind::Line},
        {QStringLiteral("box"), ReportObject::Kind::Box},       {QStringLiteral("barcode"), ReportObject::Kind::Barcode},
    };
    const QString type = o.value(QLatin1String("type")).toString(QStringLiteral("text"));
    if (!kinds.contains(type))
        refuse(origin, QStringLiteral("未知的对象类型 \"%1\"").arg(type));
    ReportObject obj;
    obj.kind = kinds.value(type);
    obj.name = o.value(QLatin1String("name")).toString();
    obj.rect = QRectF(o.value(QLatin1String("x")).toDouble(), o.value(QLatin1String("y")).toDouble(),
                      o.value(QLatin1String("width")).toDouble(), o.value(QLatin1String("height")).toDouble());
    obj.text = obj.kind == ReportObject::Kind::Barcode
                   ? QStringLiteral("{field:%1}").arg(o.value(QLatin1String("field")).toString())
                   : shorthandText(type, o);
    if (obj.kind == ReportObject::Kind::Barcode && o.contains(QLatin1String("text")))
        obj.text = o.value(QLatin1String("text")).toString();
    obj.fontFamily = o.value(QLatin1String("font")).toString();
    obj.fontSize = o.value(QLatin1String("fontSize")).toDouble(10);
    obj.bold = o.value(QLatin1String("bold")).toBool();
    obj.italic = o.value(QLatin1String("italic")).toBool();
    obj.align = alignmentOf(o.value(QLatin1String("align")).toString());
    obj.wrap = o.value(QLatin1String("wrap")).toBool();
    obj.frame = o.value(QLatin1String("frame")).toBool();
    if (o.contains(QLatin1String("background")))
        obj.background = QColor(o.value(QLatin1String("background")).toString());
    obj.lineWidth = o.value(QLatin1String("lineWidth")).toDouble(1);
    obj.moduleWidth = o.value(QLatin1String("moduleWidth")).toDouble(1);
    obj.showText = o.value(QLatin1String("showText")).toBool(true);
    return obj;
}

ReportBand bandOf(const QJsonObject &b, const QString &origin)
{
    static const QHash<QString, ReportBandKind> kinds{
        {QStringLiteral("title"), ReportBandKind::Title},
        {QStringLiteral("columnHeader"), ReportBandKind::ColumnHeader},
        {QStringLiteral("data"), ReportBandKind::Data},
        {QStringLiteral("label"), ReportBandKind::Data},
        {QStringLiteral("pageFooter"), ReportBandKind::PageFooter},
    };
    const QString type = b.value(QLatin1String("type")).toString();
    if (!kinds.contains(type))
        refuse(origin, QStringLiteral("未知的区域类型 \"%1\"").arg(type));
    ReportBand band;
    band.kind = kinds.value(type);
    band.height = b.value(QLatin1String("height")).toDouble();
    band.columns = qMax(1, b.value(QLatin1String("columns")).toInt(1));
    band.columnWidth = b.value(QLatin1String("width")).toDouble();
    band.columnGap = b.value(QLatin1String("columnGap")).toDouble();
    band.rowGap = b.value(QLatin1String("rowGap")).toDouble();
    if (band.height <= 0)
        refuse(origin, QStringLiteral("区域 \"%1\" 的高度").arg(type));
    for (const QJsonValue &o : b.value(QLatin1String("objects")).toArray())
        band.objects.append(objectOf(o.toObject(), origin));
    return band;
}

QString bandName(ReportBandKind kind)
{
    switch (kind) {
    case ReportBandKind::Title:
        return QStringLiteral("标题");
    case ReportBandKind::ColumnHeader:
        return QStringLiteral("列标题");
    case ReportBandKind::Data:
        return QStringLiteral("数据");
    case ReportBandKind::PageFooter:
        return QStringLiteral("页脚");
    }
    return {};
}

// Labels side by side must fit across the page, and every object inside its own band or label:
// whatever sticks out prints over the neighbouring label or off the paper.
void checkFits(const ReportBand &band, double pageWidth, const QString &origin)
{
    constexpr double Slack = 0.5; // rounding in hand-edited templates
    const double width = band.columnWidth > 0 ? band.columnWidth : pageWidth;
    const double across = band.columns * width + (band.columns - 1) * band.columnGap;
    if (across > pageWidth + Slack)
        refuse(origin, QStringLiteral("%1 列标签共宽 %2，超过页面可打印的宽度 %3")
                           .arg(band.columns)
                           .arg(across)
                           .arg(pageWidth, 0, 'f', 1));
    // By coordinates: QRectF::contains counts a rule (height 0) as inside nothing.
    const auto inside = [&](const QRectF &r) {
        return r.left() >= -Slack && r.top() >= -Slack && r.right() <= width + Slack && r.bottom() <= band.height + Slack;
    };
    for (const ReportObject &o : band.objects)
        if (!inside(o.rect.normalized()))
            refuse(origin, QStringLiteral("%1区域的对象 \"%2\" 超出区域")
                               .arg(bandName(band.kind), o.name.isEmpty() ? o.text : o.name));
}

} // namespace

ReportTemplate ReportTemplate::load(const QString &name)
{
    return fromFile(QDir(programFolder()).filePath(QStringLiteral("reports/%1.json").arg(name)));
}

ReportTemplate ReportTemplate::fromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("找不到报表模板 %1").arg(QDir::toNativeSeparators(path)));
    return fromJson(file.readAll(), QDir::toNativeSeparators(path));
}

ReportTemplate ReportTemplate::fromJson(const QByteArray &json, const QString &origin)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (!doc.isObject())
        refuse(origin, error.errorString());
    const QJsonObject root = doc.object();
    ReportTemplate t;
    t.name = root.value(QLatin1String("name")).toString();
    t.title = root.value(QLatin1String("title")).toString();
    const QJsonObject page = root.value(QLatin1String("page")).toObject();
    t.pageSize = pageSizeOf(page, origin);
    if (page.contains(QLatin1String("margins")))
        t.margins = marginsOf(page.value(QLatin1String("margins")));
    t.fontFamily = root.value(QLatin1String("font")).toString(t.fontFamily);
    for (const QJsonValue &b : root.value(QLatin1String("bands")).toArray())
        t.bands.append(bandOf(b.toObject(), origin));
    if (!t.band(ReportBandKind::Data))
        refuse(origin, QStringLiteral("没有数据区域"));
    const QRectF area = t.printableArea();
    double fixed = 0;
    for (const ReportBand &b : t.bands)
        if (b.kind != ReportBandKind::Data)
            fixed += b.height;
    // A data band that can never fit would otherwise page forever.
    if (area.isEmpty() || fixed + t.band(ReportBandKind::Data)->height > area.height())
        refuse(origin, QStringLiteral("区域高度超过页面"));
    for (const ReportBand &b : t.bands)
        checkFits(b, area.width(), origin);
    return t;
}

const ReportBand *ReportTemplate::band(ReportBandKind kind) const
{
    for (const ReportBand &b : bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

QRectF ReportTemplate::printableArea() const
{
    return QRectF(QPointF(0, 0), pageSize).marginsRemoved(margins);
}
