#include "catalogue/Workbook.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPair>
#include <QRegularExpression>
#include <QtEndian>
#include <QXmlStreamReader>
#include <freexl.h>
#include <unzip.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace {

[[noreturn]] void refuse(const QString &reason)
{
    throw std::runtime_error(reason.toStdString());
}

QString shownName(const QString &path)
{
    return QFileInfo(path).fileName();
}

[[noreturn]] void notAWorkbook(const QString &path)
{
    refuse(QStringLiteral("%1 不是Excel工作簿, 无法读取。").arg(shownName(path)));
}

[[noreturn]] void damaged(const QString &path)
{
    refuse(QStringLiteral("工作簿 %1 已损坏, 无法读取。请在电子表格程序中打开并另存后再导入。").arg(shownName(path)));
}

[[noreturn]] void encrypted(const QString &path)
{
    refuse(QStringLiteral("工作簿 %1 设有密码(已加密), 无法读取。请在电子表格程序中去掉密码另存后再导入。").arg(shownName(path)));
}

// The first bytes of the file; an empty or unreadable file is refused here.
QByteArray fileStart(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        refuse(QStringLiteral("无法打开文件 %1: %2").arg(path, file.errorString()));
    if (file.size() == 0)
        refuse(QStringLiteral("文件 %1 是空的(0字节), 不是工作簿。").arg(shownName(path)));
    return file.read(8);
}

const QByteArray ZipSignature("PK\x03\x04", 4);
const QByteArray CompoundSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// Office keeps a workbook with an opening password as an encrypted package inside a compound
// file, whatever its extension.
bool encryptedPackage(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString name = QStringLiteral("EncryptedPackage");
    const QByteArray utf16(reinterpret_cast<const char *>(name.utf16()), name.size() * 2);
    return file.readAll().contains(utf16);
}

// ---------------------------------------------------------------------------------------------
// Cells as a user reads them

// A number in a cell without a date format: up to fifteen significant digits, no trailing zeros.
QString numberText(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    if (std::abs(value) < 1e15 && value == std::trunc(value))
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

// A date serial: days since 1899-12-30 (Excel counts a 29 February 1900 that never was, so the
// days before it start a day later) or since 1904-01-01; the fraction is the time of day.
QDateTime serialDateTime(double serial, bool date1904)
{
    const double days = std::floor(serial);
    qint64 seconds = std::llround((serial - days) * 86400.0);
    QDate date;
    if (date1904)
        date = QDate(1904, 1, 1).addDays(qint64(days));
    else if (days < 60)
        date = QDate(1899, 12, 31).addDays(qint64(days));
    else
        date = QDate(1899, 12, 30).addDays(qint64(days));
    if (seconds >= 86400) {
        date = date.addDays(1);
        seconds -= 86400;
    }
    return QDateTime(date, QTime(0, 0).addSecs(int(seconds)), Qt::UTC); // no daylight-saving gap
}

QString dateTimeText(const QDateTime &at, bool showTime)
{
    if (showTime && at.time() != QTime(0, 0))
        return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return at.date().toString(QStringLiteral("yyyy-MM-dd"));
}

// What a number format shows: dates and times by their codes, the rest as plain numbers.
struct NumberFormat {
    bool date = false;
    bool time = false;
    QStringList literal; // sections made of quoted text only (e.g. "TRUE";"TRUE";"FALSE")
};

bool isBuiltInDate(int id)
{
    return (id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58);
}

bool isBuiltInTime(int id)
{
    return (id >= 18 && id <= 22) || (id >= 45 && id <= 47);
}

// The sections of a format code, split at semicolons outside quotes.
QStringList formatSections(const QString &code)
{
    QStringList sections{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('\\') && i + 1 < code.size()) {
            sections.last() += c;
            sections.last() += code.at(++i);
            continue;
        } else if (!quoted && c == QLatin1Char(';')) {
            sections.append(QString());
            continue;
        }
        sections.last() += c;
    }
    return sections;
}

// A section's codes in lower case without its quoted text, escaped characters, brackets ([Red],
// [$-804], [DBNum1]), padding and fill characters.
struct SectionCodes {
    QString codes;
    bool elapsedTime = false; // [h], [mm], [ss]
    bool quotedOnly = false;  // quoted text was all it had
};

