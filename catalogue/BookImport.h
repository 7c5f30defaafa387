#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace db {
class Database;
}

// The lines of a sheet as text, the titles first; `columns` is the widest line.
struct SheetLines {
    QList<QStringList> lines;
    int columns = 0;
};

// A comma-separated sheet in UTF-8 (with or without its mark) or, when it is not valid UTF-8,
// in GBK. Quoted cells may hold commas, quotes ("") and line breaks. Lines and cells after the
// last one with text are left out. Throws std::runtime_error with the reason in Chinese when the
// file cannot be read.
SheetLines readCsvSheet(const QString &path);

// The eighteen columns of 图书 a sheet's columns fill, by position.
QStringList importColumns();

struct ImportFailure {
    int line;       // the sheet's line number, the titles being line 1
    QString reason; // in Chinese
};

struct ImportResult {
    int imported = 0;
    QList<ImportFailure> failures;
};

// Inserts a row into 图书 for every data line, each line on its own: a line that fails is
// undone alone and listed with its reason, the others are stored. All lines run in one
// transaction. With autoNumber the 编号 is the line number. `progress` hears each line number.
ImportResult importBooks(db::Database &database, const SheetLines &sheet, bool autoNumber,
                         const std::function<void(int line)> &progress = {});
