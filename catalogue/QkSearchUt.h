#pragma once

#include "catalogue/CatalogueSearch.h"

// 期刊管理: the periodical list, every periodical at opening.
class TQkSearchFm : public CatalogueSearch {
    Q_OBJECT
public:
    explicit TQkSearchFm(QWidget *parent = nullptr);
    static SearchListConfig periodicalList();

    void FormShow();
};
