#pragma once

#include "components/DateRangeList.h"

// 资金统计: the rows of the money ledger 收入 between two dates, with the sum of their amounts.
class TShouRuCountFm : public DateRangeListWindow {
    Q_OBJECT
public:
    explicit TShouRuCountFm(QWidget *parent = nullptr);

    // The ledger rows whose 时间 lies from `from` to `to`, both included.
    static db::Sql ledger(const QDate &from, const QDate &to);
};
