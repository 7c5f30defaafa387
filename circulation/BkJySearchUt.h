#pragma once

#include "common/LibraryWindow.h"
#include "db/Sql.h"

class DataGrid;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QPushButton;

// 借阅信息查询: loan records, open or returned, by any combination of conditions, and their report.
class TBkJySearchFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TBkJySearchFm(QWidget *parent = nullptr);

    QGroupBox *GroupBox1; // 请设定查询条件
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5; // 编号, 名称, 条形码, 读者编号, 读者姓名
    QCheckBox *CheckBox1; // 借阅时间 从
    QDateEdit *DateTimePicker1, *DateTimePicker2;
    QCheckBox *CheckBox2; // 归还时间 从
    QDateEdit *DateTimePicker3, *DateTimePicker4;
    QCheckBox *CheckBox3; // 已还
    QComboBox *ComboBox1;
    QPushButton *Button1, *Button3, *Button2; // 查询, 打印, 退出
    DataGrid *DBGrid1;

    void FormShow();
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void Button1Click();
    void Button3Click();
    void Button2Click() { close(); }
    // Joins the next condition piece to the ones before with " and ".
    void AddSql();

    // The condition text of the last query, as the user would be shown it; empty before the first.
    QString conditionText() const;

private:
    bool datesInOrder(const QCheckBox *range, const QDateEdit *from, const QDateEdit *to, const QString &refusal) const;
    void addText(const char *column, const QLineEdit *box);
    void addDates(const char *column, const QDateEdit *from, const QDateEdit *to);

    db::Sql condition_;
};
