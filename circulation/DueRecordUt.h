#pragma once

#include "common/LibraryWindow.h"

class DataGrid;
class QToolBar;
class QToolButton;

// 逾期未还记录统计: every open loan whose due date has come, built once at opening, and its report.
class TDueRecordFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TDueRecordFm(QWidget *parent = nullptr);

    QToolBar *ToolBar1;
    QToolButton *ToolButton6; // 打印报表
    QToolButton *ToolButton7; // 退出
    DataGrid *DBGrid1;

    void FormShow();
    void ToolButton6Click();
    void ToolButton7Click() { close(); }
};
