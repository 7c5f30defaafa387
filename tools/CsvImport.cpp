#include "tools/CsvImport.h"

#include "common/Platform.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Driver.h"
#include "db/Money.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "tools/DatabaseCreator.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringDecoder>
#include <memory>
#include <optional>

namespace tools {

namespace {

QString lineError(const QString &file, qint64 line, const QString &reason)
{
    return QStringLiteral("%1 第 %2 行: %3").arg(file).arg(line).arg(reason);
}

// --- the file format ------------------------------------------------------------------------

struct Field {
    QString text;
    bool quoted = false;
    // mdb-export writes a NULL as nothing at all, an empty text as "".
    bool isNull() const { return !quoted && text.isEmpty(); }
};

struct Record {
    qint64 line = 0; // where the record starts; a quoted text may span lines
    QList<Field> fields;
};

class CsvReader {
public:
    CsvReader(const QString &path, const QString &shownName) : name_(shownName)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw db::DbError(QStringLiteral("%1: 无法读取: %2").arg(shownName, file.errorString()));
        text_ = decodeUtf8(file.readAll());
        if (text_.startsWith(QChar(0xFEFF)))
            text_.remove(0, 1);
    }

    // mdb-export writes UTF-8; an export in the old GBK code page would otherwise turn every
    // Chinese text into replacement characters without a word.
    QString decodeUtf8(const QByteArray &bytes) const
    {
        QStringDecoder decoder(QStringDecoder::Utf8);
        QString text = decoder(bytes);
        if (!decoder.hasError())
            return text;
        qint64 line = 1;
        for (const QByteArray &piece : bytes.split('\n')) {
            QStringDecoder lineDecoder(QStringDecoder::Utf8);
            (void)QString(lineDecoder(piece));
            if (lineDecoder.hasError())
                break;
            ++line;
        }
        throw db::DbError(lineError(name_, line, QStringLiteral("不是 UTF-8 文本 (请用 UTF-8 导出)")));
    }

    // The next record, or nullopt at the end of the file.
    std::optional<Record> next()
    {
        while (pos_ < text_.size() && (text_[pos_] == u'\n' || text_[pos_] == u'\r'))
            skipLineEnd(); // blank lines, the last line's end
        if (pos_ >= text_.size())
            return std::nullopt;
        Record record;
        record.line = line_;
        for (;;) {
            record.fields.append(readField(record.line));
            if (pos_ >= text_.size())
                break;
            const QChar c = text_[pos_];
            if (c == u',') {
                ++pos_;
                continue;
            }
            skipLineEnd();
            break;
        }
        return record;
    }

private:
    void skipLineEnd()
    {
        if (text_[pos_] == u'\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == u'\n')
            ++pos_;
        ++pos_;
        ++line_;
    }

    Field readField(qint64 recordLine)
    {
        Field field;
        if (pos_ < text_.size() && text_[pos_] == u'"') {
            field.quoted = true;
            ++pos_;
            for (;;) {
                if (pos_ >= text_.size())
                    throw db::DbError(lineError(name_, recordLine, QStringLiteral("引号没有结束")));
                const QChar c = text_[pos_];
                if (c == u'"') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == u'"') {
                        field.text.append(u'"');
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                if (c == u'\n')
                    ++line_;
                field.text.append(c);
                ++pos_;
            }
            if (pos_ < text_.size() && text_[pos_] != u',' && text_[pos_] != u'\n' && text_[pos_] != u'\r')
                throw db::DbError(lineError(name_, recordLine, QStringLiteral("引号后面应是逗号或行尾")));
            return field;
        }
        const qsizetype start = pos_;
        while (pos_ < text_.size() && text_[pos_] != u',' && text_[pos_] != u'\n' && text_[pos_] != u'\r')
            ++pos_;
        field.text = text_.mid(start, pos_ - start);
        return field;
    }

    QString name_;
    QString text_;
    qsizetype pos_ = 0;
    qint64 line_ = 1;
};

// --- values ---------------------------------------------------------------------------------

struct Converted {
    QVariant value;
    QString error; // empty when the value converted
};

std::optional<QDate> parseDate(const QString &text, bool *twoDigitYear)
{
    // Whatever time of day comes with it is dropped: the library keeps dates only.
    static const QRegularExpression american(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})(?:\\s+\\d{1,2}:\\d{2}(?::\\d{2})?)?$"));
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T]\\d{1,2}:\\d{2}(?::\\d{2}(?:\\.\\d+)?)?)?$"));
    const QString t = text.trimmed();
    if (const auto m = iso.match(t); m.hasMatch()) {
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        return d.isValid() ? std::optional(d) : std::nullopt;
    }
    if (const auto m = american.match(t); m.hasMatch()) {
        int year = m.captured(3).toInt();
        if (m.captured(3).size() == 2) {
            // The export lost the century: take the latest year that is not in the future.
            const int thisYear = Platform::instance().today().year();
            year += (thisYear / 100) * 100;
            if (year > thisYear)
                year -= 100;
            *twoDigitYear = true;
        }
        const QDate d(year, m.captured(1).toInt(), m.captured(2).toInt());
        return d.isValid() ? std::optional(d) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<bool> parseYesNo(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("1") || t == QLatin1String("-1") || t == QLatin1String("true") || t == QLatin1String("yes"))
        return true;
    if (t == QLatin1String("0") || t == QLatin1String("false") || t == QLatin1String("no"))
        return false;
    return std::nullopt;
}

