#pragma once

#include "components/LookupListEditor.h"

// 二级分类设置: the second-level classes.
class TBk2KindFm : public LookupListEditor {
    Q_OBJECT
public:
    explicit TBk2KindFm(QWidget *parent = nullptr);
};
