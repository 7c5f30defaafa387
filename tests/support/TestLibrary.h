#pragma once

#include "db/ConnectionText.h"
#include "db/Database.h"

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class QTestData;

// A fresh library for one test: a program folder in a temporary directory with de.ini and a
// database made by the creation tool's code — the embedded file, or a new PostgreSQL database
// on the server the test script started (LIBRARY_TEST_PG="host=.. port=.. user=..").
class TestLibrary {
public:
    enum class EngineChoice { SQLite, PostgreSQL };

    explicit TestLibrary(EngineChoice engine = EngineChoice::SQLite);
    ~TestLibrary();

    // Whether the PostgreSQL rows take part: the test script named its server
    // (LIBRARY_TEST_PG), or CI=true, where a missing or unreachable server fails them.
    static bool postgresAvailable();
    // Why the PostgreSQL rows cannot run; empty when the server answers.
    static QString postgresFailure();
    // A data column "engine" with a row per engine: SQLite, and PostgreSQL when it takes part.
    static void addEngineRows();
    // For a table of cases with its "engine" column first: a row per engine that takes part, named
    // "sqlite, NAME" and "postgresql, NAME", into which `columns` streams the case's own values.
    static void addEngineRow(const QString &name, const std::function<void(QTestData &row)> &columns);

    // What becomes of the PostgreSQL rows in an environment. `reach` tries the server that
    // LIBRARY_TEST_PG names and returns why it did not answer (empty when it did).
    struct PostgresPlan {
        bool rows = false; // the rows are there
        QString failure;   // and fail with this text; empty: they run
    };
    static PostgresPlan postgresPlan(const QProcessEnvironment &environment,
                                     const std::function<QString(const QString &settings)> &reach);

    QString folder() const { return dir_.path(); }
    QString kind() const; // "a" or "p"
    QString connectionText() const;
    const db::ConnectionSpec &spec() const { return spec_; }

    // Writes de.ini for this library (abc, csaccess or cs, softname, tel, company, ...).
    void writeIni(const QString &extra = {}) const;

    // A connection of the test's own, beside the program's.
    db::Database &db();

private:
    QTemporaryDir dir_;
    EngineChoice engine_;
    db::ConnectionSpec spec_;
    QString pgDatabase_;
    std::unique_ptr<db::Database> db_;
};

// In a test fed by addEngineRows(): a fresh `library` on the row's engine and its `database`;
// a PostgreSQL row fails with the reason when the server is not there.
#define LIBRARY_FOR_ENGINE()                                                                                   \
    QFETCH(int, engine);                                                                                       \
    LIBRARY_CHECK_ENGINE(engine);                                                                              \
    TestLibrary library(static_cast<TestLibrary::EngineChoice>(engine));                                       \
    db::Database &database = library.db()

// Fails the test with the reason when `engine` is PostgreSQL and its server is not there.
#define LIBRARY_CHECK_ENGINE(engine)                                                                           \
    do {                                                                                                       \
        if ((engine) == int(TestLibrary::EngineChoice::PostgreSQL)) {                                          \
            const QString failure_ = TestLibrary::postgresFailure();                                           \
            if (!failure_.isEmpty())                                                                           \
                QFAIL(qPrintable(failure_));                                                                   \
        }                                                                                                      \
    } while (false)

// A test of its own on PostgreSQL: skipped without the test server, failed under CI=true.
#define LIBRARY_NEEDS_POSTGRES()                                                                               \
    do {                                                                                                       \
        if (!TestLibrary::postgresAvailable())                                                                 \
            QSKIP("the test script starts PostgreSQL");                                                        \
        LIBRARY_CHECK_ENGINE(int(TestLibrary::EngineChoice::PostgreSQL));                                      \
    } while (false)
