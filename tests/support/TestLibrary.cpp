#include "TestLibrary.h"

#include "db/DbError.h"
#include "tools/DatabaseCreator.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <stdexcept>

static QString pgSetting(const QString &key)
{
    const QString all = qEnvironmentVariable("LIBRARY_TEST_PG");
    for (const QString &part : all.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (part.startsWith(key + QLatin1Char('=')))
            return part.mid(key.size() + 1);
    return {};
}

bool TestLibrary::postgresAvailable() { return !qEnvironmentVariable("LIBRARY_TEST_PG").isEmpty(); }

void TestLibrary::addEngineRows()
{
    QTest::addColumn<int>("engine");
    QTest::newRow("sqlite") << int(EngineChoice::SQLite);
    if (postgresAvailable())
        QTest::newRow("postgresql") << int(EngineChoice::PostgreSQL);
}

static void pgAdmin(const QString &statement)
{
    const QString name = QStringLiteral("pg-admin");
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        admin.setHostName(pgSetting(QStringLiteral("host")));
        admin.setPort(pgSetting(QStringLiteral("port")).toInt());
        admin.setUserName(pgSetting(QStringLiteral("user")));
        admin.setDatabaseName(QStringLiteral("postgres"));
        if (!admin.open())
            throw std::runtime_error(admin.lastError().text().toStdString());
        QSqlQuery q(admin);
        if (!q.exec(statement))
            throw std::runtime_error(q.lastError().text().toStdString());
        admin.close();
    }
    QSqlDatabase::removeDatabase(name);
}

TestLibrary::TestLibrary(EngineChoice engine) : engine_(engine)
{
    if (engine == EngineChoice::SQLite) {
        spec_ = db::parseConnectionText(connectionText(), dir_.path());
    } else {
        static QAtomicInt counter;
        pgDatabase_ = QStringLiteral("lib_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(counter.fetchAndAddRelaxed(1));
        pgAdmin(QStringLiteral("drop database if exists %1").arg(pgDatabase_));
        pgAdmin(QStringLiteral("create database %1 encoding 'UTF8' template template0").arg(pgDatabase_));
        spec_ = db::parseConnectionText(connectionText(), dir_.path());
    }
    tools::createDatabase(spec_);
    writeIni();
}

TestLibrary::~TestLibrary()
{
    db_.reset();
    if (!pgDatabase_.isEmpty()) {
        try {
            pgAdmin(QStringLiteral("drop database if exists %1 with (force)").arg(pgDatabase_));
        } catch (...) {
        }
    }
}

QString TestLibrary::kind() const { return engine_ == EngineChoice::SQLite ? QStringLiteral("a") : QStringLiteral("p"); }

QString TestLibrary::connectionText() const
{
    if (engine_ == EngineChoice::SQLite)
        return QStringLiteral("Provider=SQLite;Data Source=book.db");
    return QStringLiteral("Provider=PostgreSQL;Password=;User ID=%1;Initial Catalog=%2;Data Source=%3:%4")
        .arg(pgSetting(QStringLiteral("user")), pgDatabase_, pgSetting(QStringLiteral("host")), pgSetting(QStringLiteral("port")));
}

void TestLibrary::writeIni(const QString &extra) const
{
    QFile file(QDir(dir_.path()).filePath(QStringLiteral("de.ini")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write de.ini");
    QString text = QStringLiteral("[part1]\nsoftname=测试图书馆管理系统\ntel=010-12345678\ncompany=测试公司\nMemo=说明\nweb=http://example.org\n");
    text += QStringLiteral("abc=%1\n").arg(kind());
    if (engine_ == EngineChoice::SQLite)
        text += QStringLiteral("csaccess=%1\n").arg(connectionText());
    else
        text += QStringLiteral("csaccess=Provider=SQLite;Data Source=book.db\ncs=%1\n").arg(connectionText());
    text += extra;
    file.write(text.toUtf8());
}

db::Database &TestLibrary::db()
{
    if (!db_)
        db_ = std::make_unique<db::Database>(spec_, kind());
    return *db_;
}
