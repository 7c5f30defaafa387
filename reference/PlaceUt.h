#pragma once

#include "components/LookupListEditor.h"

// 存放位置名设置: the shelf locations.
class TPlaceFm : public LookupListEditor {
    Q_OBJECT
public:
    explicit TPlaceFm(QWidget *parent = nullptr);
};
