#pragma once

#include "common/LibraryWindow.h"
#include "components/DataGrid.h"
#include "db/Database.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QToolBar;
class QToolButton;

// One entry box of a lookup list: the column it edits and its caption.
struct LookupField {
    QString column;
    QString caption = {}; // empty: no label; the column's name is what a screen reader says
    enum class Box { Text, Check } box = Box::Text;
};

// What sets one table-maintenance window apart from the others.
struct LookupList {
    QString caption; // the window's title
    QString table;
    QList<LookupField> fields;       // the first names the row and is the one checked at 保存
    QList<GridColumn> columns = {};  // the list's columns in this order, no others; empty: every column
    bool sortable = false;           // a click on a heading sorts the list by it
    bool centred = false;            // opens centred on the screen
    QString emptyNameMessage = QStringLiteral("请填写完整！");
    QString checksTitle = {};        // the caption of the frame around the check boxes
    db::Fields newRow = {};          // a new row's values for columns that have no box
    bool keepLastRow = true;         // 删除 refuses the table's last row
    // Refuses to delete the row of this name: the message, or empty to go on and ask.
    std::function<QString(const QString &name)> refuseDelete = {};
};

// The table-maintenance window: every row of one table in a read-only list, and entry boxes
// above it through which one row at a time is added, changed or deleted.
//
// Three states: browsing (添加, 修改, 删除 enabled; the boxes locked and showing the current row),
// adding and modifying (保存, 取消 enabled; the boxes open, the list locked). Nothing is written
// before 保存, and 保存 writes exactly the row that 修改 took or the new one: moving in the list
// cannot store a half-edited row, because the list takes no input while a row is edited.
class LookupListEditor : public LibraryWindow {
    Q_OBJECT
public:
    enum class State { Browsing, Adding, Modifying };

    // Opens the list on `database` (select * from the table); throws db::DbError.
    LookupListEditor(db::Database &database, LookupList list, QWidget *parent = nullptr);

    QToolBar *ToolBar1;
    QToolButton *ToolButton1; // 添加
    QToolButton *ToolButton2; // 修改
    QToolButton *ToolButton5; // 保存
    QToolButton *ToolButton4; // 取消
    QToolButton *ToolButton3; // 删除
    QToolButton *ToolButton6; // 打印报表: hidden, no action
    QToolButton *ToolButton7; // 退出
    QGroupBox *GroupBox1;     // the text boxes
    QGroupBox *GroupBox2;     // the check boxes; nullptr when the list has none
    QLineEdit *DBEdit1;       // the box that names the row
    DataGrid *DBGrid1;

    State state() const { return state_; }
    const LookupList &list() const { return list_; }
    // The box of a column; nullptr when it has none of that kind.
    QLineEdit *edit(const QString &column) const;
    QCheckBox *checkBox(const QString &column) const;

    void ToolButton1Click(); // 添加
    void ToolButton2Click(); // 修改
    void ToolButton5Click(); // 保存
    void ToolButton4Click(); // 取消
    void ToolButton3Click(); // 删除
    void ToolButton7Click(); // 退出

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Box {
        LookupField field;
        QWidget *widget;
    };

    void buildToolBar();
    void buildBoxes();
    QList<GridColumn> gridColumns() const;
    void setState(State state);
    void showCurrentRow();
    void clearBoxes();
    db::Fields boxValues() const;
    QVariant boxValue(const Box &box) const;
    QString currentName() const;
    qint64 rowsInTable() const;
    void selectRow(const QVariant &rowId);

    db::Database &db_;
    LookupList list_;
    QList<Box> boxes_;
    State state_ = State::Browsing;
    QVariant editedRow_; // the row 修改 took
    bool centredOnce_ = false;
};