SectionCodes sectionCodes(const QString &section)
{
    SectionCodes result;
    bool quoted = false;
    bool sawQuote = false;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section.at(i);
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            sawQuote = true;
        } else if (quoted) {
            continue;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
        } else if (c == QLatin1Char('[')) {
            const qsizetype end = section.indexOf(QLatin1Char(']'), i);
            const QString inside = section.mid(i + 1, end < 0 ? -1 : end - i - 1).toLower();
            if (!inside.isEmpty() && QStringLiteral("hms").contains(inside.at(0))
                && inside.count(inside.at(0)) == inside.size())
                result.elapsedTime = true;
            if (end < 0)
                break;
            i = end;
        } else {
            result.codes += c.toLower();
        }
    }
    result.quotedOnly = sawQuote && result.codes.trimmed().isEmpty();
    return result;
}

NumberFormat numberFormat(int id, const QString &code)
{
    NumberFormat format;
    format.date = isBuiltInDate(id);
    format.time = isBuiltInTime(id);
    if (code.isEmpty())
        return format;
    const QStringList sections = formatSections(code);
    const SectionCodes first = sectionCodes(sections.first());
    const QString codes = QString(first.codes).remove(QStringLiteral("am/pm")).remove(QStringLiteral("a/p"));
    const bool hours = codes.contains(QLatin1Char('h')) || codes.contains(QLatin1Char('s')) || first.elapsedTime;
    const bool days = codes.contains(QLatin1Char('y')) || codes.contains(QLatin1Char('d'));
    const bool months = codes.contains(QLatin1Char('m'));
    format.date = format.date || days || (months && !hours);
    format.time = format.time || hours;
    const bool allQuoted = std::all_of(sections.cbegin(), sections.cend(),
                                       [](const QString &section) { return sectionCodes(section).quotedOnly; });
    if (allQuoted) {
        for (const QString &section : sections)
            format.literal.append(QString(section).remove(QLatin1Char('"')));
    }
    return format;
}

QString formattedNumber(double value, const NumberFormat &format, bool date1904)
{
    if (!format.literal.isEmpty()) {
        const int section = value > 0 ? 0 : value < 0 ? 1 : 2;
        return format.literal.value(section, format.literal.first());
    }
    if (format.date)
        return dateTimeText(serialDateTime(value, date1904), format.time);
    if (format.time)
        return serialDateTime(value, date1904).time().toString(QStringLiteral("HH:mm:ss"));
    return numberText(value);
}

// ---------------------------------------------------------------------------------------------
// The lines of a sheet, cell by cell at their places

class SheetBuilder {
public:
    void set(int row, int column, const QString &text)
    {
        if (text.isEmpty())
            return;
        while (lines_.size() <= row)
            lines_.append(QStringList());
        QStringList &line = lines_[row];
        while (line.size() <= column)
            line.append(QString());
        line[column] = text;
    }

    // Lines and cells after the last one with text are not part of the sheet.
    SheetLines finish()
    {
        SheetLines sheet;
        sheet.lines = std::move(lines_);
        for (const QStringList &line : sheet.lines)
            sheet.columns = std::max(sheet.columns, int(line.size()));
        return sheet;
    }

private:
    QList<QStringList> lines_;
};

// ---------------------------------------------------------------------------------------------
// .xlsx: a zip of XML parts

