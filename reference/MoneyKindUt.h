#pragma once

#include "components/LookupListEditor.h"

// 币种设置: the currencies of prices.
class TMoneyKindFm : public LookupListEditor {
    Q_OBJECT
public:
    explicit TMoneyKindFm(QWidget *parent = nullptr);
};
