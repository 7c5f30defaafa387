#pragma once

#include "components/LookupListEditor.h"

// 分类设置: the book classes that the intake windows offer.
class TBkKindFm : public LookupListEditor {
    Q_OBJECT
public:
    explicit TBkKindFm(QWidget *parent = nullptr);
};
