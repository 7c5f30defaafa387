#pragma once

#include "common/LibraryWindow.h"

#include <QPointer>

class DataGrid;
class QLineEdit;
class QPushButton;
class TBkBorrowFm;

// 选择: the item picker of the borrowing desk. Lists items of the desk's item kind, searches by
// title, initials or number, and hands the chosen item's key to the desk's item lookup.
class TBorrowOptBkFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TBorrowOptBkFm(TBkBorrowFm *desk);

    QLineEdit *Edit1; // title or initials
    QLineEdit *Edit2; // item number
    DataGrid *DBGrid1;
    QPushButton *Button1, *Button2; // 选择(&S), 返回(&R)

    void FormShow();
    void Edit1KeyPress();
    void Edit2KeyPress();
    void Button1Click();
    void Button2Click() { close(); }

private:
    QString kind_; // the desk's item kind when the picker opened
    QPointer<TBkBorrowFm> desk_;
};
