#pragma once

#include <QString>

class DataGrid;

// "转Excel" of the list windows: the grid's rows, in its current order and under its filters,
// into a new spreadsheet (ExportToSpreadsheet). Afterwards the last row is current, as after the
// walk through the result. Returns the workbook's path, empty when no spreadsheet program is there.
QString ExportGridToSpreadsheet(DataGrid &grid);
