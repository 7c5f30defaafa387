#include "common/SpreadsheetExport.h"

#include "common/FileProblem.h"
#include "common/Platform.h"
#include "db/Database.h"
#include "db/Money.h"
#include "db/Rows.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <xlsxwriter.h>

namespace {

[[noreturn]] void fail(const QString &text) { throw std::runtime_error(text.toStdString()); }

// The writer's failures in the user's words; its own texts are English. `systemError` is errno
// as the writer left it, the reason when it could not create the file.
QString reasonOf(lxw_error error, int systemError = 0)
{
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("内存不足");
    case LXW_ERROR_CREATING_XLSX_FILE:
        return systemError != 0 ? fileErrorReason(systemError) : QStringLiteral("不能创建文件");
    case LXW_ERROR_CREATING_TMPFILE:
        return QStringLiteral("不能创建临时文件");
    case LXW_ERROR_READING_TMPFILE:
        return QStringLiteral("不能读取临时文件");
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_PARAMETER_ERROR:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return QStringLiteral("写入压缩文件时出错");
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        return QStringLiteral("文字超过一个单元格能容纳的 32767 个字符");
    default:
        return QStringLiteral("错误 %1 (%2)").arg(int(error)).arg(QString::fromUtf8(lxw_strerror(error)));
    }
}

void check(lxw_error error, const QString &what)
{
    if (error != LXW_NO_ERROR)
        fail(QStringLiteral("导出Excel失败（%1）：%2").arg(what, reasonOf(error)));
}

// Owns the workbook until it is written; a workbook given up on is freed without writing.
class Workbook {
public:
    explicit Workbook(const QString &path) : path_(QFile::encodeName(path))
    {
        // Rows go to a temporary file as they are written, so memory stays flat on long lists.
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        book_ = workbook_new_opt(path_.constData(), &options);
        if (!book_)
            fail(cannotWriteText(path, QStringLiteral("不能创建工作簿")));
    }
    ~Workbook()
    {
        if (book_)
            lxw_workbook_free(book_);
    }
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    lxw_workbook *get() const { return book_; }
    void close(const QString &path)
    {
        lxw_workbook *book = std::exchange(book_, nullptr);
        errno = 0;
        const lxw_error error = workbook_close(book);
        const int systemError = errno;
        if (error != LXW_NO_ERROR)
            fail(cannotWriteText(path, reasonOf(error, systemError)));
    }

private:
    QByteArray path_;
    lxw_workbook *book_ = nullptr;
};

// Display width in character cells: CJK and full-width forms take two.
bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60)
        || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

int displayWidth(const QString &text)
{
    int longest = 0;
    int line = 0;
    for (char32_t c : text.toUcs4()) {
        if (c == U'\n') {
            longest = std::max(longest, line);
            line = 0;
        } else {
            line += isWide(c) ? 2 : 1;
        }
    }
    return std::max(longest, line);
}

// "1234567.5" -> "1,234,567.50", "0.1234" -> "0.1234": the way the money format shows it.
QString moneyText(const db::Money &money)
{
    QString text = money.toPlainString();
    const int sign = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    for (int i = int(text.indexOf(QLatin1Char('.'))) - 3; i > sign; i -= 3)
        text.insert(i, QLatin1Char(','));
    return text;
}

struct Column {
    QString name;
    int source = 0; // the first field of that name: values are looked up by name
    db::ColumnKind kind = db::ColumnKind::Text;
    int width = 0;
};

class SheetWriter {
public:
    SheetWriter(lxw_workbook *book, QList<Column> columns) : columns_(std::move(columns))
    {
        sheet_ = workbook_add_worksheet(book, nullptr);
        if (!sheet_)
            fail(QStringLiteral("导出Excel失败：不能添加工作表"));
        header_ = workbook_add_format(book);
        format_set_bold(header_);
        money_ = workbook_add_format(book);
        // Two decimals at least, and the third and fourth where the amount has them.
        format_set_num_format(money_, "#,##0.00##");
        date_ = workbook_add_format(book);
        format_set_num_format(date_, "yyyy-mm-dd");
    }

    // The names as the schema writes them (ISBN, not PostgreSQL's isbn); aliases as they stand.
    void writeHeader()
    {
        for (int c = 0; c < columns_.size(); ++c)
            writeText(0, c, db::canonicalColumnName(columns_[c].name), header_);
    }

    void writeRow(lxw_row_t row, db::Rows &rows)
    {
        if (row >= LXW_ROW_MAX)
            fail(QStringLiteral("导出Excel失败：结果超过 %1 行，超出一张工作表能容纳的行数").arg(LXW_ROW_MAX - 1));
        for (int c = 0; c < columns_.size(); ++c)
            writeCell(row, c, rows);
    }

