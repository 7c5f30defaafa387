#pragma once

#include <QString>

class DataGrid;
class QWidget;

// "打印" of the list windows: the report template filled with the grid's rows, in its order and
// under its filters, in the print preview. A list not yet opened prints an empty report.
void PrintGridReport(DataGrid &grid, const QString &templateName, QWidget *parent);
