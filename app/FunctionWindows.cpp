#include "app/FunctionWindows.h"

#include "admin/AdminUt.h"
#include "admin/BackUpAccessUt.h"
#include "admin/BookCheckUt.h"
#include "admin/ChangePwdUt.h"
#include "admin/CleandataUt.h"
#include "admin/SetDataUt.h"
#include "admin/SysInfoSetUt.h"
#include "app/AboutUt.h"
#include "catalogue/BkAddUt.h"
#include "catalogue/BkEditUt.h"
#include "catalogue/BkRegUt.h"
#include "catalogue/BkSearchUt.h"
#include "catalogue/QkAddUt.h"
#include "catalogue/QkEditUt.h"
#include "catalogue/QkSearchUt.h"
#include "circulation/BkBorrowUt.h"
#include "circulation/BkJySearchUt.h"
#include "circulation/BkReturnUt.h"
#include "circulation/DueRecordUt.h"
#include "circulation/XuJieUt.h"
#include "common/Platform.h"
#include "readers/RdAddUt.h"
#include "readers/RdSearchUt.h"
#include "reference/Bk2KindUt.h"
#include "reference/BkKindUt.h"
#include "reference/DepartMentUt.h"
#include "reference/MoneyKindUt.h"
#include "reference/PaperUt.h"
#include "reference/PlaceUt.h"
#include "reference/PubUt.h"
#include "reference/RdKindUt.h"
#include "reference/RentLevelUt.h"
#include "reference/SecretLevelUt.h"
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
        {QStringLiteral("TAdminFm"), make<TAdminFm>},
        {QStringLiteral("TChangePwdFm"), make<TChangePwdFm>},
        {QStringLiteral("TSysInfoSetFm"), make<TSysInfoSetFm>},
        {QStringLiteral("TBackUpAccessFm"), make<TBackUpAccessFm>},
        {QStringLiteral("TCleanDataFm"), make<TCleanDataFm>},
        {QStringLiteral("TBookCheckFm"), make<TBookCheckFm>},
        {QStringLiteral("TRdKindFm"), make<TRdKindFm>},
        {QStringLiteral("TRentLevelFm"), make<TRentLevelFm>},
        {QStringLiteral("TBkKindFm"), make<TBkKindFm>},
        {QStringLiteral("TBk2KindFm"), make<TBk2KindFm>},
        {QStringLiteral("TPubFm"), make<TPubFm>},
        {QStringLiteral("TDepartMentFm"), make<TDepartMentFm>},
        {QStringLiteral("TPlaceFm"), make<TPlaceFm>},
        {QStringLiteral("TPaperFm"), make<TPaperFm>},
        {QStringLiteral("TSecretLevelFm"), make<TSecretLevelFm>},
        {QStringLiteral("TMoneyKindFm"), make<TMoneyKindFm>},
        {QStringLiteral("TRdAddFm"), make<TRdAddFm>},
        {QStringLiteral("TRdSearchFm"), make<TRdSearchFm>},
        {QStringLiteral("TBkAddFm"), make<TBkAddFm>},
        {QStringLiteral("TQkAddFm"), make<TQkAddFm>},
        {QStringLiteral("TBkSearchFm"), make<TBkSearchFm>},
        {QStringLiteral("TQkSearchFm"), make<TQkSearchFm>},
        {QStringLiteral("TBkRegFm"), make<TBkRegFm>},
        {QStringLiteral("TBkBorrowFm"), make<TBkBorrowFm>},
        {QStringLiteral("TBkReturnFm"), make<TBkReturnFm>},
        {QStringLiteral("TXuJieFm"), make<TXuJieFm>},
        {QStringLiteral("TDueRecordFm"), make<TDueRecordFm>},
        {QStringLiteral("TBkJySearchFm"), make<TBkJySearchFm>},
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