QString quotedValue(const QString &column, const QString &text) { return QStringLiteral("%1 的值 \"%2\" ").arg(column, text); }

Converted convert(const Field &field, const QString &column, db::ColumnKind kind, bool *twoDigitYear)
{
    using db::ColumnKind;
    if (kind == ColumnKind::Text)
        return {field.isNull() ? QVariant() : QVariant(field.text), {}};
    const QString t = field.text.trimmed();
    if (t.isEmpty())
        return {QVariant(), {}};
    bool ok = false;
    switch (kind) {
    case ColumnKind::Integer: {
        const qlonglong n = t.toLongLong(&ok);
        return ok ? Converted{n, {}} : Converted{{}, quotedValue(column, t) + QStringLiteral("不是整数")};
    }
    case ColumnKind::Floating: {
        const double d = QLocale::c().toDouble(t, &ok);
        return ok ? Converted{d, {}} : Converted{{}, quotedValue(column, t) + QStringLiteral("不是数字")};
    }
    case ColumnKind::Money: {
        const auto m = db::Money::parse(t);
        return m ? Converted{QVariant::fromValue(*m), {}}
                 : Converted{{}, quotedValue(column, t) + QStringLiteral("不是四位小数以内的金额")};
    }
    case ColumnKind::Date: {
        const auto d = parseDate(t, twoDigitYear);
        return d ? Converted{*d, {}} : Converted{{}, quotedValue(column, t) + QStringLiteral("不是日期 (MM/DD/YY 或 yyyy-mm-dd)")};
    }
    case ColumnKind::YesNo: {
        const auto b = parseYesNo(t);
        return b ? Converted{*b, {}} : Converted{{}, quotedValue(column, t) + QStringLiteral("不是是/否值 (1 或 0)")};
    }
    case ColumnKind::Text:
        break;
    }
    return {field.text, {}};
}

// A column the database requires (卡内金额) keeps the schema's zero when the old row had nothing.
QVariant requiredDefault(db::ColumnKind kind)
{
    switch (kind) {
    case db::ColumnKind::Money:
        return QVariant::fromValue(db::Money());
    case db::ColumnKind::Integer:
        return 0;
    case db::ColumnKind::Floating:
        return 0.0;
    case db::ColumnKind::YesNo:
        return false;
    default:
        return {};
    }
}

// --- autonumber columns ---------------------------------------------------------------------

bool isAutonumber(const QString &column) { return column.compare(QLatin1String("id"), Qt::CaseInsensitive) == 0; }

