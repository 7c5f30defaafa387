#pragma once

#include "common/LibraryWindow.h"

#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
namespace db {
class Database;
}

// 数据库设置: which database the program uses from the next start on.
class TSetDataFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TSetDataFm(QWidget *parent = nullptr);
    ~TSetDataFm() override;

    QRadioButton *RadioButton1; // the embedded database file (SQLite)
    QPushButton *Button4;       // 新建: a new, empty library file
    QRadioButton *RadioButton2; // SQL Server
    QRadioButton *RadioButton3; // PostgreSQL
    QGroupBox *GroupBox1;       // the server's settings, captioned by the chosen server kind
    QLabel *Label1, *Label2, *Label3, *Label4;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4; // server, database, user, password
    QPushButton *Button1;                     // 测试
    QPlainTextEdit *Memo1;                    // the cs value read at opening
    QPushButton *Button2;                     // 保存
    QPushButton *Button3;                     // 退出

    void FormShow();
    void RadioButton1Click();
    void ServerRadioClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

    // The test connection's current text: the initial one until a test is made.
    const QString &testConnectionText() const { return testText_; }
    // The connection text of the embedded file that 保存 writes into csaccess (a new file made
    // here, or the standard book.db when de.ini has none); empty when csaccess stays as it is.
    QString embeddedConnectionText() const;

private:
    QString serverProvider() const;

    QString testText_;
    QString newFile_; // the library file made by 新建 in this opening
    std::unique_ptr<db::Database> testConnection_;
};