// Office escapes characters XML cannot carry as _xHHHH_.
QString unescapeOoxml(QString text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    static const QRegularExpression escaped(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    qsizetype last = 0;
    for (QRegularExpressionMatchIterator it = escaped.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        out += QChar(m.captured(1).toUShort(nullptr, 16));
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

// The attribute whatever its namespace (transitional and strict workbooks name them apart).
QString attribute(const QXmlStreamReader &xml, QLatin1String name)
{
    for (const QXmlStreamAttribute &a : xml.attributes())
        if (a.name() == name)
            return a.value().toString();
    return {};
}

// The text of a string item (<si> or <is>): its runs, without the phonetic guide (<rPh>).
QString stringItem(QXmlStreamReader &xml)
{
    QString text;
    for (int depth = 1; depth > 0 && !xml.atEnd();) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement)
            --depth;
        else if (token != QXmlStreamReader::StartElement)
            continue;
        else if (xml.name() == QLatin1String("t"))
            text += xml.readElementText();
        else if (xml.name() == QLatin1String("rPh"))
            xml.skipCurrentElement();
        else
            ++depth; // a run
    }
    return unescapeOoxml(text);
}

// The largest sheet a spreadsheet program makes: XFD1048576.
constexpr int MaxRows = 1048576;
constexpr int MaxColumns = 16384;

// Column index (0 for A) and row index of a reference such as C5.
bool cellReference(QStringView reference, int *column, int *row)
{
    int c = 0;
    qsizetype i = 0;
    for (; i < reference.size() && i < 3 && reference.at(i).isLetter(); ++i)
        c = c * 26 + (reference.at(i).toUpper().unicode() - 'A' + 1);
    bool ok = false;
    const int r = reference.mid(i).toInt(&ok);
    if (i == 0 || !ok || r < 1 || r > MaxRows || c > MaxColumns)
        return false;
    *column = c - 1;
    *row = r - 1;
    return true;
}

// The parts of a zip archive, read with minizip: the zip library libxlsxwriter links too, so that
// the export and the import share one set of zip functions in the program.
class ZipArchive {
public:
    explicit ZipArchive(const QString &path) : zip_(unzOpen64(QFile::encodeName(path).constData())) {}
    ~ZipArchive()
    {
        if (zip_)
            unzClose(zip_);
    }
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    bool isOpen() const { return zip_ != nullptr; }
    bool contains(const QString &name) const { return unzLocateFile(zip_, name.toUtf8().constData(), 1) == UNZ_OK; }

    // The part's bytes; nullopt when it is missing, cannot be inflated or fails its checksum.
    std::optional<QByteArray> read(const QString &name) const
    {
        if (!contains(name) || unzOpenCurrentFile(zip_) != UNZ_OK)
            return std::nullopt;
        QByteArray bytes;
        char buffer[65536];
        int n = 0;
        while ((n = unzReadCurrentFile(zip_, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, n);
        const bool closed = unzCloseCurrentFile(zip_) == UNZ_OK; // UNZ_CRCERROR for a damaged part
        if (n < 0 || !closed)
            return std::nullopt;
        return bytes;
    }

private:
    unzFile zip_;
};

class XlsxReader {
public:
    explicit XlsxReader(const QString &path) : path_(path), zip_(path) {}

    SheetLines read()
    {
        if (!zip_.isOpen()) {
            if (fileStart(path_).startsWith("PK"))
                damaged(path_);
            notAWorkbook(path_);
        }
        const QString workbook = relationTargets(QStringLiteral("_rels/.rels"), {})
                                     .value(QStringLiteral("officeDocument"), QStringLiteral("xl/workbook.xml"));
        if (!zip_.contains(workbook))
            notAWorkbook(path_);
        const QString folder = QFileInfo(workbook).path();
        QHash<QString, QString> types;
        const QHash<QString, QString> targets = relationTargets(
            folder + QStringLiteral("/_rels/") + QFileInfo(workbook).fileName() + QStringLiteral(".rels"), folder, &types);
        const QString sheet = readWorkbook(part(workbook), targets, types);
        if (targets.contains(QStringLiteral("sharedStrings")))
            readSharedStrings(part(targets.value(QStringLiteral("sharedStrings"))));
        if (targets.contains(QStringLiteral("styles")))
            readStyles(part(targets.value(QStringLiteral("styles"))));
        return readWorksheet(part(sheet));
    }

private:
    QByteArray part(const QString &name)
    {
        std::optional<QByteArray> bytes = zip_.read(name);
        if (!bytes)
            damaged(path_);
        return *bytes;
    }

    void check(const QXmlStreamReader &xml)
    {
        if (xml.hasError())
            damaged(path_);
    }

    // A relationship part: the target of each relationship by its id, and by the last word of
    // its type (officeDocument, sharedStrings, styles) for the first of that type; `types` gets
    // that word by id.
    QHash<QString, QString> relationTargets(const QString &name, const QString &folder, QHash<QString, QString> *types = nullptr)
    {
        QHash<QString, QString> targets;
        if (!zip_.contains(name))
            return targets;
        QXmlStreamReader xml(part(name));
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("Relationship"))
                continue;
            QString target = attribute(xml, QLatin1String("Target"));
            target = target.startsWith(QLatin1Char('/')) ? target.mid(1)
                     : folder.isEmpty()                 ? target
                                                        : QDir::cleanPath(folder + QLatin1Char('/') + target);
            targets.insert(attribute(xml, QLatin1String("Id")), target);
            const QString type = attribute(xml, QLatin1String("Type")).section(QLatin1Char('/'), -1);
            if (types)
                types->insert(attribute(xml, QLatin1String("Id")), type);
            if (!targets.contains(type))
                targets.insert(type, target);
        }
        check(xml);
        return targets;
    }

    // The date system and the part of the worksheet the workbook opens on: its active tab, or
    // the first worksheet when that tab is a chart sheet or is not there.
    QString readWorkbook(const QByteArray &bytes, const QHash<QString, QString> &targets, const QHash<QString, QString> &types)
    {
        QXmlStreamReader xml(bytes);
        QStringList sheetIds;
        int activeTab = -1;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("workbookPr")) {
                const QString v = attribute(xml, QLatin1String("date1904"));
                date1904_ = v == QLatin1String("1") || v == QLatin1String("true");
            } else if (xml.name() == QLatin1String("workbookView") && activeTab < 0) {
                activeTab = std::max(attribute(xml, QLatin1String("activeTab")).toInt(), 0);
            } else if (xml.name() == QLatin1String("sheet")) {
                sheetIds.append(attribute(xml, QLatin1String("id")));
            }
        }
        check(xml);
        if (sheetIds.isEmpty())
            refuse(QStringLiteral("工作簿 %1 中没有工作表。").arg(shownName(path_)));
        const auto worksheet = [&types](const QString &id) { return types.value(id) != QLatin1String("chartsheet"); };
        QString id = sheetIds.value(activeTab);
        if (id.isEmpty() || !worksheet(id)) {
            const auto first = std::find_if(sheetIds.cbegin(), sheetIds.cend(), worksheet);
            id = first != sheetIds.cend() ? *first : sheetIds.first();
        }
        const QString sheet = targets.value(id);
        if (sheet.isEmpty())
            damaged(path_);
        return sheet;
    }

    void readSharedStrings(const QByteArray &bytes)
    {
        QXmlStreamReader xml(bytes);
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
                strings_.append(stringItem(xml));
        }
        check(xml);
    }

    // The number format of each cell style.
    void readStyles(const QByteArray &bytes)
    {
        QHash<int, QString> codes;
        QXmlStreamReader xml(bytes);
        bool cellXfs = false;
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("cellXfs"))
                cellXfs = false;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("numFmt"))
                codes.insert(attribute(xml, QLatin1String("numFmtId")).toInt(), attribute(xml, QLatin1String("formatCode")));
            else if (xml.name() == QLatin1String("cellXfs"))
                cellXfs = true;
            else if (cellXfs && xml.name() == QLatin1String("xf")) {
                const int id = attribute(xml, QLatin1String("numFmtId")).toInt();
                styles_.append(numberFormat(id, codes.value(id)));
            }
        }
        check(xml);
    }

    SheetLines readWorksheet(const QByteArray &bytes)
    {
        SheetBuilder sheet;
        QXmlStreamReader xml(bytes);
        int row = -1;
        int column = -1;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("row")) {
                const QStringView r = xml.attributes().value(QLatin1String("r"));
                row = r.isEmpty() ? row + 1 : r.toInt() - 1;
                column = -1;
                if (row < 0 || row >= MaxRows)
                    damaged(path_);
            } else if (xml.name() == QLatin1String("c")) {
                const QXmlStreamAttributes attributes = xml.attributes();
                const QStringView reference = attributes.value(QLatin1String("r"));
                int r = row;
                if (reference.isEmpty())
                    ++column;
                else if (!cellReference(reference, &column, &r))
                    damaged(path_);
                if (column >= MaxColumns)
                    damaged(path_);
                const QString type = attributes.value(QLatin1String("t")).toString();
                const QStringView style = attributes.value(QLatin1String("s"));
                sheet.set(std::max(r, 0), column, cellText(xml, type, style.isEmpty() ? 0 : style.toInt()));
            }
        }
        check(xml);
        return sheet.finish();
    }

    // Reads the cell's element to its end.
    QString cellText(QXmlStreamReader &xml, const QString &type, int style)
    {
        QString value;
        QString inlineText;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("v"))
                value = xml.readElementText();
            else if (xml.name() == QLatin1String("is"))
                inlineText = stringItem(xml);
            else
                xml.skipCurrentElement();
        }
        check(xml);
        if (type == QLatin1String("inlineStr"))
            return inlineText;
        if (type == QLatin1String("s")) {
            bool ok = false;
            const int index = value.toInt(&ok);
            if (!ok || index < 0 || index >= strings_.size())
                damaged(path_);
            return strings_.at(index);
        }
        if (type == QLatin1String("str") || type == QLatin1String("e"))
            return unescapeOoxml(value);
        if (type == QLatin1String("b"))
            return value.trimmed() == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        if (type == QLatin1String("d")) {
            const QDateTime at = QDateTime::fromString(value, Qt::ISODate);
            return at.isValid() ? dateTimeText(at, true) : value;
        }
        if (value.isEmpty())
            return {};
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok || !std::isfinite(number))
            damaged(path_);
        return formattedNumber(number, styles_.value(style), date1904_);
    }

    QString path_;
    ZipArchive zip_;
    QStringList strings_;
    QList<NumberFormat> styles_;
    bool date1904_ = false;
};

