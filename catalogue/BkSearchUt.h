#pragma once

#include "catalogue/CatalogueSearch.h"

class QLabel;

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
