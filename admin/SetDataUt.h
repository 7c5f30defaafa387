#pragma once

#include <QDialog>
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
class TSetDataFm : public QDialog {
    Q_OBJECT
public:
    explicit TSetDataFm(QWidget *parent = nullptr);
    ~TSetDataFm() override;

    QRadioButton *RadioButton1; // the embedded database file
    QRadioButton *RadioButton2; // SQL Server
    QRadioButton *RadioButton3; // PostgreSQL
    QGroupBox *GroupBox1;
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

    // The test connection's current text: the initial one until a test is made.
    const QString &testConnectionText() const { return testText_; }

private:
    QString serverProvider() const;

    QString testText_;
    std::unique_ptr<db::Database> testConnection_;
};
