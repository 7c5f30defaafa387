#pragma once

#include "common/LibraryWindow.h"

class QCheckBox;
class QPushButton;

// 清理数据: empties the chosen data tables in one step, behind a fixed password. Before it deletes
// anything it backs the embedded database up into a dated file (a server database is backed up
// with the server's own tool, which the window names).
class TCleanDataFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TCleanDataFm(QWidget *parent = nullptr);

    static const QString Password;

    QCheckBox *CheckBox1; // 删除图书信息
    QCheckBox *CheckBox2; // 删除期刊信息
    QCheckBox *CheckBox3; // 删除读者信息
    QCheckBox *CheckBox4; // 删除借阅记录
    QCheckBox *CheckBox5; // 删除资金记录
    QPushButton *Button1; // 确定
    QPushButton *Button2; // 返回

    void Button1Click();
    void Button2Click();
    void CleanData();

    // Where the automatic backup before the deletes goes: backups/<name>-<date>-<time>.<suffix>
    // beside the database file, numbered on when that name is taken.
    static QString datedBackupPath(const QString &databaseFile, const QDateTime &at);

private:
    bool backUpFirst();
};
