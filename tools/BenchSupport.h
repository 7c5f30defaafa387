#pragma once

#include "common/Platform.h"
#include "db/ConnectionText.h"
#include "db/Sql.h"

#include <QString>
#include <QStringList>

namespace db {
class Database;
}

namespace tools {

// A scratch database on a PostgreSQL server for a benchmark, made afresh and dropped again at
// the end. settings: "host=.. port=.. user=.. [password=..]".
class ScratchPostgres {
public:
    ScratchPostgres(const QString &settings, const QString &name);
    ~ScratchPostgres();
    ScratchPostgres(const ScratchPostgres &) = delete;
    ScratchPostgres &operator=(const ScratchPostgres &) = delete;

    db::ConnectionSpec spec;

private:
    void admin(const QString &statement) const;
};

// Says nothing and answers no to every question, so that a benchmark runs unattended; an error
// goes to the terminal.
class QuietPlatform : public Platform {
public:
    void message(const QString &, const QString &) override {}
    void error(const QString &text) override;
    bool question(const QString &, const QString &) override { return false; }
    std::optional<QString> inputBox(const QString &, const QString &, const QString &, bool) override { return {}; }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString folderName(const QString &, const QString &) override { return {}; }
    std::optional<QString> choosePrinter(const QString &) override { return {}; }
    void beep() override {}
    bool openDocument(const QString &) override { return false; }
    QString installedProgram(const QStringList &) override { return {}; }
    bool startProgram(const QStringList &, const QStringList &) override { return false; }
};

// The engine's plan of a statement, one line a step, its values as they are bound when it runs.
QStringList queryPlan(db::Database &database, const db::Sql &statement);

} // namespace tools
