#pragma once

#include "common/LibraryWindow.h"
#include "components/DataGrid.h"
#include "db/Sql.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <optional>

class QLineEdit;
class QPushButton;
class TBkBorrowFm;

// What makes one picker of the borrowing desk: what it lists and by which columns it searches.
struct PickerConfig {
    QString objectName;
    QString nameCaption;    // "名称或者首拼(&N):"
    QString numberCaption;  // "编号(&B):"
    QList<GridColumn> columns;
    db::Sql listing;        // select ... from the table, without a condition
    QString keyTable;       // the grid's key table; empty: none
    QString nameColumn;     // searched together with py
    QString numberColumn;
};

// 选择: lists at most 200 rows at opening, searches on Enter in either box (contains), and hands
// the chosen row's value to the desk, which then checks it as if it had been typed. 选择, a
// double click or Enter in the list choose; with nothing listed the picker only beeps.
class PickerWindow : public LibraryWindow {
    Q_OBJECT
public:
    QLineEdit *Edit1;  // name or initials
    QLineEdit *Edit2;  // number
    DataGrid *DBGrid1;
    QPushButton *Button1, *Button2; // 选择(&S), 返回(&R)

    void FormShow();
    void Edit1KeyPress(); // Enter: the name search
    void Edit2KeyPress(); // Enter: the number search
    void Button1Click();
    void Button2Click() { close(); }

protected:
    PickerWindow(TBkBorrowFm *desk, PickerConfig config);
    // The column whose value goes back, and how the desk takes it.
    virtual QString handedColumn(const TBkBorrowFm &desk) const = 0;
    virtual void handBack(TBkBorrowFm &desk, const QString &value) const = 0;

private:
    void list(const db::Sql &condition);
    PickerConfig config_;
    QPointer<TBkBorrowFm> desk_;
};

// The value of `field` in the grid's current row; nullopt when the list has no row to hand back.
std::optional<QString> chosenValue(const DataGrid *grid, const QString &field);
