#pragma once

#include "common/LibraryWindow.h"

#include <QList>
#include <QVariant>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// 系统设置: the one row of 系统设置 — the library's name and contact data, the switches of
// circulation, the account-opening fee, the back of the reader card and the return desk's focus.
// The login copies most of it into the Session, so it takes effect at the next login.
class TSysInfoSetFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TSysInfoSetFm(QWidget *parent = nullptr);

    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5; // 图书馆名, 地址, 邮编, 电话, 负责人
    QLineEdit *Edit6, *Edit7;                         // 超期每日罚金, 押金倍数
    QGroupBox *GroupBox1;                             // 归还焦点
    QRadioButton *RadioButton1, *RadioButton2, *RadioButton3; // 条形码, 图书编号, 读者编号
    QCheckBox *CheckBox1, *CheckBox2, *CheckBox3, *CheckBox4, *CheckBox5, *CheckBox6;
    QLineEdit *Edit8;      // 开户费
    QPlainTextEdit *Memo1; // 借阅证背面文字
    QPushButton *Button1;  // 保存
    QPushButton *Button2;  // 取消

    void FormShow();
    void Button1Click();
    void Button2Click();

private:
    QVariant rowId_; // the row being edited; invalid when the table has none
};
