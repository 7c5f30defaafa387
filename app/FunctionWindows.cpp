#include "app/FunctionWindows.h"

#include "admin/SetDataUt.h"
#include "app/AboutUt.h"
#include "circulation/BkBorrowUt.h"
#include "circulation/BkJySearchUt.h"
#include "circulation/BkReturnUt.h"
#include "circulation/DueRecordUt.h"
#include "circulation/XuJieUt.h"
#include "common/Platform.h"

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
        {QStringLiteral("TBkBorrowFm"), make<TBkBorrowFm>},
        {QStringLiteral("TBkReturnFm"), make<TBkReturnFm>},
        {QStringLiteral("TXuJieFm"), make<TXuJieFm>},
        {QStringLiteral("TDueRecordFm"), make<TDueRecordFm>},
        {QStringLiteral("TBkJySearchFm"), make<TBkJySearchFm>},
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
