#include "admin/AdminUt.h"

#include "app/Session.h"

// The rights' check boxes in their tab order, with the column each one edits.
static QList<LookupField> adminFields()
{
    QList<LookupField> fields{{QStringLiteral("AdminName"), QStringLiteral("用户名:")}};
    const std::pair<const char *, const char *> rights[] = {
        {"qxborrow", "借阅"},           {"qxReturn", "归还"},           {"qxRd", "读者资料管理"},
        {"qxQk", "期刊资料管理"},       {"qxDel", "删除数据功能"},      {"qxBk", "图书资料管理"},
        {"qxRdXg", "修改读者资料"},     {"qxQkXg", "修改期刊资料"},     {"qxBkXg", "修改图书资料"},
        {"qxAdmin", "管理员设置管理"},  {"qxSysSet", "系统设置"},       {"qxAddData", "添加数据"},
    };
    for (const auto &[column, caption] : rights)
        fields.append({QString::fromLatin1(column), QString::fromUtf8(caption), LookupField::Box::Check});
    return fields;
}

// A new administrator: the default password and every one of the fourteen rights off.
static db::Fields newAdministrator()
{
    db::Fields fields{{QStringLiteral("pwd"), QStringLiteral("7394")}};
    for (const char *column : Rights::columns())
        fields.append({QString::fromLatin1(column), false});
    return fields;
}

TAdminFm::TAdminFm(QWidget *parent)
    : LookupListEditor(sharedDb(),
                       {.caption = QStringLiteral("系统管理员权限设置"),
                        .table = QStringLiteral("admin"),
                        .fields = adminFields(),
                        .columns = {{QStringLiteral("AdminName")}},
                        .emptyNameMessage = QStringLiteral("用户名必须填写！"),
                        .checksTitle = QStringLiteral("权限"),
                        .newRow = newAdministrator(),
                        .keepLastRow = false,
                        .refuseDelete =
                            [](const QString &name) {
                                return name == QStringLiteral("超级管理员") ? QStringLiteral("超级管理员 不能删除！")
                                                                            : QString();
                            }},
                       parent)
{
    setObjectName(QStringLiteral("AdminFm"));
}
