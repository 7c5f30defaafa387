#pragma once

#include "statistics/RankingChart.h"

// 图书统计: the borrowing ranking of the most lent books.
class TBkChartFm : public RankingChartWindow {
    Q_OBJECT
public:
    explicit TBkChartFm(QWidget *parent = nullptr);
};
