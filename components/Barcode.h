#pragma once

#include <QFont>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPaintDevice;
class QPainter;

// A Code 128 symbol made by zint: code sets chosen by zint (so lower case and digits pack as
// they should), check character included. A value Code 128 cannot carry (Chinese text) gives
// an invalid symbol, which draws its text with a mark instead of bars.
class Barcode {
public:
    struct Bar {
        double start; // in modules from the left edge
        double width;
    };

    static Barcode code128(const QString &value);

    bool isValid() const { return errorText_.isEmpty(); }
    const QString &value() const { return value_; }
    const QString &errorText() const { return errorText_; }
    int modules() const { return modules_; }
    const QList<Bar> &bars() const { return bars_; }

    // Bars of `moduleWidth` (narrowed when the symbol would not fit the box), centred, with the
    // value printed under them when `showText` (in a smaller font when it would not fit); the
    // mark and the value for an invalid symbol. Nothing is drawn outside the box.
    void draw(QPainter &painter, const QRectF &box, double moduleWidth, bool showText, const QFont &font) const;

    // What an invalid symbol prints before its value.
    static QString markText();

private:
    void drawBars(QPainter &painter, const QRectF &box, double moduleWidth, bool showText, const QFont &font) const;
    void drawMark(QPainter &painter, const QRectF &box, const QFont &font) const;
    QFont fittedFont(const QFont &font, const QSizeF &room, const QPaintDevice *device) const;

    QString value_;
    QString errorText_;
    int modules_ = 0;
    QList<Bar> bars_;
};
