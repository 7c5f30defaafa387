#include "statistics/BkChartUt.h"

TBkChartFm::TBkChartFm(QWidget *parent)
    : RankingChartWindow({QStringLiteral("图书统计"), QStringLiteral("图书"), QStringLiteral("借出次数"),
                          QStringLiteral("名称")},
                         parent)
{
    setObjectName(QStringLiteral("BkChartFm"));
}
