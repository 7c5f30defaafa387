#pragma once

#include "statistics/RankingChart.h"

// 期刊统计: the borrowing ranking of the most lent periodicals.
class TQkChartFm : public RankingChartWindow {
    Q_OBJECT
public:
    explicit TQkChartFm(QWidget *parent = nullptr);
};
