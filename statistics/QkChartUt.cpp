#include "statistics/QkChartUt.h"

TQkChartFm::TQkChartFm(QWidget *parent)
    : RankingChartWindow({QStringLiteral("期刊统计"), QStringLiteral("期刊"), QStringLiteral("借出次数"),
                          QStringLiteral("名称")},
                         parent)
{
    setObjectName(QStringLiteral("QkChartFm"));
}
