#pragma once

#include "common/LibraryWindow.h"
#include "db/Sql.h"

class BarChart;
class QPushButton;

// What one borrowing ranking draws: the rows of a table ranked by a count.
struct RankingChartSetup {
    QString caption;     // the window's title
    QString table;       // 图书, 期刊 or 读者库
    QString valueColumn; // bar height: the count
    QString labelColumn; // bar label
};

// A borrowing ranking: the bar chart of the most lent items or the most active readers, drawn
// once when the window opens. 确定 closes it.
class RankingChartWindow : public LibraryWindow {
    Q_OBJECT
public:
    static constexpr int TopRows = 12;

    RankingChartWindow(const RankingChartSetup &setup, QWidget *parent = nullptr);

    QPushButton *Button1; // 确定
    BarChart *DBChart1;

    void FormShow();
    const RankingChartSetup &setup() const { return setup_; }

    // The highest counts first: twelve rows, or twelve percent of the rows on SQL Server.
    static db::Sql ranking(const RankingChartSetup &setup);

private:
    RankingChartSetup setup_;
};
