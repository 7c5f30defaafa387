#pragma once

#include "catalogue/CatalogueForm.h"

// 期刊编辑: the current periodical of the periodical list, in place.
class TQkEditFm : public CatalogueEdit {
    Q_OBJECT
public:
    TQkEditFm(db::Database &database, const QVariant &rowId, QWidget *parent = nullptr);
};
