#include "db/Schema.h"

#include <QHash>

namespace db {

static const QHash<QString, ColumnKind> &kinds()
{
    static const QHash<QString, ColumnKind> map = [] {
        QHash<QString, ColumnKind> m;
        for (const char *c : {"数量", "页数", "借出次数", "未还数量", "累计借阅次数", "实际租期", "借阅天数",
                              "借阅数量限制", "id"})
            m.insert(QString::fromUtf8(c).toLower(), ColumnKind::Integer);
        for (const char *c : {"超期每日罚金", "押金倍数", "赔损金额倍数"})
            m.insert(QString::fromUtf8(c), ColumnKind::Floating);
        for (const char *c : {"价格", "开户费", "卡内金额", "租金", "实际租金", "赔偿金额", "押金", "金额"})
            m.insert(QString::fromUtf8(c), ColumnKind::Money);
        for (const char *c : {"出版时间", "入库时间", "登记日期", "有效期", "借阅日期", "应还日期", "归还日期", "时间"})
            m.insert(QString::fromUtf8(c), ColumnKind::Date);
        for (const char *c : {"qxadmin", "qxdel", "qxbk", "qxrd", "qxqk", "qxwp", "qxbkxg", "qxrdxg", "qxqkxg",
                              "qxwpxg", "qxborrow", "qxreturn", "qxsysset", "qxadddata", "借出时打印清单",
                              "启用押金功能", "借阅数量限制功能", "启用超期罚金", "启用读者租金", "启用读者有效期",
                              "启用租金功能", "归还焦点条形码", "归还焦点图书编号", "归还焦点读者编号"})
            m.insert(QString::fromUtf8(c), ColumnKind::YesNo);
        return m;
    }();
    return map;
}

ColumnKind columnKind(const QString &column)
{
    return kinds().value(column.toLower(), ColumnKind::Text);
}

QString canonicalColumnName(const QString &column)
{
    // Only the Latin names have a case to lose; the Chinese ones come back as written.
    static const QHash<QString, QString> names = [] {
        QHash<QString, QString> m;
        for (const char *c : {"AdminName", "qxAdmin", "qxDel", "qxBk", "qxRd", "qxQk", "qxBkXg", "qxRdXg", "qxQkXg",
                              "qxReturn", "qxSysSet", "qxAddData", "ISBN", "ISSN"})
            m.insert(QString::fromLatin1(c).toLower(), QString::fromLatin1(c));
        return m;
    }();
    return names.value(column, column);
}

QStringList schemaTables()
{
    return {QStringLiteral("admin"), QStringLiteral("系统设置"), QStringLiteral("图书"), QStringLiteral("期刊"),
            QStringLiteral("读者库"), QStringLiteral("借出记录"), QStringLiteral("收入"), QStringLiteral("读者类别"),
            QStringLiteral("租金级别"), QStringLiteral("分类"), QStringLiteral("二级分类"), QStringLiteral("出版社名"),
            QStringLiteral("单位名称"), QStringLiteral("存放位置"), QStringLiteral("证件名"), QStringLiteral("密级"),
            QStringLiteral("币种"), QStringLiteral("附件名")};
}

} // namespace db