void execRaw(db::Database &database, const QString &statement)
{
    QSqlQuery q(database.handle());
    if (!q.exec(statement))
        throw db::DbError(db::errorText(q.lastError(), statement));
}

// Explicit ids must be allowed in (SQL Server) and the next assigned id must follow the kept
// ones (PostgreSQL's identity sequence does not notice explicit values; SQLite does).
void beforeExplicitIds(db::Database &database, const QString &table)
{
    if (database.engine() == db::Engine::SqlServer)
        execRaw(database, QStringLiteral("set identity_insert %1 on").arg(table));
}

void afterExplicitIds(db::Database &database, const QString &table, const QString &column)
{
    if (database.engine() == db::Engine::SqlServer)
        execRaw(database, QStringLiteral("set identity_insert %1 off").arg(table));
    if (database.engine() == db::Engine::PostgreSQL)
        execRaw(database, QStringLiteral("select setval(pg_get_serial_sequence('%1', '%2'), coalesce(max(%2), 0) + 1, false) from %1")
                              .arg(table, column.toLower()));
}

// --- one table ------------------------------------------------------------------------------

struct Column {
    QString name; // as the database spells it
    db::ColumnKind kind;
    bool required;
};

class TableLoader {
public:
    TableLoader(db::Database &database, const QString &table, const QString &path, const QString &shownName)
        : db_(database), table_(table), shown_(shownName), reader_(path, shownName)
    {
    }

    qint64 load()
    {
        const auto header = reader_.next();
        if (!header)
            throw db::DbError(lineError(shown_, 1, QStringLiteral("文件是空的, 缺少标题行")));
        matchColumns(*header);
        QSqlQuery insert = prepareInsert();
        db_.exec(db::Sql::fixed(QStringLiteral("delete from %1").arg(table_)));
        if (!idColumn_.isEmpty())
            beforeExplicitIds(db_, table_);
        qint64 rows = 0;
        while (const auto record = reader_.next()) {
            insertRecord(insert, *record);
            ++rows;
        }
        if (!idColumn_.isEmpty())
            afterExplicitIds(db_, table_, idColumn_);
        return rows;
    }

    bool sawTwoDigitYears() const { return twoDigitYear_; }

private:
    void matchColumns(const Record &header)
    {
        const QSqlRecord existing = db_.handle().record(table_);
        QHash<QString, QString> byLowerName;
        for (int i = 0; i < existing.count(); ++i)
            byLowerName.insert(existing.fieldName(i).toLower(), existing.fieldName(i));
        QSet<QString> seen;
        for (const Field &f : header.fields) {
            const QString name = f.text.trimmed();
            const QString key = name.toLower();
            if (!byLowerName.contains(key))
                throw db::DbError(lineError(shown_, header.line, QStringLiteral("表 %1 没有字段 \"%2\"").arg(table_, name)));
            if (seen.contains(key))
                throw db::DbError(lineError(shown_, header.line, QStringLiteral("字段 \"%1\" 出现了两次").arg(name)));
            seen.insert(key);
            const QSqlField field = existing.field(byLowerName.value(key));
            columns_.append({field.name(), db::columnKind(field.name()), field.requiredStatus() == QSqlField::Required});
            if (isAutonumber(field.name()))
                idColumn_ = field.name();
        }
    }

