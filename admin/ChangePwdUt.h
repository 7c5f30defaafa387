#pragma once

#include "common/LibraryWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

// 修改密码: the logged-in administrator replaces his own password.
class TChangePwdFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TChangePwdFm(QWidget *parent = nullptr);

    QLabel *Label1;           // "管理员:"
    QLabel *Label2;           // the administrator's name
    QLineEdit *Edit1;         // old password
    QLineEdit *Edit2;         // new password
    QLineEdit *Edit3;         // the new password again
    QPushButton *Button1;     // 保存
    QPushButton *Button2;     // 关闭

    void FormShow();
    void Button1Click();
    void Button2Click();
};
