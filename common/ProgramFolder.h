#pragma once

#include <QString>

// The folder of the program's executable, where de.ini, book.db, the report templates and the
// help files live (never the working folder).
QString programFolder();
// Points programFolder() elsewhere (tests).
void setProgramFolder(const QString &folder);

// The application title, by which a running instance is found.
inline const QString ApplicationTitle = QStringLiteral("图书管理系统");
