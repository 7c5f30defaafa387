#pragma once

#include "components/LookupListEditor.h"

// 出版社名设置: publishers with their ISBN prefix; 出版地 is listed, not edited here.
class TPubFm : public LookupListEditor {
    Q_OBJECT
public:
    explicit TPubFm(QWidget *parent = nullptr);
};
