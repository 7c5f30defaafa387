#pragma once

#include "catalogue/CatalogueForm.h"

// 添加期刊: the periodical counterpart of book intake, without numbering or document.
class TQkAddFm : public CatalogueIntake {
    Q_OBJECT
public:
    explicit TQkAddFm(QWidget *parent = nullptr);
};
