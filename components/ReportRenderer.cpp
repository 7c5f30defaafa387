#include "components/ReportRenderer.h"

#include "components/Barcode.h"

#include <QPaintDevice>
#include <QPainter>

namespace {

constexpr double ReportDpi = 96;
constexpr double TextPadding = 2;

void paintText(const ReportObject &o, QPainter &painter)
{
    if (o.background.isValid())
        painter.fillRect(o.rect, o.background);
    if (o.frame) {
        painter.setPen(QPen(Qt::black, o.lineWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(o.rect);
    }
    painter.setPen(Qt::black);
    painter.setFont(ReportRenderer::fontFor(o, painter));
    const int flags = int(o.align) | (o.wrap ? Qt::TextWordWrap : 0);
    painter.drawText(o.rect.adjusted(TextPadding, 0, -TextPadding, 0), flags, o.text);
}

} // namespace

QFont ReportRenderer::fontFor(const ReportObject &object, const QPainter &painter)
{
    QFont font(object.fontFamily);
    // The transform already scales report units to the device; undo the device's own scaling.
    const double dpi = painter.device() ? painter.device()->logicalDpiY() : ReportDpi;
    font.setPointSizeF(object.fontSize * ReportDpi / dpi);
    font.setBold(object.bold);
    font.setItalic(object.italic);
    return font;
}

void ReportRenderer::paintObject(const ReportObject &o, QPainter &painter)
{
    painter.save();
    switch (o.kind) {
    case ReportObject::Kind::Text:
        paintText(o, painter);
        break;
    case ReportObject::Kind::Line:
        painter.setPen(QPen(Qt::black, o.lineWidth));
        painter.drawLine(o.rect.topLeft(), o.rect.bottomRight());
        break;
    case ReportObject::Kind::Box:
        painter.setPen(QPen(Qt::black, o.lineWidth));
        painter.setBrush(o.background.isValid() ? QBrush(o.background) : QBrush(Qt::NoBrush));
        painter.drawRect(o.rect);
        break;
    case ReportObject::Kind::Barcode:
        Barcode::code128(o.text).draw(painter, o.rect, o.moduleWidth, o.showText, fontFor(o, painter));
        break;
    }
    painter.restore();
}

void ReportRenderer::paintPage(const LaidPage &page, QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const LaidBand &band : page.bands)
        for (const ReportObject &o : band.objects)
            paintObject(o, painter);
}
