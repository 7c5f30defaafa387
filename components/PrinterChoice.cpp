#include "components/PrinterChoice.h"

static QString &chosen()
{
    static QString name;
    return name;
}

QString chosenPrinterName() { return chosen(); }

void setChosenPrinterName(const QString &name) { chosen() = name; }
