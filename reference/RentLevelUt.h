#pragma once

#include "components/LookupListEditor.h"

// 租金级别: the named rent levels of items. The level "普通", which intake proposes for every
// new item, cannot be deleted.
class TRentLevelFm : public LookupListEditor {
    Q_OBJECT
public:
    explicit TRentLevelFm(QWidget *parent = nullptr);
};
