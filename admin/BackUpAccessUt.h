#pragma once

#include "common/LibraryWindow.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// 备份数据: a copy of the library's database file into a folder the user picks, taken while the
// program runs. Restoring is done by hand, by copying the backup over the database file.
class TBackUpAccessFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TBackUpAccessFm(QWidget *parent = nullptr);

    QLabel *Label1;            // "请选择好要备份的位置"
    QLineEdit *Edit1;          // the chosen folder
    QPushButton *Button3;      // 浏览...: the folder dialog
    QListWidget *FileListBox1; // the library's database files in the chosen folder
    QLabel *Label2;            // how to restore
    QLabel *Label3;            // the database file in use
    QPushButton *Button1;      // 备份
    QPushButton *Button2;      // 返回

    void Button1Click();
    void Button2Click();
    void Button3Click();
    // Lists the database files of the chosen folder.
    void refreshFiles();

private:
    bool isOwnFolder(const QString &resolved) const;

    QString databaseFile_; // absolute
};
