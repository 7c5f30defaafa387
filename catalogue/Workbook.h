#pragma once

#include "catalogue/BookImport.h"

#include <QString>

// The worksheet a workbook opens on (its active sheet) as text, the way a user reads its cells:
// numbers without needless decimals (300, 25.5), date cells as yyyy-MM-dd, booleans as
// TRUE/FALSE, an empty cell or a gap as "" in its column, and an empty line inside the sheet as
// an empty line; lines and cells after the last one with text are not part of it. Chosen by
// the extension: .xlsx (Office Open XML), .xls (Excel 97–2003) or .csv (readCsvSheet).
// Throws std::runtime_error with the reason in Chinese when the file cannot be read.
SheetLines readSheet(const QString &path);

// The extensions readSheet reads, for the file dialog.
QString sheetFileFilter();
