#include "catalogue/QkSearchUt.h"

#include "app/Session.h"
#include "catalogue/QkAddUt.h"
#include "catalogue/QkEditUt.h"

SearchListConfig TQkSearchFm::periodicalList()
{
    using F = GridColumn::Footer;
    SearchListConfig c;
    c.table = QStringLiteral("期刊");
    c.title = QStringLiteral("期刊管理");
    c.openingQuery = db::Sql("select * from 期刊");
    c.searchColumns = fieldNames({"编号", "条形码", "名称", "存放位置"});
    c.firstSearchColumn = QStringLiteral("编号");
    c.columns = {listedColumn("编号", F::Count), listedColumn("名称"), listedColumn("条形码"), listedColumn("分类"), listedColumn("出版社"),
                 listedColumn("存放位置"), listedColumn("数量", F::Sum), listedColumn("ISSN"), listedColumn("国内统一刊号"), listedColumn("邮发代号"),
                 listedColumn("出版时间"), listedColumn("第几期"), listedColumn("入库时间"), listedColumn("总第几期"), listedColumn("价格"), listedColumn("币种"),
                 listedColumn("借出次数"), listedColumn("状态"), hiddenColumn("简介"), hiddenColumn("图片地址"), hiddenColumn("绝对地址")};
    return c;
}

TQkSearchFm::TQkSearchFm(QWidget *parent) : CatalogueSearch(QStringLiteral("periodicallist"), QStringLiteral("期刊条码"), parent)
{
    setObjectName(QStringLiteral("QkSearchFm"));
    FormShow();
}

void TQkSearchFm::FormShow()
{
    const Session &session = Session::instance();
    SearchListConfig c = periodicalList();
    c.mayAdd = session.qxadddata;
    c.mayEdit = session.qxqkxg;
    c.mayDelete = session.qxdel;
    c.addWindow = [this] { return new TQkAddFm(this); };
    c.editWindow = [this](const QVariant &rowId) { return new TQkEditFm(database(), rowId, this); };
    configureCatalogue(std::move(c));
}
