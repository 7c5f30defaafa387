#include "statistics/ShouRuCountUt.h"

#include "app/Session.h"

db::Sql TShouRuCountFm::ledger(const QDate &from, const QDate &to)
{
    return db::Sql("SELECT * FROM 收入 where 时间>=") + db::Sql::date(from) + db::Sql(" and 时间<=") + db::Sql::date(to);
}

TShouRuCountFm::TShouRuCountFm(QWidget *parent)
    : DateRangeListWindow(sharedDb(),
                          {.caption = QStringLiteral("资金统计"),
                           .initialDate = QDate(2008, 8, 10),
                           .rangeQuery = &TShouRuCountFm::ledger,
                           .openingQuery = db::Sql("select * from 收入"),
                           // No row identity: the list is only read, and ordering a date range by
                           // the ledger's id is what would make the server walk the whole ledger.
                           .columns = {{.field = QStringLiteral("id")},
                                       {.field = QStringLiteral("项目")},
                                       {.field = QStringLiteral("时间")},
                                       {.field = QStringLiteral("读者编号")},
                                       {.field = QStringLiteral("读者姓名")},
                                       {.field = QStringLiteral("金额"), .kind = db::ColumnKind::Money,
                                        .footer = GridColumn::Footer::Sum},
                                       {.field = QStringLiteral("管理员")},
                                       {.field = QStringLiteral("备注")}},
                           .reportTemplate = [] { return QStringLiteral("income"); }},
                          parent)
{
    setObjectName(QStringLiteral("ShouRuCountFm"));
}