SheetLines readXls(const QString &path);

SheetLines readXlsx(const QString &path)
{
    const QByteArray start = fileStart(path);
    if (start.startsWith(CompoundSignature)) {
        if (encryptedPackage(path))
            encrypted(path);
        return readXls(path); // an Excel 97 workbook under the newer extension
    }
    return XlsxReader(path).read();
}

// ---------------------------------------------------------------------------------------------
// .xls: Excel 97–2003 through FreeXL

// FreeXL leaves formula cells empty and gives booleans as 0 and 1. What a user sees in those
// cells is stored beside the formula (its last result) and in the boolean record; this walk of
// the compound file and of the records of the sheet read finds them, with the date system and
// the number formats to show a result as its cell does, and which sheet the workbook opens on.
// A file it cannot follow yields nothing more.
class CompoundFile {
public:
    explicit CompoundFile(QByteArray bytes) : bytes_(std::move(bytes)) {}

    // The stream of that name.
    std::optional<QByteArray> stream(const QString &name)
    {
        if (bytes_.size() < 512 || !bytes_.startsWith(CompoundSignature))
            return std::nullopt;
        const unsigned shift = u16(0x1E);
        if (shift != 9 && shift != 12)
            return std::nullopt;
        sectorSize_ = qsizetype(1) << shift;
        if (!readFat())
            return std::nullopt;
        const std::optional<QByteArray> directory = chain(u32(0x30));
        if (!directory)
            return std::nullopt;
        std::optional<QByteArray> miniStream;
        for (qsizetype at = 0; at + 128 <= directory->size(); at += 128) {
            const QByteArray entry = directory->mid(at, 128);
            const int nameBytes = std::min<int>(entryU16(entry, 0x40), 64);
            const QString entryName = QString::fromUtf16(reinterpret_cast<const char16_t *>(entry.constData()),
                                                         std::max(nameBytes / 2 - 1, 0));
            const quint32 start = entryU32(entry, 0x74);
            const quint32 size = entryU32(entry, 0x78);
            if (entry.at(0x42) == 5) // the root: the mini stream
                miniStream = chain(start);
            if (entry.at(0x42) != 2 || entryName != name)
                continue;
            if (size >= u32(0x38)) {
                const std::optional<QByteArray> data = chain(start);
                return data && data->size() >= size ? std::optional(data->left(size)) : std::nullopt;
            }
            return miniStream ? miniChain(*miniStream, start, size) : std::nullopt;
        }
        return std::nullopt;
    }

private:
    static quint32 entryU32(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }
    static quint16 entryU16(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); }
    quint32 u32(qsizetype at) const { return entryU32(bytes_, at); }
    quint16 u16(qsizetype at) const { return entryU16(bytes_, at); }

    std::optional<QByteArray> sector(quint32 index) const
    {
        const qsizetype at = (qsizetype(index) + 1) * sectorSize_;
        if (index >= 0xFFFFFFFA || at + sectorSize_ > bytes_.size())
            return std::nullopt;
        return bytes_.mid(at, sectorSize_);
    }

    bool readFat()
    {
        QList<quint32> fatSectors;
        for (int i = 0; i < 109; ++i)
            fatSectors.append(u32(0x4C + 4 * i));
        quint32 difat = u32(0x44);
        for (quint32 n = u32(0x48); n > 0 && difat < 0xFFFFFFFA; --n) {
            const std::optional<QByteArray> s = sector(difat);
            if (!s)
                return false;
            for (qsizetype at = 0; at + 4 < s->size(); at += 4)
                fatSectors.append(entryU32(*s, at));
            difat = entryU32(*s, s->size() - 4);
        }
        const quint32 count = u32(0x2C);
        for (quint32 i = 0; i < count && i < quint32(fatSectors.size()); ++i) {
            const std::optional<QByteArray> s = sector(fatSectors.at(i));
            if (!s)
                return false;
            for (qsizetype at = 0; at < s->size(); at += 4)
                fat_.append(entryU32(*s, at));
        }
        miniFat_.clear();
        if (const std::optional<QByteArray> mini = chain(u32(0x3C)))
            for (qsizetype at = 0; at + 4 <= mini->size(); at += 4)
                miniFat_.append(entryU32(*mini, at));
        return !fat_.isEmpty();
    }

    // The sectors of a chain, joined; a chain that loops or leaves the file is refused.
    std::optional<QByteArray> chain(quint32 start) const
    {
        QByteArray data;
        for (quint32 s = start, steps = 0; s != 0xFFFFFFFE; ++steps) {
            const std::optional<QByteArray> bytes = sector(s);
            if (!bytes || s >= quint32(fat_.size()) || steps > quint32(fat_.size()))
                return std::nullopt;
            data += *bytes;
            s = fat_.at(s);
        }
        return data;
    }

    std::optional<QByteArray> miniChain(const QByteArray &miniStream, quint32 start, quint32 size) const
    {
        QByteArray data;
        for (quint32 s = start, steps = 0; s != 0xFFFFFFFE && data.size() < qsizetype(size); ++steps) {
            if (s >= quint32(miniFat_.size()) || steps > quint32(miniFat_.size()) || (qsizetype(s) + 1) * 64 > miniStream.size())
                return std::nullopt;
            data += miniStream.mid(qsizetype(s) * 64, 64);
            s = miniFat_.at(s);
        }
        return data.size() >= qsizetype(size) ? std::optional(data.left(size)) : std::nullopt;
    }

    QByteArray bytes_;
    qsizetype sectorSize_ = 512;
    QList<quint32> fat_;
    QList<quint32> miniFat_;
};

