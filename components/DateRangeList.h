#pragma once

#include "common/LibraryWindow.h"
#include "components/DataGrid.h"
#include "db/Sql.h"

#include <QDate>
#include <QList>
#include <QString>
#include <functional>

class QDateEdit;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QToolBar;
namespace db {
class Database;
}

// What makes one date-range list: the intake statistics, the money ledger, the intake register.
struct DateRangeListSetup {
    QString caption;                        // the window's title
    QString fromCaption = QStringLiteral("从");
    QString toCaption = QStringLiteral("到");
    QDate initialDate;                      // both pickers
    // The query over the range, both ends included.
    std::function<db::Sql(const QDate &from, const QDate &to)> rangeQuery;
    // What the list shows when the window opens; empty: nothing until 统计.
    db::Sql openingQuery = {};
    QString keyTable = {};                  // the table whose rows the list shows, if one
    QList<GridColumn> columns = {};
    // The statement is shown to the user, as he reads it, before it runs.
    bool showQueryText = false;
    // Shown when the to-date lies before the from-date; the query runs anyway and lists nothing.
    QString reversedRangeMessage = {};
    // The report template that 打印 prints, asked at the moment of printing.
    std::function<QString()> reportTemplate = {};
    // Button2 打印, Button3 Excel and Button4 返回 beside 统计; without them the window places
    // PrintList, ExportList and close where it wants (a tool bar).
    bool standardButtons = true;
};

// The list of a table's rows, or of a statistic over them, between two dates: two date pickers
// and 统计 in a condition group, the grid with its footers below, printing and export of what the
// grid holds. Each window that lists by date range configures one.
class DateRangeListWindow : public LibraryWindow {
    Q_OBJECT
public:
    DateRangeListWindow(db::Database &database, DateRangeListSetup setup, QWidget *parent = nullptr);

    QGroupBox *GroupBox1;            // the conditions
    QLabel *Label1, *Label2;         // 从, 到
    QDateEdit *DateTimePicker1;      // from
    QDateEdit *DateTimePicker2;      // to
    QPushButton *Button1;            // 统计
    QPushButton *Button2 = nullptr;  // 打印
    QPushButton *Button3 = nullptr;  // Excel
    QPushButton *Button4 = nullptr;  // 返回
    DataGrid *DBGrid1;

    // 统计: the range query over the two dates.
    void Button1Click();
    // 打印: the report over the grid's rows, in the grid's order, in the print preview.
    void PrintList();
    // Excel: the grid's rows, every column, into a new spreadsheet.
    void ExportList();

    // The statement 统计 runs for the pickers' dates.
    db::Sql rangeStatement() const;
    // A tool bar above the conditions, made on first use.
    QToolBar *toolBar();
    // Where a window adds conditions of its own (before the pickers).
    QHBoxLayout *conditionLayout() const { return conditions_; }
    db::Database &database() const { return db_; }

protected:
    // Opens the list over a statement; a failure leaves it empty and goes on to the error display.
    void showRows(const db::Sql &statement);

private:
    QPushButton *addButton(const char *name, const QString &caption, std::function<void()> handler);

    db::Database &db_;
    DateRangeListSetup setup_;
    QHBoxLayout *conditions_;
    QToolBar *toolBar_ = nullptr;
};
