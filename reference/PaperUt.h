#pragma once

#include "components/LookupListEditor.h"

// 证件名设置: the kinds of identity document.
class TPaperFm : public LookupListEditor {
    Q_OBJECT
public:
    explicit TPaperFm(QWidget *parent = nullptr);
};
