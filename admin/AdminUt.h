#pragma once

#include "components/LookupListEditor.h"

// 系统管理员权限设置: who may log in, and the rights each one holds from the next login on.
// A new administrator starts with the password "7394" and no right; "超级管理员" cannot be
// deleted. Passwords are changed in 修改密码, never here.
class TAdminFm : public LookupListEditor {
    Q_OBJECT
public:
    explicit TAdminFm(QWidget *parent = nullptr);
};
