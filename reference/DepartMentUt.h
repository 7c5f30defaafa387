#pragma once

#include "components/LookupListEditor.h"

// 单位/部门名称设置: the readers' work units.
class TDepartMentFm : public LookupListEditor {
    Q_OBJECT
public:
    explicit TDepartMentFm(QWidget *parent = nullptr);
};
