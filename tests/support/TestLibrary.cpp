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

static QString settingOf(const QString &all, const QString &key)
{
    for (const QString &part : all.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (part.startsWith(key + QLatin1Char('=')))
            return part.mid(key.size() + 1);
    return {};
}

static QString pgSetting(const QString &key) { return settingOf(qEnvironmentVariable("LIBRARY_TEST_PG"), key); }

TestLibrary::PostgresPlan TestLibrary::postgresPlan(const QProcessEnvironment &environment,
                                                    const std::function<QString(const QString &)> &reach)
{
    const QString settings = environment.value(QStringLiteral("LIBRARY_TEST_PG")).trimmed();
    const bool ci = environment.value(QStringLiteral("CI")).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    if (settings.isEmpty()) {
        if (!ci)
            return {}; // a developer's quick run without the test script: SQLite only
        return {true, QStringLiteral("CI=true but LIBRARY_TEST_PG is not set: the PostgreSQL rows cannot run. "
                                     "Run the tests through scripts/test, which starts a PostgreSQL server.")};
    }
    const QString problem = reach(settings);
    if (problem.isEmpty())
        return {true, {}};
    return {true, QStringLiteral("The PostgreSQL test server of LIBRARY_TEST_PG=\"%1\" is unreachable: %2")
                      .arg(settings, problem)};
}

// Why the server does not answer; empty when it does.
static QString reachServer(const QString &settings)
{
    const QString name = QStringLiteral("pg-reach");
    QString problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        if (!db.isValid()) {
            problem = QStringLiteral("the Qt PostgreSQL driver (QPSQL) is not installed");
        } else {
            db.setHostName(settingOf(settings, QStringLiteral("host")));
            db.setPort(settingOf(settings, QStringLiteral("port")).toInt());
            db.setUserName(settingOf(settings, QStringLiteral("user")));
            db.setDatabaseName(QStringLiteral("postgres"));
            db.setConnectOptions(QStringLiteral("connect_timeout=5"));
            if (!db.open())
                problem = db.lastError().text().simplified();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return problem;
}

// Asked once per test program: every row has the same answer.
static const TestLibrary::PostgresPlan &plan()
{
    static const TestLibrary::PostgresPlan answer =
        TestLibrary::postgresPlan(QProcessEnvironment::systemEnvironment(), reachServer);
    return answer;
}

bool TestLibrary::postgresAvailable() { return plan().rows; }

QString TestLibrary::postgresFailure() { return plan().failure; }

void TestLibrary::addEngineRows()
{
    QTest::addColumn<int>("engine");
    QTest::newRow("sqlite") << int(EngineChoice::SQLite);
    if (postgresAvailable())
        QTest::newRow("postgresql") << int(EngineChoice::PostgreSQL);
}

void TestLibrary::addEngineRow(const QString &name, const std::function<void(QTestData &row)> &columns)
{
    columns(QTest::addRow("sqlite, %s", qPrintable(name)) << int(EngineChoice::SQLite));
    if (postgresAvailable())
        columns(QTest::addRow("postgresql, %s", qPrintable(name)) << int(EngineChoice::PostgreSQL));
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
        // A test that made its own library without LIBRARY_CHECK_ENGINE still learns why.
        if (!postgresFailure().isEmpty())
            throw std::runtime_error(postgresFailure().toStdString());
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
