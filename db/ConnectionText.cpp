#include "db/ConnectionText.h"

#include "db/DbError.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QStringList>

namespace db {

// Key=Value pairs separated by ";". A value that begins with a quote runs to the matching quote
// (doubled inside: one quote) and is kept as written; anything else is trimmed.
static QList<QPair<QString, QString>> splitPairs(const QString &text)
{
    QList<QPair<QString, QString>> pairs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype equals = text.indexOf(QLatin1Char('='), i);
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), i);
        if (equals < 0 || (semicolon >= 0 && semicolon < equals)) { // a piece without a value
            i = semicolon < 0 ? n : semicolon + 1;
            continue;
        }
        const QString key = text.mid(i, equals - i).trimmed();
        i = equals + 1;
        while (i < n && text.at(i).isSpace())
            ++i;
        QString value;
        if (i < n && (text.at(i) == QLatin1Char('"') || text.at(i) == QLatin1Char('\''))) {
            const QChar quote = text.at(i++);
            for (; i < n; ++i) {
                if (text.at(i) != quote) {
                    value += text.at(i);
                } else if (i + 1 < n && text.at(i + 1) == quote) {
                    value += quote;
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            const qsizetype end = text.indexOf(QLatin1Char(';'), i);
            i = end < 0 ? n : end + 1; // whatever follows the closing quote is not the value's
        } else {
            const qsizetype end = text.indexOf(QLatin1Char(';'), i);
            value = text.mid(i, (end < 0 ? n : end) - i).trimmed();
            i = end < 0 ? n : end + 1;
        }
        if (!key.isEmpty())
            pairs.append({key, value});
    }
    return pairs;
}

QString connectionTextValue(const QString &text, const QString &key)
{
    for (const auto &pair : splitPairs(text))
        if (pair.first.compare(key, Qt::CaseInsensitive) == 0)
            return pair.second;
    return {};
}

QString connectionText(const QList<QPair<QString, QString>> &pairs)
{
    QStringList parts;
    for (const auto &[key, value] : pairs) {
        const bool quote = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('"'))
            || value.contains(QLatin1Char('\'')) || value.trimmed() != value;
        QString shown = value;
        if (quote)
            shown = QLatin1Char('"') + shown.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
        parts.append(key + QLatin1Char('=') + shown);
    }
    return parts.join(QLatin1Char(';'));
}

QString accessNotSupportedMessage()
{
    return QStringLiteral(
        "本系统不再使用 Access 数据库文件(book.mdb)。\n"
        "请用 tools/book-createdb 建立新的数据库文件 book.db, 再用 mdbtools 的 mdb-export 导出 book.mdb 的各表, "
        "以 book-createdb --import-csv 导入 (见 README 的“从 book.mdb 迁移”)；\n"
        "然后把 de.ini 中 csaccess 改为 Provider=SQLite;Data Source=book.db");
}

static void splitHostPort(const QString &source, QChar separator, ConnectionSpec &spec)
{
    QString host = source;
    const int at = host.lastIndexOf(separator);
    if (at > 0) {
        bool ok = false;
        const int port = host.mid(at + 1).trimmed().toInt(&ok);
        if (ok) {
            spec.port = port;
            host = host.left(at);
        }
    }
    const int backslash = host.indexOf(QLatin1Char('\\'));
    if (backslash > 0) {
        spec.instance = host.mid(backslash + 1).trimmed();
        host = host.left(backslash);
    }
    host = host.trimmed();
    if (host == QLatin1String("(local)") || host == QLatin1String(".") || host.isEmpty())
        host = QStringLiteral("127.0.0.1");
    spec.host = host;
}