    void fitWidths()
    {
        for (int c = 0; c < columns_.size(); ++c) {
            const double width = std::clamp(columns_[c].width + 2, 4, 100);
            check(worksheet_set_column(sheet_, lxw_col_t(c), lxw_col_t(c), width, nullptr), QStringLiteral("列宽"));
        }
    }

private:
    void writeCell(lxw_row_t row, int c, db::Rows &rows)
    {
        const Column &column = columns_[c];
        const QVariant stored = rows.query().value(column.source);
        if (stored.isNull())
            return; // an empty value stays an empty cell
        switch (column.kind) {
        case db::ColumnKind::Money: {
            const auto money = rows.typed(column.source, column.kind).value<db::Money>();
            return writeNumber(row, c, money.toDouble(), money_, moneyText(money));
        }
        case db::ColumnKind::Date:
            return writeDate(row, c, rows.typed(column.source, column.kind).toDate(), stored);
        case db::ColumnKind::YesNo:
            return writeBoolean(row, c, rows.typed(column.source, column.kind).toBool());
        case db::ColumnKind::Integer:
        case db::ColumnKind::Floating:
            return writeNumberOrText(row, c, stored);
        case db::ColumnKind::Text:
            break;
        }
        // A column the schema does not know: the engine's own type decides.
        switch (stored.typeId()) {
        case QMetaType::QString:
            return writeText(row, c, stored.toString(), nullptr);
        case QMetaType::QDate:
        case QMetaType::QDateTime:
            return writeDate(row, c, stored.toDate(), stored);
        case QMetaType::Bool:
            return writeBoolean(row, c, stored.toBool());
        default:
            return writeNumberOrText(row, c, rows.typed(column.source, column.kind));
        }
    }

    void writeBoolean(lxw_row_t row, int c, bool value)
    {
        check(worksheet_write_boolean(sheet_, row, lxw_col_t(c), value, nullptr), columns_[c].name);
        widen(c, 5);
    }

    // A number column holding something that is no number keeps its text rather than becoming 0.
    void writeNumberOrText(lxw_row_t row, int c, const QVariant &value)
    {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok && std::isfinite(number))
            writeNumber(row, c, number, nullptr, QString::number(number, 'g', 15));
        else
            writeText(row, c, value.toString(), nullptr);
    }

    void writeNumber(lxw_row_t row, int c, double number, lxw_format *format, const QString &shown)
    {
        check(worksheet_write_number(sheet_, row, lxw_col_t(c), number, format), columns_[c].name);
        widen(c, shown.size());
    }

    // A spreadsheet date counts days from 1900; earlier dates (old editions) and texts that are no
    // date are kept as text instead of turning into a wrong day.
    void writeDate(lxw_row_t row, int c, const QDate &date, const QVariant &stored)
    {
        if (!date.isValid())
            return writeText(row, c, stored.toString(), nullptr);
        if (date.year() < 1900 || date.year() > 9999)
            return writeText(row, c, date.toString(QStringLiteral("yyyy-MM-dd")), nullptr);
        lxw_datetime when{date.year(), date.month(), date.day(), 0, 0, 0};
        check(worksheet_write_datetime(sheet_, row, lxw_col_t(c), &when, date_), columns_[c].name);
        widen(c, 10);
    }

    void writeText(lxw_row_t row, int c, const QString &text, lxw_format *format)
    {
        if (text.isEmpty())
            return;
        check(worksheet_write_string(sheet_, row, lxw_col_t(c), text.toUtf8().constData(), format), columns_[c].name);
        widen(c, displayWidth(text));
    }

    void widen(int c, qsizetype width) { columns_[c].width = std::max(columns_[c].width, int(std::min<qsizetype>(width, 1000))); }

    QList<Column> columns_;
    lxw_worksheet *sheet_ = nullptr;
    lxw_format *header_ = nullptr;
    lxw_format *money_ = nullptr;
    lxw_format *date_ = nullptr;
};

} // namespace

SpreadsheetExport::SpreadsheetExport(db::Database &database, db::Sql statement)
    : database_(database), statement_(std::move(statement))
{
}

SpreadsheetExport &SpreadsheetExport::fields(int first, int last)
{
    first_ = first;
    last_ = last;
    return *this;
}

SpreadsheetExport &SpreadsheetExport::columnKind(const QString &column, db::ColumnKind kind)
{
    kinds_.insert(column.toLower(), kind);
    return *this;
}

