#include "statistics/RdChartUt.h"

TRdChartFm::TRdChartFm(QWidget *parent)
    : RankingChartWindow({QStringLiteral("读者信息"), QStringLiteral("读者库"), QStringLiteral("累计借阅次数"),
                          QStringLiteral("读者姓名")},
                         parent)
{
    setObjectName(QStringLiteral("RdChartFm"));
}
