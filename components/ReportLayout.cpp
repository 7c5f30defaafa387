#include "components/ReportLayout.h"

#include "db/Amounts.h"
#include "db/Money.h"

#include <QRegularExpression>

using db::Money;

namespace {

struct Place {
    int page = 0;
    const ReportRow *row = nullptr;
    const QList<int> *pageRows = nullptr;
};


Money asMoney(const QVariant &v)
{
    if (v.canConvert<Money>() && v.typeId() == qMetaTypeId<Money>())
        return v.value<Money>();
    if (db::isWholeNumber(v))
        return Money::fromInt(v.toLongLong());
    return Money::fromDouble(v.toDouble());
}

// Money if any value is money, else whole numbers while all are, else floating.
QVariant sumOf(const QList<QVariant> &values)
{
    bool money = false;
    bool whole = true;
    for (const QVariant &v : values) {
        money = money || v.typeId() == qMetaTypeId<Money>();
        whole = whole && (db::isWholeNumber(v) || !v.isValid());
    }
    if (money) {
        Money total;
        for (const QVariant &v : values)
            if (v.isValid())
                total += asMoney(v);
        return QVariant::fromValue(total);
    }
    if (whole) {
        qint64 total = 0;
        for (const QVariant &v : values)
            total += v.toLongLong();
        return QVariant::fromValue(total);
    }
    double total = 0;
    for (const QVariant &v : values)
        total += v.toDouble();
    return total;
}

class Resolver {
public:
    Resolver(const ReportLayout::Input &in) : in_(in) {}

    QString resolve(const QString &text, const Place &place) const
    {
        static const QRegularExpression placeholder(
            QStringLiteral(R"(\{(?:(field|sum|var):([^}|]+)|(date|time|page))(?:\|(\w+))?\})"));
        QString out;
        qsizetype last = 0;
        auto it = placeholder.globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            out += QStringView(text).mid(last, m.capturedStart() - last);
            out += value(m.captured(1).isEmpty() ? m.captured(3) : m.captured(1), m.captured(2), m.captured(4), place);
            last = m.capturedEnd();
        }
        out += QStringView(text).mid(last);
        return out;
    }

    QVariant sum(const QString &field, const QList<int> &rows) const
    {
        QList<QVariant> values;
        for (int r : rows)
            values.append(reportField(in_.rows->at(r), field));
        return sumOf(values);
    }

private:
    QString value(const QString &kind, const QString &name, const QString &format, const Place &place) const
    {
        if (kind == QLatin1String("date"))
            return in_.printed.date().toString(QStringLiteral("yyyy-MM-dd"));
        if (kind == QLatin1String("time"))
            return in_.printed.time().toString(QStringLiteral("hh:mm:ss"));
        if (kind == QLatin1String("page"))
            return QString::number(place.page + 1);
        if (kind == QLatin1String("var"))
            return formatReportValue(in_.variables ? in_.variables->value(name) : QVariant(), format);
        if (kind == QLatin1String("sum"))
            return place.pageRows ? formatReportValue(sum(name, *place.pageRows), format) : QString();
        return place.row ? formatReportValue(reportField(*place.row, name), format) : QString();
    }

    const ReportLayout::Input &in_;
};

class Builder {
public:
    Builder(const ReportLayout::Input &in, ReportLayout &out) : in_(in), out_(out), resolver_(in) {}

    void run()
    {
        const ReportTemplate &t = *in_.tmpl;
        area_ = t.printableArea();
        const ReportBand &data = *t.band(ReportBandKind::Data);
        const ReportBand *foot = t.band(ReportBandKind::PageFooter);
        footTop_ = area_.bottom() - (foot ? foot->height : 0);
        const double width = data.columnWidth > 0 ? data.columnWidth : area_.width();

        startPage();
        int column = 0;
        for (int r = 0; r < in_.rows->size(); ++r) {
            if (column == 0 && y_ + data.height > footTop_) {
                finishPage();
                startPage();
            }
            const QRectF rect(area_.left() + column * (width + data.columnGap), y_, width, data.height);
            place(data, rect, r);
            out_.pages.last().rows.append(r);
            if (++column == data.columns) {
                column = 0;
                y_ += data.height + data.rowGap;
            }
        }
        finishPage();
    }

private:
    void startPage()
    {
        out_.pages.append(LaidPage());
        y_ = area_.top();
        if (out_.pages.size() == 1)
            stack(in_.tmpl->band(ReportBandKind::Title));
        stack(in_.tmpl->band(ReportBandKind::ColumnHeader));
    }

    void finishPage()
    {
        if (const ReportBand *foot = in_.tmpl->band(ReportBandKind::PageFooter))
            place(*foot, QRectF(area_.left(), footTop_, area_.width(), foot->height), -1);
    }

    void stack(const ReportBand *band)
    {
        if (!band)
            return;
        place(*band, QRectF(area_.left(), y_, area_.width(), band->height), -1);
        y_ += band->height;
    }

    void place(const ReportBand &band, const QRectF &rect, int row)
    {
        LaidPage &page = out_.pages.last();
        LaidBand laid{band.kind, rect, row, {}};
        const Place where{int(out_.pages.size()) - 1, row >= 0 ? &in_.rows->at(row) : nullptr, &page.rows};
        for (const ReportObject &o : band.objects) {
            ReportObject placed = o;
            placed.rect.translate(rect.topLeft());
            placed.text = resolver_.resolve(o.text, where);
            if (placed.fontFamily.isEmpty())
                placed.fontFamily = in_.tmpl->fontFamily;
            if (in_.beforePrint)
                in_.beforePrint(placed);
            laid.objects.append(placed);
        }
        page.bands.append(laid);
    }

    const ReportLayout::Input &in_;
    ReportLayout &out_;
    Resolver resolver_;
    QRectF area_;
    double footTop_ = 0;
    double y_ = 0;
};

} // namespace

ReportLayout ReportLayout::compute(const Input &input)
{
    ReportLayout layout;
    layout.pageSize = input.tmpl->pageSize;
    layout.rows_ = *input.rows;
    Builder(input, layout).run();
    return layout;
}

QVariant ReportLayout::pageSum(int page, const QString &field) const
{
    QList<QVariant> values;
    for (int r : pages.at(page).rows)
        values.append(reportField(rows_.at(r), field));
    return sumOf(values);
}

QVariant reportField(const ReportRow &row, const QString &name)
{
    const auto exact = row.constFind(name);
    if (exact != row.constEnd())
        return exact.value();
    for (auto it = row.constBegin(); it != row.constEnd(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    return {};
}

QString formatReportValue(const QVariant &value, const QString &format)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.typeId() == qMetaTypeId<Money>())
        return format == QLatin1String("plain") ? value.value<Money>().toPlainString() : value.value<Money>().toString(2);
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime:
        return value.toDateTime().date().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("是") : QStringLiteral("否");
    case QMetaType::Double:
        if (format == QLatin1String("money"))
            return Money::fromDouble(value.toDouble()).toString(2);
        if (format == QLatin1String("integer"))
            return QString::number(qRound64(value.toDouble()));
        return QString::number(value.toDouble(), 'g', 15);
    default:
        break;
    }
    if (db::isWholeNumber(value))
        return format == QLatin1String("money") ? Money::fromInt(value.toLongLong()).toString(2)
                                                : QString::number(value.toLongLong());
    if (format == QLatin1String("date") && value.canConvert<QDate>() && value.toDate().isValid())
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    return value.toString();
}
