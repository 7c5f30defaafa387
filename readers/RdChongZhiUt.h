#pragma once

#include "common/LibraryWindow.h"
#include "db/Money.h"

#include <QVariant>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
namespace db {
class Database;
}

// 卡内充值: adds money to one reader's card balance, or takes it out as a refund, and books each
// movement in 收入 as "充值". The reader is the current row of the reader management list, named
// by its row identity. The balance changes in SQL and the ledger row is written in the same
// transaction, so rent that a desk takes from the same card at the same moment is not lost.
class TRdChongZhiFm : public LibraryWindow {
    Q_OBJECT
public:
    // Throws db::DbError when the reader is no longer there.
    TRdChongZhiFm(db::Database &database, const QVariant &rowId, QWidget *parent = nullptr);

    QLineEdit *DBEdit1;       // 读者编号
    QLineEdit *DBEdit2;       // 读者姓名
    QLineEdit *DBEdit3;       // 性别
    QLineEdit *DBEdit4;       // 卡内金额
    QLineEdit *Edit1;         // 金额: digits and the point only
    QCheckBox *CheckBox1;     // 退款(充入负值)
    QPlainTextEdit *Memo1;    // 备注
    QPushButton *Button1;     // 确定
    QPushButton *Button2;     // 返回

    void FormShow();
    void Edit1Click();
    void Button1Click();
    void Button2Click();

    // The amount box as money: four decimals, rounded; a text that is no number counts as 0.
    static db::Money amountOf(const QString &text);

signals:
    // The balance was changed and booked.
    void balanceChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showReader();
    void topUp(db::Money amount, const QString &remark);

    db::Database &db_;
    QVariant rowId_;
};
