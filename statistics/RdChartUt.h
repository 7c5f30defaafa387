#pragma once

#include "statistics/RankingChart.h"

// 读者信息: the borrowing ranking of the readers with the most loans.
class TRdChartFm : public RankingChartWindow {
    Q_OBJECT
public:
    explicit TRdChartFm(QWidget *parent = nullptr);
};
