#pragma once

#include "components/DateRangeList.h"

// 管理员录入量统计: per cataloguing administrator, the book entries taken in over a range of
// intake dates and the sum of their unit prices. Opened from the intake register.
class TAdminLuRuStatFm : public DateRangeListWindow {
    Q_OBJECT
public:
    explicit TAdminLuRuStatFm(QWidget *parent = nullptr);

    // 登记人, 记录数 (book rows, not copies), 总价格 (unit prices added) of the books whose
    // 入库时间 lies from `from` to `to`, both included.
    static db::Sql statistics(const QDate &from, const QDate &to);
};
