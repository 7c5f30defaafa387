#include "statistics/RankingChart.h"

#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "components/BarChart.h"
#include "db/Database.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

RankingChartWindow::RankingChartWindow(const RankingChartSetup &setup, QWidget *parent)
    : LibraryWindow(parent), setup_(setup)
{
    setWindowTitle(setup_.caption);

    auto *strip = new QFrame(this);
    strip->setObjectName(QStringLiteral("Panel1"));
    Button1 = new QPushButton(QStringLiteral("确定"), strip);
    Button1->setObjectName(QStringLiteral("Button1"));
    connect(Button1, &QPushButton::clicked, this, [this] { close(); });
    auto *stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    stripLayout->addWidget(Button1);
    stripLayout->addStretch();

    DBChart1 = new BarChart(this);
    DBChart1->setObjectName(QStringLiteral("DBChart1"));
    DBChart1->setTitle(QStringLiteral("借阅次数排行"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(strip);
    layout->addWidget(DBChart1, 1);
    // Wide enough for twelve marks to show whole titles, not cut short.
    resize(1200, 640);
    setWindowState(Qt::WindowMaximized);

    guarded([this] { FormShow(); })();
}

db::Sql RankingChartWindow::ranking(const RankingChartSetup &setup)
{
    // Only the two columns drawn are read; the names come from the window's setup, never typed.
    return db::Sql::fixed(QStringLiteral("select %1,%2 from %3 order by %2 desc")
                              .arg(setup.labelColumn, setup.valueColumn, setup.table))
        .rankingTop(TopRows);
}

void RankingChartWindow::FormShow()
{
    DBChart1->setPoints({});
    db::Rows rows = sharedDb().select(ranking(setup_));
    DBChart1->setSource(rows, setup_.valueColumn, setup_.labelColumn);
}
