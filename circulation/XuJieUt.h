#pragma once

#include "common/LibraryWindow.h"

#include <QVariant>

class QDateEdit;
class QLineEdit;
class QPushButton;

// 续借: moves the due date of one open loan, found by reader number and item number.
class TXuJieFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TXuJieFm(QWidget *parent = nullptr);

    QLineEdit *Edit1; // 读者编号
    QLineEdit *Edit2; // 书刊编号
    QPushButton *Button1; // 确定
    QDateEdit *DateTimePicker1; // 应还日期
    QPushButton *Button2, *Button3, *Button4; // 续借, 取消, 退出

    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click() { close(); }

private:
    void setFound(const QVariant &loanId);

    QVariant loanId_; // the loan the last lookup found; invalid when it found none
};
