#include "app/FunctionWindows.h"

#include "admin/SetDataUt.h"
#include "app/AboutUt.h"
#include "common/Platform.h"
#include "statistics/BkChartUt.h"
#include "statistics/QkChartUt.h"
#include "statistics/RdChartUt.h"
#include "statistics/ShouRuCountUt.h"
#include "statistics/SortSearchUt.h"

#include <QDialog>
#include <QHash>

template <class W>
static QWidget *make(QWidget *owner)
{
    return new W(owner);
}

static const QHash<QString, FunctionWindows::Factory> &factories()
{
    // One line per window; the windows of the subsystems join here as they are built.
    static const QHash<QString, FunctionWindows::Factory> table{
        {QStringLiteral("TSetDataFm"), make<TSetDataFm>},
        {QStringLiteral("TAboutFm"), make<TAboutFm>},
        {QStringLiteral("TSortSearchFM"), make<TSortSearchFM>},
        {QStringLiteral("TBkChartFm"), make<TBkChartFm>},
        {QStringLiteral("TQkChartFm"), make<TQkChartFm>},
        {QStringLiteral("TRdChartFm"), make<TRdChartFm>},
        {QStringLiteral("TShouRuCountFm"), make<TShouRuCountFm>},
    };
    return table;
}

FunctionWindows::Factory FunctionWindows::factory(const QString &windowClass)
{
    return factories().value(windowClass);
}

QStringList FunctionWindows::registered()
{
    QStringList names = factories().keys();
    names.sort();
    return names;
}

QWidget *FunctionWindows::open(const QString &windowClass, QWidget *owner)
{
    const Factory make = factory(windowClass);
    if (!make)
        return nullptr;
    QWidget *window = make(owner);
    Platform::instance().openWindow(window);
    return window;
}
