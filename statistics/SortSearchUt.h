#pragma once

#include "common/LibraryWindow.h"
#include "db/Sql.h"

class DataGrid;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// 分类统计: copies and value of the books or of the periodicals, per first-level class.
class TSortSearchFM : public LibraryWindow {
    Q_OBJECT
public:
    explicit TSortSearchFM(QWidget *parent = nullptr);

    QGroupBox *GroupBox1;
    QLabel *Label1;         // 统计范围:
    QComboBox *ComboBox1;   // 图书 or 期刊, editable
    QPushButton *Button1;   // 统计
    QPushButton *Button2;   // 导出Excel
    QPushButton *Button3;   // 打印
    QPushButton *Button4;   // 退出
    DataGrid *DBGrid1;

    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();

    // One row per class of the table: 分类, 数量 (copies), 金额 (数量 × 价格). Books and
    // periodicals whose class was left empty, or never written, form one row with an empty class.
    static db::Sql statistics(const QString &table);

private:
    void compute(const QString &table);
};
