#pragma once

#include "common/LibraryWindow.h"
#include "components/DataGrid.h"
#include "db/Sql.h"

#include <QList>
#include <QString>
#include <QStyle>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolBar;
class QToolButton;
namespace db {
class Database;
}

// A tool button a list window adds of its own: a print button, 充值, ...
struct SearchListButton {
    QString name; // objectName: "ToolButton9"
    QString caption;
    std::function<void()> action;
    QStyle::StandardPixmap icon = QStyle::SP_FileIcon;
};

// What makes one search-list window: its table, its columns, its searches and its buttons.
struct SearchListConfig {
    QString table;          // the listed table; its row identity names the current row
    QString title;          // the window's caption
    QString gridName = QStringLiteral("DBGrid1");
    db::Sql openingQuery;   // the list at opening: "select * from 读者库", "select top 500 * from 图书"
    QStringList searchColumns; // offered in the column box, in this order
    QString firstSearchColumn; // shown in the column box at opening
    QList<GridColumn> columns; // shown and hidden columns, footers
    QString nameColumn;        // what the delete question names: 读者姓名, 名称
    QString exportCaption = QStringLiteral("转EXCEL");
    bool maximized = false;

    // 添加: a new window; the list is not reloaded when it closes (刷新 shows the new rows).
    std::function<QWidget *()> addWindow;
    // 修改: a window over the row with this identity; the list refreshes when it closes.
    std::function<QWidget *(const QVariant &rowId)> editWindow;
    bool mayAdd = true, mayEdit = true, mayDelete = true; // the rights of the logged-in administrator

    QList<SearchListButton> printButtons; // after 显示全部
    QList<SearchListButton> moreButtons;  // after the export button
};

// The list window over one table: a search by one column (exact or contains), the grid with its
// sorting, filters and footers, and a tool bar that adds, edits, deletes, refreshes, shows all,
// prints and exports. The reader, book and periodical management windows are configurations of it.
//
// The column a user types into the column box must be a column of the table: anything else is
// refused with a message before it reaches the database. The value is bound, never spliced.
class SearchListWindow : public LibraryWindow {
    Q_OBJECT
public:
    explicit SearchListWindow(QWidget *parent = nullptr);

    QToolBar *ToolBar1;
    QGroupBox *GroupBox1;        // 查询条件
    QComboBox *ComboBox1;        // the column to search
    QLabel *Label1;              // 中 含有
    QLineEdit *Edit1;            // the value
    QRadioButton *RadioButton1;  // 精确
    QRadioButton *RadioButton2;  // 模糊
    DataGrid *grid = nullptr;
    QHBoxLayout *conditionRow;   // the search frame's row, for a window's own additions (a totals line)

    // Builds the tool bar and the column box and opens the list with the opening query.
    // Throws db::DbError when the list cannot be opened.
    void configure(db::Database &database, SearchListConfig config);

    // A tool button by its objectName, nullptr when there is none.
    QToolButton *toolButton(const QString &name) const;

    // 查询 (and Enter in the value box).
    void ToolButton8Click();
    // 添加, 修改, 删除 on the current row, 刷新, 显示全部, the export, 退出.
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    void ToolButton4Click();
    void ToolButton5Click();
    void ToolButton10Click();
    void ToolButton7Click();

    // The statement of the list's current text (the opening query, the last search or show all).
    const db::Sql &listStatement() const { return statement_; }
    // The statement of exactly the rows listed, in the grid's order and under its filters.
    db::Sql resultStatement() const { return grid->resultStatement(); }
    db::Database &database() const { return *db_; }
    const SearchListConfig &config() const { return config_; }

    // The identity of the current row; with a message naming `action` ("修改", "充值") and an
    // invalid result when the list has no row to act on.
    QVariant currentRowIdFor(const QString &action) const;
    // Opens a child window through the platform; the list refreshes when it closes.
    void openOverList(QWidget *window);

private:
    QToolButton *addButton(const QString &name, const QString &caption, std::function<void()> action);
    void buildToolBar();
    void openList(const db::Sql &statement);
    db::Sql searchStatement(const QString &column, const QString &value) const;

    db::Database *db_ = nullptr;
    SearchListConfig config_;
    db::Sql statement_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
