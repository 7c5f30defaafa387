#include "catalogue/BookImport.h"

#include "db/Amounts.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Money.h"
#include "db/Transaction.h"

#include <QDate>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <stdexcept>

namespace {

QString decodeSheetText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    QStringDecoder gbk("GB18030");
    if (!gbk.isValid())
        throw std::runtime_error("文件不是UTF-8编码, 本系统也无法读取GBK编码。");
    return gbk.decode(bytes);
}

QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> lines;
    QStringList line;
    QString cell;
    bool quoted = false;
    bool lineHasContent = false;
    const auto endCell = [&] {
        line.append(cell);
        cell.clear();
    };
    const auto endLine = [&] {
        endCell();
        lines.append(line);
        line.clear();
        lineHasContent = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    cell.append(c);
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cell.append(c);
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            quoted = true;
            lineHasContent = true;
        } else if (c == QLatin1Char(',')) {
            endCell();
            lineHasContent = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endLine();
        } else {
            cell.append(c);
            lineHasContent = true;
        }
    }
    if (lineHasContent || !cell.isEmpty() || !line.isEmpty())
        endLine();
    return lines;
}

// Cells after the last one with text, and lines after the last one with text, are not part of
// the sheet, as a spreadsheet program does not count them in its used range.
void dropTrailingEmpties(QList<QStringList> &lines)
{
    for (QStringList &line : lines)
        while (!line.isEmpty() && line.last().isEmpty())
            line.removeLast();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
}

// The columns of 图书 a sheet's columns fill, by position; list B shows them by these names.
const char *const Columns[] = {"编号",   "条形码",   "名称",     "分类",     "出版社", "作者",
                               "价格",   "ISBN",     "数量",     "存放位置", "分类号", "简介",
                               "二级分类", "出版时间", "页数",     "译者",     "版次",   "索书号"};
constexpr int ColumnCount = int(std::size(Columns));

// A price as the sheet gives it. A computed one with more decimals than money holds (=10/3 shows
// 3.33333333333333) is rounded half away from zero to four, as a currency column rounds the
// text it is given.
std::optional<db::Money> sheetPrice(const QString &text)
{
    if (std::optional<db::Money> exact = db::Money::parse(text))
        return exact;
    const QString trimmed = text.trimmed();
    const qsizetype point = trimmed.indexOf(QLatin1Char('.'));
    if (point < 0 || trimmed.size() - point - 1 <= 4)
        return std::nullopt;
    const QString dropped = trimmed.mid(point + 5);
    if (!std::all_of(dropped.begin(), dropped.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; }))
        return std::nullopt;
    std::optional<db::Money> kept = db::Money::parse(trimmed.left(point + 5));
    if (kept && dropped.at(0) >= u'5') {
        const db::Money step = db::Money::fromRaw(1);
        *kept = trimmed.contains(QLatin1Char('-')) ? *kept - step : *kept + step;
    }
    return kept;
}

// A count or a page number as the sheet gives it: 1600, and as a comma-separated file shows a
// formatted cell, 1,600 or 2.00; a fraction (2.5) is no whole number.
std::optional<int> sheetWholeNumber(const QString &text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (ok)
        return n;
    static const QRegularExpression formatted(QStringLiteral("^([+-]?(?:\\d+|\\d{1,3}(?:,\\d{3})+))(?:\\.0*)?$"));
    const QRegularExpressionMatch m = formatted.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const int whole = m.captured(1).remove(QLatin1Char(',')).toInt(&ok);
    return ok ? std::optional<int>(whole) : std::nullopt;
}

class LineRefused : public std::runtime_error {
public:
    explicit LineRefused(const QString &reason) : std::runtime_error("line refused"), reason(reason) {}
    QString reason;
};

// The columns a line fills: the sheet's eighteen, then the two every new book starts with.
const QStringList &insertedColumns()
{
    static const QStringList names = [] {
        QStringList list;
        for (const char *column : Columns)
            list.append(QString::fromUtf8(column));
        return list << QStringLiteral("借出次数") << QStringLiteral("状态");
    }();
    return names;
}

