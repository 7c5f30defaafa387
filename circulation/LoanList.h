#pragma once

#include "components/DataGrid.h"

#include <QString>

class QWidget;

// What the two loan lists (overdue loans, loan records) share: a column of 借出记录 as a list shows
// it, and the printing of a list's rows.
GridColumn loanColumn(const char *field, GridColumn::Footer footer = GridColumn::Footer::None, bool visible = true);

// Prints the grid's rows, in its order, with the named template; the preview opens over `window`.
void printLoans(const DataGrid *grid, const QString &templateName, QWidget *window);
