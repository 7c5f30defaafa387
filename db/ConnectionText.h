#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace db {

enum class Engine { SQLite, SqlServer, PostgreSQL };

// What the connection of a de.ini text reaches.
struct ConnectionSpec {
    Engine engine = Engine::SQLite;
    QString file;       // SQLite: absolute path of the database file
    QString host;       // SQL Server, PostgreSQL
    int port = 0;       // 0: the engine's default
    QString instance;   // SQL Server named instance (server\instance)
    QString database;
    QString user;
    QString password;
    int timeoutSeconds = 15;
};

// The value of one key of an OLE DB style text "Key=Value;Key=Value" (keys without regard to
// case, values trimmed; a value between double or single quotes is taken exactly as written
// there, the quote doubled inside). Empty when absent.
QString connectionTextValue(const QString &text, const QString &key);

// The text of keys and values, in their order, that connectionTextValue reads back exactly:
//   connectionText({{"Provider", "PostgreSQL"}, {"Password", password}, {"User ID", user}, ...})
// A value that holds ; ' or ", or blanks at either end, goes between double quotes, a double
// quote inside doubled. Keys are the fixed names above.
QString connectionText(const QList<QPair<QString, QString>> &pairs);

// Translates a de.ini connection text:
//   "Provider=SQLite;Data Source=book.db"            the embedded file, resolved against programFolder
//   "Provider=SQLOLEDB.1;Password=..;User ID=..;Initial Catalog=..;Data Source=server[,port]"
//   "Provider=PostgreSQL;Password=..;User ID=..;Initial Catalog=..;Data Source=host[:port]"
// Throws DbError for an Access/Jet text (with the way to bring book.mdb over) and for any other
// provider.
ConnectionSpec parseConnectionText(const QString &text, const QString &programFolder);

// The library a command-line tool is given: a database file (relative to the working folder), or a
// connection text (anything holding "=").
ConnectionSpec connectionSpecOf(const QString &target);

// The DatabaseKind whose dialect an engine's display texts use: "a" for the embedded file, "s", "p".
QString kindOfEngine(Engine engine);

// The ODBC connection string (FreeTDS) for a SQL Server spec.
QString odbcConnectString(const ConnectionSpec &spec);

// The message shown when de.ini still names an Access file.
QString accessNotSupportedMessage();

} // namespace db
