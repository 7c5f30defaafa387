#pragma once

#include <QString>

// The printer chosen in the main window's tools menu; empty means the system's default printer.
QString chosenPrinterName();
void setChosenPrinterName(const QString &name);
