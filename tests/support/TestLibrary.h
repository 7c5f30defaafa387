#pragma once

#include "db/ConnectionText.h"
#include "db/Database.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

// A fresh library for one test: a program folder in a temporary directory with de.ini and a
// database made by the creation tool's code — the embedded file, or a new PostgreSQL database
// on the server the test script started (LIBRARY_TEST_PG="host=.. port=.. user=..").
class TestLibrary {
public:
    enum class EngineChoice { SQLite, PostgreSQL };

    explicit TestLibrary(EngineChoice engine = EngineChoice::SQLite);
    ~TestLibrary();

    // Whether the PostgreSQL server of the test script is there.
    static bool postgresAvailable();
    // A data column "engine" with a row per engine at hand (SQLite, and PostgreSQL when there).
    static void addEngineRows();

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

// In a test fed by addEngineRows(): a fresh `library` on the row's engine and its `database`.
#define LIBRARY_FOR_ENGINE()                                                                                   \
    QFETCH(int, engine);                                                                                       \
    TestLibrary library(static_cast<TestLibrary::EngineChoice>(engine));                                       \
    db::Database &database = library.db()