struct XlsExtras {
    bool encrypted = false;
    QString sheet;                         // the name of the worksheet the workbook opens on
    QHash<QPair<int, int>, QString> cells; // (row, column) → text
};

QString biffErrorText(quint8 code)
{
    switch (code) {
    case 0x00: return QStringLiteral("#NULL!");
    case 0x07: return QStringLiteral("#DIV/0!");
    case 0x0F: return QStringLiteral("#VALUE!");
    case 0x17: return QStringLiteral("#REF!");
    case 0x1D: return QStringLiteral("#NAME?");
    case 0x24: return QStringLiteral("#NUM!");
    case 0x2A: return QStringLiteral("#N/A");
    default: return QStringLiteral("#ERROR!");
    }
}

// A string of the records: its character count (8 or 16 bits wide), a flag byte, the characters.
QString biffString(const QByteArray &data, qsizetype at, bool wideCount)
{
    if (at + (wideCount ? 3 : 2) > data.size())
        return {};
    const int count = wideCount ? qFromLittleEndian<quint16>(data.constData() + at) : quint8(data.at(at));
    at += wideCount ? 2 : 1;
    const quint8 flags = quint8(data.at(at++));
    if (flags & 0x08)
        at += 2; // rich text runs
    if (flags & 0x04)
        at += 4; // phonetic data
    if (at >= data.size()) // a damaged record: a negative length would read on past the data
        return {};
    if (flags & 0x01) {
        const qsizetype n = std::min<qsizetype>(count, (data.size() - at) / 2);
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(data.constData() + at), n);
    }
    return QString::fromLatin1(data.constData() + at, std::min<qsizetype>(count, data.size() - at));
}

