#pragma once

#include "common/LibraryWindow.h"
#include "db/Database.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// 读者添加: registers new readers, one per save, with the account-opening fee in 收入 when the
// library charges one. The reader and his fee row are stored together or not at all.
class TRdAddFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TRdAddFm(QWidget *parent = nullptr);

    QLineEdit *Edit1;            // 读者编号
    QLineEdit *Edit2;            // 读者姓名
    QComboBox *ComboBox1;        // 性别
    QComboBox *ComboBox2;        // 类别
    QLineEdit *Edit4;            // 联系电话
    QLineEdit *Edit3;            // 证件号码
    QDateEdit *DateTimePicker1;  // 有效期
    QComboBox *ComboBox3;        // 单位部门
    QLineEdit *Edit5;            // 住址
    QPlainTextEdit *Memo1;       // 备注
    QComboBox *ComboBox4;        // 有效证件
    QComboBox *ComboBox5;        // 班级
    QComboBox *ComboBox6;        // 院系
    QLineEdit *Edit6;            // 拼音, display only
    QPushButton *Button1;        // 保存
    QPushButton *Button2;        // 返回
    QCheckBox *CheckBox1;        // 保存后清空数据

    void FormShow();
    void InitialData();
    void Edit2Change();
    void Button1Click();
    void Button2Click();

private:
    db::Fields readerFields() const;
    db::Fields feeFields() const;
};
