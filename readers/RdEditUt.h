#pragma once

#include "common/LibraryWindow.h"
#include "db/Database.h"

#include <QList>
#include <QVariant>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// 读者编辑: changes one reader, the current row of the reader management list, named by its row
// identity. "保存" writes only the columns that were changed, so what another desk changed
// meanwhile in the others (a balance, a count) stays; "取消" and the title bar's close button
// write nothing.
class TRdEditFm : public LibraryWindow {
    Q_OBJECT
public:
    // Throws db::DbError when the reader is no longer there.
    TRdEditFm(db::Database &database, const QVariant &rowId, QWidget *parent = nullptr);

    QLineEdit *DBEdit1;          // 读者编号
    QLineEdit *DBEdit2;          // 读者姓名
    QComboBox *DBComboBox1;      // 性别
    QComboBox *DBComboBox2;      // 类别
    QLineEdit *DBEdit3;          // 院系
    QLineEdit *DBEdit4;          // 班级
    QLineEdit *DBEdit5;          // 卡内金额, read-only
    QComboBox *DBComboBox3;      // 单位部门
    QLineEdit *DBEdit6;          // 住址
    QPlainTextEdit *DBMemo1;     // 备注
    QLineEdit *DBEdit7;          // 联系电话
    QLineEdit *DBEdit8;          // 累计借阅次数, read-only
    QDateEdit *DBDateEdit1;      // 登记日期
    QDateEdit *DBDateEdit2;      // 有效期
    QLineEdit *DBEdit9;          // 状态
    QComboBox *DBComboBox4;      // 有效证件
    QLineEdit *DBEdit10;         // 证件号码
    QLineEdit *DBEdit11;         // py, read-only
    QPushButton *Button1;        // 保存
    QPushButton *Button2;        // 取消

    void FormShow();
    void DBEdit2Change();
    void Button1Click();
    void Button2Click();

    // The columns 保存 would write now, with their values.
    db::Fields changedFields() const;

private:
    struct Binding {
        QString column;
        QWidget *control;
        QVariant loaded; // as shown at opening: the text, or the date (invalid for none)
    };
    void bind(const QString &column, QWidget *control);
    void loadRow();

    db::Database &db_;
    QVariant rowId_;
    QList<Binding> bindings_;
};
