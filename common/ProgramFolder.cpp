#include "common/ProgramFolder.h"

#include <QCoreApplication>

static QString &overridden()
{
    static QString folder;
    return folder;
}

QString programFolder()
{
    return overridden().isEmpty() ? QCoreApplication::applicationDirPath() : overridden();
}

void setProgramFolder(const QString &folder) { overridden() = folder; }
