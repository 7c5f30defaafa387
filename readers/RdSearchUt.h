#pragma once

#include "components/SearchListWindow.h"

class Report;

// 读者管理: the list of readers, searched by one column, with registration, editing, deletion,
// the card top-up, the reader list and the reader cards. The editing and top-up windows work on
// the current row of this list.
class TRdSearchFm : public SearchListWindow {
    Q_OBJECT
public:
    explicit TRdSearchFm(QWidget *parent = nullptr);

    // Rights, the card back text, and 充值 only when there are readers at all.
    void FormShow();
    // 打印报表: the reader list; 借阅证: a card per reader of the list.
    void ToolButton6Click();
    void ToolButton9Click();
    // 充值 on the current reader.
    void ToolButton11Click();

    Report readerListReport() const;
    Report readerCardReport() const;

private:
    static SearchListConfig readerList();

    QString cardBackText_; // 系统设置.借阅证背面文字, as it was when the window opened
};
