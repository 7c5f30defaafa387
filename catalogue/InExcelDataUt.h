#pragma once

#include "catalogue/BookImport.h"
#include "common/LibraryWindow.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// Excel导入: books from a sheet, its columns by position in the order of list B; every line
// stands or fails on its own, the failed ones listed with their reasons.
class TInExcelDataFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TInExcelDataFm(QWidget *parent = nullptr);

    QListWidget *ListBox1;        // the sheet's first line
    QListWidget *ListBox2;        // the columns of 图书
    QLabel *Label1;               // data lines
    QLabel *Label2;               // columns
    QPushButton *Button3;         // 选择Excel
    QPushButton *Button6;         // 开始导入
    QPushButton *Button5;         // 清空list
    QPushButton *Button4;         // 退出
    QPushButton *Button7;         // 保存失败原因
    QCheckBox *CheckBox1;         // 自动增加编号
    QProgressBar *ProgressBar1;
    QPlainTextEdit *Memo1;        // the failed line numbers
    QPlainTextEdit *Memo2;        // their reasons

    void FormShow();
    void Button3Click();
    void Button6Click();
    void Button5Click();
    void Button7Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void clearFailedLines();

    QString path_;
    ImportResult last_;
};
