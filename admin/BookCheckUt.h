#pragma once

#include "common/LibraryWindow.h"
#include "tools/ConsistencyCheck.h"

class QLabel;
class QPushButton;
class QTableWidget;

// 数据一致性检查: the counters of readers and items against their loan and ledger rows (what
// book-check reports), as a list that can be exported, and their repair after a backup.
class TBookCheckFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TBookCheckFm(QWidget *parent = nullptr);

    QLabel *Label1;        // the outcome of the last check
    QTableWidget *Grid1;   // the findings
    QPushButton *Button1;  // 检查
    QPushButton *Button2;  // 导出
    QPushButton *Button3;  // 修复
    QPushButton *Button4;  // 退出

    void Button1Click();
    void Button2Click();
    void Button3Click();

private:
    void showFindings(const QList<tools::Finding> &findings);
    bool backUpFirst();

    QList<tools::Finding> findings_;
    QString backupPath_; // the copy taken before the last repair
};
