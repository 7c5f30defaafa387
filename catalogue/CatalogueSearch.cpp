#include "catalogue/CatalogueSearch.h"

#include "app/Session.h"
#include "catalogue/BkAddUt.h"
#include "catalogue/BkEditUt.h"
#include "catalogue/QkAddUt.h"
#include "catalogue/QkEditUt.h"
#include "common/ErrorDisplay.h"
#include "components/GridModel.h"
#include "components/Report.h"
#include "components/ReportPreview.h"
#include "components/ReportRows.h"
#include "db/Database.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {

GridColumn shown(const char *field, GridColumn::Footer footer = GridColumn::Footer::None)
{
    return {.field = QString::fromUtf8(field), .footer = footer};
}

GridColumn hidden(const char *field) { return {.field = QString::fromUtf8(field), .visible = false}; }

QStringList names(std::initializer_list<const char *> list)
{
    QStringList values;
    for (const char *name : list)
        values.append(QString::fromUtf8(name));
    return values;
}

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

CatalogueSearch::CatalogueSearch(QString listTemplate, QWidget *parent)
    : SearchListWindow(parent), listTemplate_(std::move(listTemplate))
{
}

void CatalogueSearch::configureCatalogue(SearchListConfig config)
{
    config.exportCaption = QStringLiteral("转Excel");
    config.nameColumn = QStringLiteral("名称");
    config.printButtons = {{QStringLiteral("ToolButton6"), QStringLiteral("打印"), [this] { ToolButton6Click(); },
                            QStyle::SP_FileDialogDetailedView},
                           {QStringLiteral("ToolButton9"), QStringLiteral("打印条码"), [this] { ToolButton9Click(); },
                            QStyle::SP_FileDialogInfoView}};
    // The grid shows the listed columns only; the others stay in the rows for the export.
    grid->setShowUnlistedColumns(false);
    configure(sharedDb(), std::move(config));
}

Report CatalogueSearch::listReport() const
{
    Report report(ReportTemplate::load(listTemplate_));
    report.setRows(reportRows(database(), resultStatement()));
    return report;
}

Report CatalogueSearch::labelReport() const
{
    Report report(ReportTemplate::load(QStringLiteral("booklabels")));
    report.setRows(reportRows(database(), resultStatement()));
    return report;
}

void CatalogueSearch::ToolButton6Click() { TReportPreviewFm::showReport(listReport(), this); }

void CatalogueSearch::ToolButton9Click() { TReportPreviewFm::showReport(labelReport(), this); }

// ---------------------------------------------------------------------------------------------

SearchListConfig TBkSearchFm::bookList()
{
    using F = GridColumn::Footer;
    SearchListConfig c;
    c.table = QStringLiteral("图书");
    c.title = QStringLiteral("图书资料管理");
    c.openingQuery = db::Sql("select * from 图书").limit(500);
    c.searchColumns = names({"编号", "条形码", "名称", "索书号", "分类", "二级分类", "存放位置", "作者", "译者"});
    c.firstSearchColumn = QStringLiteral("编号");
    c.columns = {shown("编号", F::Count), shown("条形码"), shown("名称"), shown("分类"), shown("分类号"),
                 shown("存放位置"), shown("数量", F::Sum), shown("价格"), shown("入库时间"), shown("借出次数"),
                 shown("出版社"), shown("索书号"), shown("作者"), shown("译者"), hidden("币种"), shown("出版时间"),
                 shown("页数"), shown("ISBN"), shown("版次"), shown("密级"), shown("状态"), shown("附件"),
                 hidden("简介"), hidden("图片地址"), hidden("绝对地址")};
    c.maximized = true;
    return c;
}

TBkSearchFm::TBkSearchFm(QWidget *parent) : CatalogueSearch(QStringLiteral("booklist"), parent)
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

// ---------------------------------------------------------------------------------------------

SearchListConfig TQkSearchFm::periodicalList()
{
    using F = GridColumn::Footer;
    SearchListConfig c;
    c.table = QStringLiteral("期刊");
    c.title = QStringLiteral("期刊管理");
    c.openingQuery = db::Sql("select * from 期刊");
    c.searchColumns = names({"编号", "条形码", "名称", "存放位置"});
    c.firstSearchColumn = QStringLiteral("编号");
    c.columns = {shown("编号", F::Count), shown("名称"), shown("条形码"), shown("分类"), shown("出版社"),
                 shown("存放位置"), shown("数量", F::Sum), shown("ISSN"), shown("国内统一刊号"), shown("邮发代号"),
                 shown("出版时间"), shown("第几期"), shown("入库时间"), shown("总第几期"), shown("价格"), shown("币种"),
                 shown("借出次数"), shown("状态"), hidden("简介"), hidden("图片地址"), hidden("绝对地址")};
    return c;
}

TQkSearchFm::TQkSearchFm(QWidget *parent) : CatalogueSearch(QStringLiteral("periodicallist"), parent)
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
