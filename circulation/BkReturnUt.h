#pragma once

#include "circulation/RecordFields.h"
#include "common/LibraryWindow.h"

#include <QVariantHash>
#include <optional>

class DataGrid;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// 归还操作: the return desk. Open loans are found by item number, barcode or reader number; the
// current one shows its days out and rent, and 归还 closes it (Button1Click).
class TBkReturnFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TBkReturnFm(QWidget *parent = nullptr);

    QLineEdit *Edit1, *Edit2, *Edit3; // 图书编号, 条形码, 读者编号
    QPushButton *Button4;             // 搜索
    DataGrid *DBGrid1;                // open loans
    QGroupBox *GroupBox2;             // 当前记录
    RecordFields loanFields{QStringLiteral("Loan")};
    QLineEdit *Edit4;     // 实际租期
    QLabel *Label5;       // 实际租金
    QLineEdit *Edit5;     // 实际租金
    QCheckBox *CheckBox1; // 破损/丢失/赔偿
    QGroupBox *GroupBox3; // the condition group
    QComboBox *ComboBox1; // 物品状况
    QLineEdit *Edit6;     // 赔偿金额
    QPlainTextEdit *Memo1; // 归还备注
    QPushButton *Button1, *Button2, *Button3; // 归还, 取消, 退出

    void FormShow();
    void CleanData();
    void InitialFocus();
    void Button4Click();
    void DBGrid1CellClick(int row);
    void CheckBox1Click();
    void Button1Click();
    void Button2Click() { CleanData(); }
    void Button3Click();

    // The box named by 系统设置 that takes the focus at opening and after each return.
    const QString &focusTarget() const { return focusTarget_; }

private:
    void buildSearch();
    void buildCurrent();
    void showLoan(int row);
    void forgetLoan();

    QString focusTarget_;
    std::optional<QVariantHash> loan_; // the current loan, as the boxes show it
};
