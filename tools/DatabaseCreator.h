#pragma once

#include "db/ConnectionText.h"

#include <QString>
#include <QStringList>

namespace tools {

// The name of an engine's schema file under db/schema, without ".sql": sqlite, postgresql, mssql.
QString schemaFileName(db::Engine engine);
// The statements of an engine's schema file.
QStringList schemaStatements(db::Engine engine);

// Makes the tables and the required rows in the database that `spec` names: a new SQLite file
// (refused if the file exists), or an empty PostgreSQL or SQL Server database. Throws
// db::DbError; a SQLite file that could not be completed is removed again.
void createDatabase(const db::ConnectionSpec &spec);

} // namespace tools
