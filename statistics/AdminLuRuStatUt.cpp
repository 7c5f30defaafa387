#include "statistics/AdminLuRuStatUt.h"

#include "app/Session.h"

db::Sql TAdminLuRuStatFm::statistics(const QDate &from, const QDate &to)
{
    db::Sql statement = db::Sql("SELECT 登记人, count(编号) AS 记录数, sum(价格) AS 总价格 FROM 图书 where 入库时间>=")
        + db::Sql::date(from) + db::Sql(" and 入库时间<=") + db::Sql::date(to) + db::Sql(" GROUP BY 登记人");
    statement.kind(QStringLiteral("记录数"), db::ColumnKind::Integer).kind(QStringLiteral("总价格"), db::ColumnKind::Money);
    return statement;
}

TAdminLuRuStatFm::TAdminLuRuStatFm(QWidget *parent)
    : DateRangeListWindow(sharedDb(),
                          {.caption = QStringLiteral("管理员录入量统计"),
                           .initialDate = QDate(2008, 8, 10),
                           .rangeQuery = &TAdminLuRuStatFm::statistics,
                           .columns = {{.field = QStringLiteral("登记人")},
                                       {.field = QStringLiteral("记录数"), .kind = db::ColumnKind::Integer},
                                       {.field = QStringLiteral("总价格"), .kind = db::ColumnKind::Money}},
                           .showQueryText = true,
                           .reportTemplate = [] { return QStringLiteral("adminstats"); }},
                          parent)
{
    setObjectName(QStringLiteral("AdminLuRuStatFm"));
}