// The values of one data line, each typed by its column; a value its column cannot take refuses
// the line. An empty count or price is 0, as the columns' defaults are; an empty date stays empty.
QVariantList lineValues(const QStringList &cells, const QString &number)
{
    QVariantList values;
    values.reserve(ColumnCount + 2);
    for (int k = 0; k < ColumnCount; ++k) {
        const QString &column = insertedColumns().at(k);
        const QString value = k == 0 ? number : cells.value(k);
        const bool empty = value.trimmed().isEmpty();
        if (column == QStringLiteral("价格")) {
            const std::optional<db::Money> price = empty ? db::Money() : sheetPrice(value);
            if (!price)
                throw LineRefused(QStringLiteral("价格\"%1\"不是数字").arg(value));
            values.append(QVariant::fromValue(*price));
        } else if (column == QStringLiteral("数量") || column == QStringLiteral("页数")) {
            const std::optional<int> n = empty ? 0 : sheetWholeNumber(value);
            if (!n)
                throw LineRefused(QStringLiteral("%1\"%2\"不是整数").arg(column, value));
            values.append(*n);
        } else if (column == QStringLiteral("出版时间")) {
            const QDate date = db::dateFromText(value, u"-/.");
            if (!empty && !date.isValid())
                throw LineRefused(QStringLiteral("出版时间\"%1\"不是可识别的日期(如2008-8-8)").arg(value));
            values.append(empty ? QVariant() : QVariant(date));
        } else {
            values.append(value);
        }
    }
    values.append(0);
    values.append(QStringLiteral("正常"));
    return values;
}

bool numberStored(db::Database &database, const QString &number)
{
    db::Rows rows = database.select(db::Sql("select count(*) as n from 图书 where 编号=") + db::Sql::text(number));
    return rows.next() && rows.integer(QStringLiteral("n")) > 0;
}

} // namespace

SheetLines readCsvSheet(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("无法打开文件 %1: %2").arg(path, file.errorString()).toStdString());
    SheetLines sheet;
    sheet.lines = parseCsv(decodeSheetText(file.readAll()));
    dropTrailingEmpties(sheet.lines);
    for (const QStringList &line : sheet.lines)
        sheet.columns = std::max(sheet.columns, int(line.size()));
    return sheet;
}

QStringList importColumns() { return insertedColumns().mid(0, ColumnCount); }

ImportResult importBooks(db::Database &database, const SheetLines &sheet, bool autoNumber,
                         const std::function<void(int line)> &progress)
{
    ImportResult result;
    QHash<QString, int> imported; // 编号 -> the line that stored it
    db::Transaction transaction(database);
    db::PreparedInsert insert(database, QStringLiteral("图书"), insertedColumns());
    for (qsizetype i = 1; i < sheet.lines.size(); ++i) {
        const int line = int(i) + 1;
        if (progress)
            progress(line);
        const QStringList &cells = sheet.lines.at(i);
        const QString number = autoNumber ? QString::number(line) : cells.value(0);
        try {
            if (number.trimmed().isEmpty())
                throw LineRefused(QStringLiteral("缺少编号"));
            if (cells.value(2).trimmed().isEmpty())
                throw LineRefused(QStringLiteral("缺少名称"));
            if (const int earlier = imported.value(number); earlier > 0)
                throw LineRefused(QStringLiteral("编号\"%1\"与第%2行重复").arg(number).arg(earlier));
            const QVariantList values = lineValues(cells, number);
            db::Savepoint savepoint(database);
            try {
                insert.insert(values);
            } catch (const db::DbError &e) {
                throw LineRefused(QStringLiteral("数据库拒绝: %1").arg(e.text()));
            }
            savepoint.release();
            imported.insert(number, line);
            ++result.imported;
        } catch (const LineRefused &refused) {
            QString reason = refused.reason;
            if (reason.startsWith(QStringLiteral("数据库拒绝")) && numberStored(database, number))
                reason = QStringLiteral("编号\"%1\"在图书中已存在").arg(number);
            result.failures.append({line, reason});
        }
    }
    transaction.commit();
    return result;
}
