#pragma once

#include "components/SearchListWindow.h"

class QLabel;
class Report;

// The list windows of the catalogue over 图书 and 期刊: the search-list window with the list report
// and the barcode labels of the listed rows.
class CatalogueSearch : public SearchListWindow {
    Q_OBJECT
public:
    // The list report of the listed rows.
    Report listReport() const;
    // One Code 128 label of 条形码 per listed row, four across.
    Report labelReport() const;

    void ToolButton6Click();
    void ToolButton9Click();

protected:
    CatalogueSearch(QString listTemplate, QWidget *parent);
    // Adds the print buttons, hides the columns the list does not name, and opens the list.
    void configureCatalogue(SearchListConfig config);

private:
    QString listTemplate_;
};

// 图书资料管理: the book list, opening with at most 500 books, with the totals line over the whole table.
class TBkSearchFm : public CatalogueSearch {
    Q_OBJECT
public:
    explicit TBkSearchFm(QWidget *parent = nullptr);
    static SearchListConfig bookList();

    QLabel *Label2; // 总记录数, 总数量, 总价格 over the whole table, once the list's first screen is shown

    void FormShow();

private:
    QString totalsLine() const;
    void showTotals();

    bool totalsPending_ = false;
};

// 期刊管理: the periodical list, every periodical at opening.
class TQkSearchFm : public CatalogueSearch {
    Q_OBJECT
public:
    explicit TQkSearchFm(QWidget *parent = nullptr);
    static SearchListConfig periodicalList();

    void FormShow();
};
