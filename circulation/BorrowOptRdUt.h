#pragma once

#include "common/LibraryWindow.h"

#include <QPointer>

class DataGrid;
class QLineEdit;
class QPushButton;
class TBkBorrowFm;

// 选择: the reader picker of the borrowing desk. Lists readers, searches by name, initials or
// number, and hands the chosen reader's number to the desk's reader check.
class TBorrowOptRdFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TBorrowOptRdFm(TBkBorrowFm *desk);

    QLineEdit *Edit1; // name or initials
    QLineEdit *Edit2; // reader number
    DataGrid *DBGrid1;
    QPushButton *Button1, *Button2; // 选择(&S), 返回(&R)

    void FormShow();
    void Edit1KeyPress(); // Enter: the name search
    void Edit2KeyPress(); // Enter: the number search
    void Button1Click();
    void Button2Click() { close(); }

private:
    QPointer<TBkBorrowFm> desk_;
};
