#pragma once

#include <QList>
#include <QMainWindow>
#include <QString>

class ElidedLabel;
class QAction;
class QMenu;
class QToolBar;
class QToolButton;
struct Rights;

// The main window: menus, tool bar, background picture and status bar; every function is
// reached from here.
class TMainFm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainFm(QWidget *parent = nullptr);

    QMenu *BasicMenu, *SysSetMenu, *QueryMenu, *ToolMenu, *HelpMenu;
    // 基本操作
    QAction *BorrowItem, *ReturnItem, *XuJieItem, *AddBookItem, *AddReaderItem, *AddQkItem, *ChangePwdItem,
        *BkManageItem, *RdManageItem, *QkManageItem, *ExitItem;
    // 系统设置
    QAction *AdminItem, *SysInfoItem, *CleanDataItem, *BackUpItem, *SetDataItem, *RdKindItem, *RentLevelItem,
        *BkKindItem, *Bk2KindItem, *PubItem, *DepartMentItem, *PlaceItem, *PaperItem, *SecretLevelItem,
        *MoneyKindItem, *BookCheckItem;
    // 查询和统计
    QAction *JySearchItem, *DueRecordItem, *SortSearchItem, *BkRegItem, *BkChartItem, *QkChartItem, *RdChartItem,
        *ShouRuCountItem;
    // 工具, 帮助
    QAction *NotepadItem, *CalcItem, *PrinterItem, *InExcelItem, *HelpItem, *AboutItem;

    QToolBar *ToolBar1;
    QToolButton *ToolButton1, *ToolButton2, *ToolButton3, *ToolButton4, *ToolButton5, *ToolButton6, *ToolButton7;
    // 200, 300 and 400 pixels wide; a text too long for its panel ends in "…" and shows whole
    // in the panel's tooltip.
    ElidedLabel *StatusPanel1, *StatusPanel2, *StatusPanel3;

    void FormShow();
    // "退    出": asks, and ends the program on Yes.
    void ExitClick();
    void BackUpClick();
    void NotepadClick();
    void CalcClick();
    void PrinterClick();
    void HelpClick();
    void InExcelClick();

    // The function window of each menu entry, in menu order: the entry's object name and the
    // window's class (for an entry with a handler of its own, the window that handler opens).
    struct MenuWindow {
        QString entry;
        QString windowClass;
    };
    static QList<MenuWindow> menuWindows();

    // The window an entry opened last (tests look at it); nullptr when none is open.
    QWidget *lastOpened() const;
    // The spreadsheet-import window lives for the whole run and is only hidden when closed.
    void setImportWindow(QWidget *window) { importWindow_ = window; }

signals:
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildToolBar();
    void applyRights(const Rights &rights);
    void loadBackground();
    void openWindow(const QString &windowClass);
    bool confirmExit();

    QWidget *background_ = nullptr;
    QWidget *lastOpened_ = nullptr;
    QWidget *importWindow_ = nullptr;
    bool shown_ = false;
    bool exiting_ = false;
};