struct BiffRecord {
    quint16 type;
    QByteArray data;
};

// A sheet of the workbook's list (BOUNDSHEET), in tab order.
struct BiffSheet {
    quint32 offset;   // of its records in the stream
    bool worksheet;   // not a chart, macro or module sheet
    QString name;
};

// The worksheet the workbook opens on: the active tab when it is a worksheet, else the first one.
std::optional<BiffSheet> openingSheet(const QList<BiffSheet> &sheets, int activeTab)
{
    if (activeTab >= 0 && activeTab < sheets.size() && sheets.at(activeTab).worksheet)
        return sheets.at(activeTab);
    for (const BiffSheet &sheet : sheets)
        if (sheet.worksheet)
            return sheet;
    return std::nullopt;
}

QList<BiffRecord> biffRecords(const QByteArray &stream, qsizetype from)
{
    QList<BiffRecord> records;
    for (qsizetype at = from; at + 4 <= stream.size();) {
        const quint16 type = qFromLittleEndian<quint16>(stream.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(stream.constData() + at + 2);
        if (at + 4 + length > stream.size())
            break;
        records.append({type, stream.mid(at + 4, length)});
        at += 4 + length;
        if (type == 0x000A) // EOF of this substream
            break;
    }
    return records;
}

XlsExtras readXlsExtras(const QString &path)
{
    XlsExtras extras;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return extras;
    CompoundFile compound(file.readAll());
    std::optional<QByteArray> workbook = compound.stream(QStringLiteral("Workbook"));
    if (!workbook)
        return extras;

    bool date1904 = false;
    QHash<int, QString> formatCodes;
    QList<int> xfFormats;
    QList<BiffSheet> sheets;
    int activeTab = -1;
    for (const BiffRecord &r : biffRecords(*workbook, 0)) {
        if (r.type == 0x002F) // FILEPASS
            extras.encrypted = true;
        else if (r.type == 0x0022 && r.data.size() >= 2)
            date1904 = qFromLittleEndian<quint16>(r.data.constData()) == 1;
        else if (r.type == 0x041E && r.data.size() >= 5)
            formatCodes.insert(qFromLittleEndian<quint16>(r.data.constData()), biffString(r.data, 2, true));
        else if (r.type == 0x00E0 && r.data.size() >= 4)
            xfFormats.append(qFromLittleEndian<quint16>(r.data.constData() + 2));
        else if (r.type == 0x0085 && r.data.size() >= 8) // BOUNDSHEET
            sheets.append({qFromLittleEndian<quint32>(r.data.constData()), r.data.at(5) == 0, biffString(r.data, 6, false)});
        else if (r.type == 0x003D && r.data.size() >= 12 && activeTab < 0) // WINDOW1: the selected tab
            activeTab = qFromLittleEndian<quint16>(r.data.constData() + 10);
    }
    const std::optional<BiffSheet> sheet = openingSheet(sheets, activeTab);
    if (extras.encrypted || !sheet)
        return extras;
    extras.sheet = sheet->name;

    const auto formatOf = [&](quint16 xf) {
        const int id = xfFormats.value(xf, 0);
        return numberFormat(id, formatCodes.value(id));
    };
    std::optional<QPair<int, int>> pendingString; // a formula whose text follows in a STRING record
    for (const BiffRecord &r : biffRecords(*workbook, sheet->offset)) {
        const char *d = r.data.constData();
        if (r.type == 0x0006 && r.data.size() >= 14) { // FORMULA
            const QPair<int, int> at(qFromLittleEndian<quint16>(d), qFromLittleEndian<quint16>(d + 2));
            const quint16 xf = qFromLittleEndian<quint16>(d + 4);
            pendingString.reset();
            if (quint8(d[12]) == 0xFF && quint8(d[13]) == 0xFF) {
                switch (quint8(d[6])) {
                case 0: pendingString = at; break;
                case 1: extras.cells.insert(at, d[8] ? QStringLiteral("TRUE") : QStringLiteral("FALSE")); break;
                case 2: extras.cells.insert(at, biffErrorText(quint8(d[8]))); break;
                default: break; // an empty text
                }
            } else {
                extras.cells.insert(at, formattedNumber(qFromLittleEndian<double>(d + 6), formatOf(xf), date1904));
            }
        } else if (r.type == 0x0207 && pendingString) { // STRING: the text result of the formula before
            extras.cells.insert(*pendingString, biffString(r.data, 0, true));
            pendingString.reset();
        } else if (r.type == 0x0205 && r.data.size() >= 8) { // BOOLERR
            const QPair<int, int> at(qFromLittleEndian<quint16>(d), qFromLittleEndian<quint16>(d + 2));
            const quint8 value = quint8(d[6]);
            extras.cells.insert(at, d[7] ? biffErrorText(value) : value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
        }
    }
    return extras;
}

class XlsHandle {
public:
    explicit XlsHandle(const QString &path) : path_(path)
    {
        const int rc = freexl_open(QFile::encodeName(path).constData(), &handle_);
        if (rc == FREEXL_OK && handle_)
            return;
        // FreeXL wants its handle closed even when the opening failed.
        if (handle_)
            freexl_close(handle_);
        handle_ = nullptr;
        // FreeXL 1.0 gives up on some sound workbooks (a long text split across the records of
        // the string table, an empty text in it) without saying why.
        if (rc == FREEXL_OK)
            refuse(QStringLiteral("无法读取旧格式工作簿 %1。请在电子表格程序中另存为.xlsx后再导入。").arg(shownName(path)));
        if (rc == FREEXL_INVALID_CFBF_HEADER || rc == FREEXL_BIFF_WORKBOOK_NOT_FOUND)
            notAWorkbook(path);
        if (rc == FREEXL_INSUFFICIENT_MEMORY)
            refuse(QStringLiteral("内存不足, 无法读取工作簿 %1。").arg(shownName(path)));
        damaged(path);
    }
    ~XlsHandle()
    {
        if (handle_)
            freexl_close(handle_);
    }
    XlsHandle(const XlsHandle &) = delete;
    XlsHandle &operator=(const XlsHandle &) = delete;

    unsigned int info(unsigned short what) const
    {
        unsigned int value = 0;
        if (freexl_get_info(handle_, what, &value) != FREEXL_OK)
            damaged(path_);
        return value;
    }

    // The worksheet named by the extras; the first, without the extras, when FreeXL does not
    // list it.
    SheetLines sheet(const XlsExtras &extras) const
    {
        if (info(FREEXL_BIFF_PASSWORD) == FREEXL_BIFF_OBFUSCATED)
            encrypted(path_);
        const unsigned int count = info(FREEXL_BIFF_SHEET_COUNT);
        if (count == 0)
            refuse(QStringLiteral("工作簿 %1 中没有工作表。").arg(shownName(path_)));
        const std::optional<unsigned short> named = sheetIndex(extras.sheet, count);
        if (freexl_select_active_worksheet(handle_, named.value_or(0)) != FREEXL_OK)
            damaged(path_);
        const QHash<QPair<int, int>, QString> noCells;
        const QHash<QPair<int, int>, QString> &cells = named ? extras.cells : noCells;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_worksheet_dimensions(handle_, &rows, &columns) != FREEXL_OK)
            damaged(path_);
        SheetBuilder sheet;
        for (unsigned int r = 0; r < rows; ++r)
            for (unsigned short c = 0; c < columns; ++c)
                sheet.set(int(r), int(c), cells.value({int(r), int(c)}, cellText(r, c)));
        return sheet.finish();
    }

private:
    std::optional<unsigned short> sheetIndex(const QString &name, unsigned int count) const
    {
        for (unsigned short i = 0; i < count && !name.isEmpty(); ++i) {
            const char *listed = nullptr;
            if (freexl_get_worksheet_name(handle_, i, &listed) == FREEXL_OK && listed && QString::fromUtf8(listed) == name)
                return i;
        }
        return std::nullopt;
    }

    QString cellText(unsigned int row, unsigned short column) const
    {
        FreeXL_CellValue cell;
        if (freexl_get_cell_value(handle_, row, column, &cell) != FREEXL_OK)
            damaged(path_);
        switch (cell.type) {
        case FREEXL_CELL_INT:
            return QString::number(cell.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return numberText(cell.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_TIME:
            return QString::fromUtf8(cell.value.text_value);
        case FREEXL_CELL_DATETIME: {
            const QString text = QString::fromUtf8(cell.value.text_value);
            return text.endsWith(QLatin1String(" 00:00:00")) ? text.left(10) : text;
        }
        default:
            return {};
        }
    }

    QString path_;
    const void *handle_ = nullptr;
};

SheetLines readXls(const QString &path)
{
    const QByteArray start = fileStart(path);
    if (start.startsWith(ZipSignature))
        return XlsxReader(path).read(); // a newer workbook under the old extension
    if (!start.startsWith(CompoundSignature))
        notAWorkbook(path);
    // FreeXL cannot open an encrypted workbook and would not say why.
    const XlsExtras extras = readXlsExtras(path);
    if (extras.encrypted || encryptedPackage(path))
        encrypted(path);
    return XlsHandle(path).sheet(extras);
}

} // namespace

SheetLines readSheet(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return readCsvSheet(path);
    if (suffix == QLatin1String("xlsx"))
        return readXlsx(path);
    if (suffix == QLatin1String("xls"))
        return readXls(path);
    refuse(QStringLiteral("不能导入 %1: 只能导入Excel工作簿(.xlsx, .xls)或CSV文件(.csv)。").arg(shownName(path)));
}

QString sheetFileFilter()
{
    return QStringLiteral("Excel 工作簿和CSV (*.xlsx *.xls *.csv);;Excel 工作簿 (*.xlsx *.xls);;CSV (*.csv)");
}