ConnectionSpec parseConnectionText(const QString &text, const QString &programFolder)
{
    const QString provider = connectionTextValue(text, QStringLiteral("Provider"));
    const QString source = connectionTextValue(text, QStringLiteral("Data Source"));
    ConnectionSpec spec;
    if (provider.startsWith(QLatin1String("Microsoft.Jet.OLEDB"), Qt::CaseInsensitive)
        || provider.startsWith(QLatin1String("Microsoft.ACE.OLEDB"), Qt::CaseInsensitive))
        throw DbError(accessNotSupportedMessage());

    if (provider.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
        spec.engine = Engine::SQLite;
        if (source.isEmpty())
            throw DbError(QStringLiteral("数据库连接文本缺少 Data Source: %1").arg(text));
        spec.file = QDir(programFolder).absoluteFilePath(source);
        return spec;
    }

    const bool sqlServer = provider.startsWith(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive)
        || provider.startsWith(QLatin1String("SQLNCLI"), Qt::CaseInsensitive)
        || provider.startsWith(QLatin1String("MSOLEDBSQL"), Qt::CaseInsensitive);
    const bool postgres = provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0;
    if (!sqlServer && !postgres)
        throw DbError(QStringLiteral("不支持的数据库连接: %1").arg(text));

    spec.engine = sqlServer ? Engine::SqlServer : Engine::PostgreSQL;
    splitHostPort(source, sqlServer ? QLatin1Char(',') : QLatin1Char(':'), spec);
    spec.database = connectionTextValue(text, QStringLiteral("Initial Catalog"));
    spec.user = connectionTextValue(text, QStringLiteral("User ID"));
    spec.password = connectionTextValue(text, QStringLiteral("Password"));
    const QString timeout = connectionTextValue(text, QStringLiteral("Connect Timeout"));
    if (timeout.toInt() > 0)
        spec.timeoutSeconds = timeout.toInt();
    return spec;
}

ConnectionSpec connectionSpecOf(const QString &target)
{
    const QString text = target.contains(QLatin1Char('='))
        ? target
        : QStringLiteral("Provider=SQLite;Data Source=") + QDir::current().absoluteFilePath(target);
    return parseConnectionText(text, QDir::currentPath());
}

QString kindOfEngine(Engine engine)
{
    switch (engine) {
    case Engine::SQLite:
        return QStringLiteral("a");
    case Engine::SqlServer:
        return QStringLiteral("s");
    case Engine::PostgreSQL:
        return QStringLiteral("p");
    }
    return {};
}

// ODBC values that hold ; { or } go between braces, a } inside doubled.
static QString odbcValue(const QString &value)
{
    if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{'))
        && !value.contains(QLatin1Char('}')) && value.trimmed() == value)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1String("}"), QLatin1String("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

static QString freeTdsDriver()
{
    // Registered by Debian's tdsodbc in odbcinst.ini; the library path works without it.
    QFile ini(QStringLiteral("/etc/odbcinst.ini"));
    if (ini.open(QIODevice::ReadOnly) && ini.readAll().contains("[FreeTDS]"))
        return QStringLiteral("{FreeTDS}");
    for (const char *path : {"/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so", "/usr/lib/aarch64-linux-gnu/odbc/libtdsodbc.so",
                             "/usr/lib/odbc/libtdsodbc.so"})
        if (QFile::exists(QString::fromLatin1(path)))
            return QString::fromLatin1(path);
    return QStringLiteral("{FreeTDS}");
}

QString odbcConnectString(const ConnectionSpec &spec)
{
    QString s = QStringLiteral("DRIVER=%1;SERVER=%2;").arg(freeTdsDriver(), odbcValue(spec.host));
    if (!spec.instance.isEmpty())
        s = QStringLiteral("DRIVER=%1;SERVER=%2\\%3;").arg(freeTdsDriver(), odbcValue(spec.host), spec.instance);
    else
        s += QStringLiteral("PORT=%1;").arg(spec.port > 0 ? spec.port : 1433);
    if (!spec.database.isEmpty())
        s += QStringLiteral("DATABASE=%1;").arg(odbcValue(spec.database));
    s += QStringLiteral("UID=%1;PWD=%2;TDS_Version=7.4;ClientCharset=UTF-8;")
             .arg(odbcValue(spec.user), odbcValue(spec.password));
    return s;
}

} // namespace db
