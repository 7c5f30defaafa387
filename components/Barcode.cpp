#include "components/Barcode.h"

#include <QFontMetricsF>
#include <QPainter>
#include <memory>
#include <zint.h>

namespace {

struct SymbolDeleter {
    void operator()(zint_symbol *s) const { ZBarcode_Delete(s); }
};
using Symbol = std::unique_ptr<zint_symbol, SymbolDeleter>;

} // namespace

Barcode Barcode::code128(const QString &value)
{
    Barcode code;
    code.value_ = value;
    if (value.isEmpty()) {
        code.errorText_ = QStringLiteral("空值");
        return code;
    }
    Symbol symbol(ZBarcode_Create());
    symbol->symbology = BARCODE_CODE128;
    symbol->input_mode = UNICODE_MODE;
    symbol->show_hrt = 0; // the text is drawn by us, in the report's font
    const QByteArray utf8 = value.toUtf8();
    const int encoded = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char *>(utf8.constData()),
                                        int(utf8.size()));
    if (encoded >= ZINT_ERROR || ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR) {
        code.errorText_ = QString::fromUtf8(symbol->errtxt);
        return code;
    }
    code.modules_ = symbol->width;
    const double unit = symbol->vector->width / symbol->width;
    for (const zint_vector_rect *r = symbol->vector->rectangles; r; r = r->next)
        code.bars_.append({r->x / unit, r->width / unit});
    return code;
}

QString Barcode::markText() { return QStringLiteral("〔无法生成条码〕"); }

void Barcode::draw(QPainter &painter, const QRectF &box, double moduleWidth, bool showText, const QFont &font) const
{
    painter.save();
    if (isValid())
        drawBars(painter, box, moduleWidth, showText, font);
    else
        drawMark(painter, box, font);
    painter.restore();
}

// The readable text at the object's size, or smaller when the value is wider than the bars' box
// (or taller than a third of it): a text left larger than its box would print over the next label.
QFont Barcode::fittedFont(const QFont &font, const QSizeF &room, const QPaintDevice *device) const
{
    const QFontMetricsF metrics(font, device);
    const double advance = metrics.horizontalAdvance(value_);
    const double scale = qMin(advance > 0 ? room.width() / advance : 1.0, room.height() / metrics.height());
    if (scale >= 1)
        return font;
    QFont smaller = font;
    smaller.setPointSizeF(font.pointSizeF() * scale * 0.98); // glyph sizes do not scale exactly
    return smaller;
}

void Barcode::drawBars(QPainter &painter, const QRectF &box, double moduleWidth, bool showText, const QFont &font) const
{
    // A symbol wider than its box would run into the next label and scan as neither.
    const double module = qMin(moduleWidth, box.width() / modules_);
    const QFont textFont = showText ? fittedFont(font, QSizeF(box.width(), box.height() / 3), painter.device()) : font;
    const double textHeight = showText ? QFontMetricsF(textFont, painter.device()).height() : 0;
    const double left = box.left() + (box.width() - module * modules_) / 2;
    const double barHeight = box.height() - textHeight;
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const Bar &bar : bars_)
        painter.drawRect(QRectF(left + bar.start * module, box.top(), bar.width * module, barHeight));
    if (showText) {
        painter.setFont(textFont);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(box.left(), box.top() + barHeight, box.width(), textHeight),
                         Qt::AlignHCenter | Qt::AlignVCenter, value_);
    }
}

void Barcode::drawMark(QPainter &painter, const QRectF &box, const QFont &font) const
{
    QPen dashed(Qt::black, 1, Qt::DashLine);
    painter.setPen(dashed);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5)); // the pen's width inside the box
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, markText() + QLatin1Char('\n') + value_);
}