SpreadsheetExport &SpreadsheetExport::onProgress(Progress progress)
{
    progress_ = std::move(progress);
    return *this;
}

qint64 SpreadsheetExport::writeTo(const QString &path)
{
    // A file that cannot be written is found out before a long list is read for nothing.
    QFile::remove(path);
    if (const auto problem = checkWritable(path))
        fail(*problem);
    try {
        return write(path);
    } catch (...) {
        QFile::remove(path); // no half-written file stays behind
        throw;
    }
}

qint64 SpreadsheetExport::write(const QString &path)
{
    db::Rows rows = database_.select(statement_);
    const QSqlRecord record = rows.record();
    const int first = std::max(first_, 0);
    const int last = last_ < 0 ? record.count() - 1 : std::min(last_, record.count() - 1);
    if (last - first + 1 > LXW_COL_MAX)
        fail(QStringLiteral("导出Excel失败：字段超过 %1 个").arg(LXW_COL_MAX));

    // A column's kind: as the caller names it here, else as the statement declares it (a sum
    // under an alias), else the schema's.
    QList<Column> columns;
    for (int i = first; i <= last; ++i) {
        const QString name = record.fieldName(i);
        const int source = record.indexOf(name);
        columns.append({name, source, kinds_.value(name.toLower(), rows.kindOf(source)), 0});
    }

    Workbook book(path);
    SheetWriter sheet(book.get(), columns);
    sheet.writeHeader();
    qint64 written = 0;
    while (rows.next()) {
        sheet.writeRow(lxw_row_t(written + 1), rows);
        if (++written % progressInterval == 0 && progress_)
            progress_(written);
    }
    sheet.fitWidths();
    book.close(path);
    return written;
}

QList<SpreadsheetExport::Program> SpreadsheetExport::spreadsheetPrograms()
{
    // LibreOffice's -n opens the file as a template: the user gets a new, untitled document.
    return {{{QStringLiteral("libreoffice"), QStringLiteral("soffice"), QStringLiteral("localc")}, {QStringLiteral("-n")}},
            {{QStringLiteral("gnumeric"), QStringLiteral("et"), QStringLiteral("wps")}, {}}};
}

QString SpreadsheetExport::openInSpreadsheet()
{
    // Which program opens it is settled first: without one, a long list is not written for nothing.
    QString found;
    QStringList arguments;
    for (const Program &program : spreadsheetPrograms()) {
        found = Platform::instance().installedProgram(program.candidates);
        if (!found.isEmpty()) {
            arguments = program.arguments;
            break;
        }
    }
    if (found.isEmpty()) {
        Platform::instance().message(QStringLiteral("系统没excel，不能导出Excel！"), QStringLiteral("错误"));
        return {};
    }
    // The folder outlives this call: the spreadsheet program reads the file after we return.
    QTemporaryDir folder(QDir(QDir::tempPath()).filePath(QStringLiteral("library-export-XXXXXX")));
    if (!folder.isValid())
        fail(QStringLiteral("导出Excel失败：不能创建临时文件夹（%1）").arg(folder.errorString()));
    const QString path = folder.filePath(QStringLiteral("export.xlsx"));
    writeTo(path);
    if (!Platform::instance().startProgram({found}, arguments + QStringList{path}))
        fail(QStringLiteral("不能启动电子表格程序 %1").arg(found));
    folder.setAutoRemove(false);
    return path;
}

QString ExportToSpreadsheet(db::Database &database, const db::Sql &statement, int firstField, int lastField,
                            const QHash<QString, db::ColumnKind> &columnKinds)
{
    SpreadsheetExport exporter(database, statement);
    exporter.fields(firstField, lastField);
    for (auto it = columnKinds.begin(); it != columnKinds.end(); ++it)
        exporter.columnKind(it.key(), it.value());

    // Shown only once a list turns out long, so short exports do not flash a dialog.
    std::unique_ptr<QProgressDialog> dialog;
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        exporter.onProgress([&dialog](qint64 rows) {
            if (!dialog) {
                dialog = std::make_unique<QProgressDialog>(QApplication::activeWindow());
                dialog->setWindowTitle(QStringLiteral("导出Excel"));
                dialog->setCancelButton(nullptr);
                dialog->setRange(0, 0);
                dialog->setMinimumDuration(0);
                dialog->setWindowModality(Qt::ApplicationModal);
                dialog->show();
            }
            dialog->setLabelText(QStringLiteral("正在导出，已写 %1 行…").arg(rows));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    }
    return exporter.openInSpreadsheet();
}
