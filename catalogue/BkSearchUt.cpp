#include "catalogue/BkSearchUt.h"

#include "app/Session.h"
#include "catalogue/BkAddUt.h"
#include "catalogue/BkEditUt.h"
#include "common/ErrorDisplay.h"
#include "components/GridModel.h"
#include "db/Database.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {

qint64 roundHalfEven(db::Money amount)
{
    const std::int64_t raw = amount.raw();
    std::int64_t units = raw / db::Money::Scale;
    const std::int64_t rest = raw % db::Money::Scale; // the sign of raw
    const std::int64_t twice = 2 * (rest < 0 ? -rest : rest);
    const std::int64_t away = raw < 0 ? -1 : 1;
    if (twice > db::Money::Scale || (twice == db::Money::Scale && units % 2 != 0))
        units += away;
    return units;
}

// A figure as a whole number, halves to even; a sum over no rows is 0.
QString wholeNumber(const db::Rows &rows, const QString &column, db::ColumnKind kind)
{
    if (rows.isNull(column))
        return QStringLiteral("0");
    if (kind == db::ColumnKind::Money)
        return QString::number(roundHalfEven(rows.money(column)));
    return QString::number(rows.integer(column));
}

} // namespace

SearchListConfig TBkSearchFm::bookList()
{
    using F = GridColumn::Footer;
    SearchListConfig c;
    c.table = QStringLiteral("图书");
    c.title = QStringLiteral("图书资料管理");
    c.openingQuery = db::Sql("select * from 图书").limit(500);
    c.searchColumns = fieldNames({"编号", "条形码", "名称", "索书号", "分类", "二级分类", "存放位置", "作者", "译者"});
    c.firstSearchColumn = QStringLiteral("编号");
    c.columns = {listedColumn("编号", F::Count), listedColumn("条形码"), listedColumn("名称"), listedColumn("分类"), listedColumn("分类号"),
                 listedColumn("存放位置"), listedColumn("数量", F::Sum), listedColumn("价格"), listedColumn("入库时间"), listedColumn("借出次数"),
                 listedColumn("出版社"), listedColumn("索书号"), listedColumn("作者"), listedColumn("译者"), hiddenColumn("币种"), listedColumn("出版时间"),
                 listedColumn("页数"), listedColumn("ISBN"), listedColumn("版次"), listedColumn("密级"), listedColumn("状态"), listedColumn("附件"),
                 hiddenColumn("简介"), hiddenColumn("图片地址"), hiddenColumn("绝对地址")};
    c.maximized = true;
    return c;
}

TBkSearchFm::TBkSearchFm(QWidget *parent) : CatalogueSearch(QStringLiteral("booklist"), QStringLiteral("图书条码"), parent)
{
    setObjectName(QStringLiteral("BkSearchFm"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    conditionRow->addWidget(Label2);
    connect(grid, &DataGrid::totalsChanged, this, guarded([this] { showTotals(); }));
    FormShow();
}

// The count and both sums in one pass over the table.
QString TBkSearchFm::totalsLine() const
{
    using K = db::ColumnKind;
    const QString count = QStringLiteral("n"), copies = QStringLiteral("copies"), worth = QStringLiteral("worth");
    db::Rows rows = database().select(db::Sql("select count(编号) as n, sum(数量) as copies, sum(数量*价格) as worth from 图书")
                                          .kind(count, K::Integer)
                                          .kind(copies, K::Integer)
                                          .kind(worth, K::Money));
    if (!rows.next())
        return {};
    return QStringLiteral("总记录数:") + wholeNumber(rows, count, K::Integer) + QStringLiteral(" 总数量:")
           + wholeNumber(rows, copies, K::Integer) + QStringLiteral(" 总价格:") + wholeNumber(rows, worth, K::Money);
}

void TBkSearchFm::showTotals()
{
    if (!totalsPending_)
        return;
    totalsPending_ = false;
    Label2->setText(totalsLine());
}

void TBkSearchFm::FormShow()
{
    const Session &session = Session::instance();
    SearchListConfig c = bookList();
    c.mayAdd = session.qxadddata;
    c.mayEdit = session.qxbkxg;
    c.mayDelete = session.qxdel;
    c.addWindow = [this] { return new TBkAddFm(this); };
    c.editWindow = [this](const QVariant &rowId) { return new TBkEditFm(database(), rowId, this); };
    configureCatalogue(std::move(c));
    // Once per showing (searches and deletions leave it as it was), and after the list's first
    // screen, which the whole table's count and sums would otherwise hold up: it follows the
    // list's own count, which waits for that screen.
    Label2->clear();
    totalsPending_ = true;
    if (grid->model()->totalsKnown())
        showTotals();
}
