#pragma once

#include "catalogue/CatalogueForm.h"

// 图书编辑: the current book of the book list, in place.
class TBkEditFm : public CatalogueEdit {
    Q_OBJECT
public:
    TBkEditFm(db::Database &database, const QVariant &rowId, QWidget *parent = nullptr);

    QPushButton *Button3;  // Run
    void DBEdit13Click();
    void Button3Click();
};
