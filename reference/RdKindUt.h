#pragma once

#include "components/LookupListEditor.h"

// 读者分类设置: the reader kinds with their loan period, loan limit and rent. The kind "普通",
// which registration proposes for every new reader, cannot be deleted.
class TRdKindFm : public LookupListEditor {
    Q_OBJECT
public:
    explicit TRdKindFm(QWidget *parent = nullptr);
};