    QSqlQuery prepareInsert()
    {
        QStringList names, marks;
        for (const Column &c : columns_) {
            names.append(c.name);
            marks.append(QStringLiteral("?"));
        }
        statement_ = QStringLiteral("insert into %1 (%2) values (%3)").arg(table_, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        QSqlQuery q(db_.handle());
        q.setForwardOnly(true);
        if (!q.prepare(statement_))
            throw db::DbError(db::errorText(q.lastError(), statement_));
        return q;
    }

    // Row by row, not in batches: a row the database refuses is then reported with its line.
    void insertRecord(QSqlQuery &insert, const Record &record)
    {
        if (record.fields.size() != columns_.size())
            throw db::DbError(lineError(shown_, record.line,
                                        QStringLiteral("有 %1 个值, 标题行有 %2 个字段").arg(record.fields.size()).arg(columns_.size())));
        for (qsizetype i = 0; i < columns_.size(); ++i) {
            const Column &column = columns_[i];
            Converted c = convert(record.fields[i], column.name, column.kind, &twoDigitYear_);
            if (!c.error.isEmpty())
                throw db::DbError(lineError(shown_, record.line, c.error));
            if (c.value.isNull() && column.required)
                c.value = requiredDefault(column.kind);
            insert.bindValue(int(i), db_.driver().toStorage(c.value));
        }
        if (!insert.exec())
            throw db::DbError(lineError(shown_, record.line, db::errorText(insert.lastError(), statement_)));
    }

    db::Database &db_;
    QString table_;
    QString shown_;
    CsvReader reader_;
    QList<Column> columns_;
    QString idColumn_;
    QString statement_;
    bool twoDigitYear_ = false;
};

void removeCreated(const db::ConnectionSpec &spec)
{
    if (spec.engine == db::Engine::SQLite) {
        for (const char *suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(spec.file + QLatin1String(suffix));
        return;
    }
    try {
        db::Database database(spec, QString());
        for (const QString &table : db::schemaTables())
            execRaw(database, QStringLiteral("drop table if exists %1").arg(table));
    } catch (const db::DbError &) {
        // The import's own error is the one to report.
    }
}

} // namespace

CsvImport::CsvImport(db::Database &database) : db_(database) {}

QStringList CsvImport::tableFiles(const QString &folder, QStringList *skipped)
{
    const QDir dir(folder);
    if (!dir.exists())
        throw db::DbError(QStringLiteral("文件夹不存在: %1").arg(folder));
    QHash<QString, QString> byTable; // lower-case table name -> file name
    for (const QString &file : dir.entryList({QStringLiteral("*.csv"), QStringLiteral("*.CSV")}, QDir::Files, QDir::Name)) {
        const QString base = QFileInfo(file).completeBaseName();
        bool known = false;
        for (const QString &table : db::schemaTables())
            if (table.compare(base, Qt::CaseInsensitive) == 0) {
                byTable.insert(table, file);
                known = true;
            }
        if (!known && skipped)
            skipped->append(file);
    }
    QStringList files;
    for (const QString &table : db::schemaTables())
        if (byTable.contains(table))
            files.append(byTable.value(table));
    if (files.isEmpty())
        throw db::DbError(QStringLiteral("文件夹 %1 中没有图书管理系统的表文件 (如 图书.csv, 读者库.csv)").arg(folder));
    return files;
}

CsvImportReport CsvImport::load(const QString &folder)
{
    CsvImportReport report;
    QStringList skipped;
    const QStringList files = tableFiles(folder, &skipped);
    for (const QString &file : skipped)
        report.warnings.append(QStringLiteral("跳过 %1: 不是图书管理系统的表").arg(file));
    const QDir dir(folder);
    db::Transaction transaction(db_);
    for (const QString &file : files) {
        const QString table = [&] {
            for (const QString &t : db::schemaTables())
                if (t.compare(QFileInfo(file).completeBaseName(), Qt::CaseInsensitive) == 0)
                    return t;
            return QString();
        }();
        TableLoader loader(db_, table, dir.filePath(file), dir.filePath(file));
        report.tables.append({table, loader.load()});
        if (loader.sawTwoDigitYears())
            report.warnings.append(QStringLiteral("%1: 日期只有两位年份, 已按不晚于今年的年份读入; "
                                                  "用 mdb-export -D \"%Y-%m-%d\" 导出可保留完整年份")
                                       .arg(dir.filePath(file)));
    }
    transaction.commit();
    return report;
}

CsvImportReport createFromCsv(const QString &folder, const db::ConnectionSpec &spec)
{
    CsvImport::tableFiles(folder); // a wrong folder is refused before anything is created
    createDatabase(spec);
    try {
        db::Database database(spec, QString());
        return CsvImport(database).load(folder);
    } catch (...) {
        removeCreated(spec);
        throw;
    }
}

} // namespace tools
