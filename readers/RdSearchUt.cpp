#include "readers/RdSearchUt.h"

#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "components/Report.h"
#include "components/ReportPreview.h"
#include "components/ReportRows.h"
#include "db/Database.h"
#include "readers/RdAddUt.h"
#include "readers/RdChongZhiUt.h"
#include "readers/RdEditUt.h"

#include <QToolButton>

namespace {

GridColumn shown(const char *field, GridColumn::Footer footer = GridColumn::Footer::None)
{
    return {.field = QString::fromUtf8(field), .footer = footer};
}

GridColumn hidden(const char *field) { return {.field = QString::fromUtf8(field), .visible = false}; }

QString cardBackText(db::Database &database)
{
    db::Rows settings = database.select(db::Sql("select * from 系统设置"));
    return settings.next() ? settings.text(QStringLiteral("借阅证背面文字")) : QString();
}

} // namespace

SearchListConfig TRdSearchFm::readerList()
{
    SearchListConfig c;
    c.table = QStringLiteral("读者库");
    c.title = QStringLiteral("读者管理");
    c.gridName = QStringLiteral("dxDBGrid1");
    c.openingQuery = db::Sql("select * from 读者库");
    c.searchColumns = {QStringLiteral("读者编号"), QStringLiteral("读者姓名"), QStringLiteral("类别"),
                       QStringLiteral("单位部门"), QStringLiteral("院系"),     QStringLiteral("班级"),
                       QStringLiteral("住址"),     QStringLiteral("联系电话"), QStringLiteral("证件号码"),
                       QStringLiteral("有效证件"), QStringLiteral("性别"),     QStringLiteral("备注")};
    c.firstSearchColumn = QStringLiteral("读者编号");
    c.columns = {shown("读者编号", GridColumn::Footer::Count),
                 shown("读者姓名"), shown("性别"), shown("类别"), shown("单位部门"), shown("班级"), shown("院系"),
                 shown("累计借阅次数"), shown("未还数量"), shown("登记日期"), shown("有效期"), shown("状态"),
                 shown("登记人"),
                 hidden("住址"), hidden("联系电话"), hidden("有效证件"), hidden("证件号码"), hidden("备注"),
                 hidden("密码"), hidden("卡内金额"), hidden("py")};
    c.nameColumn = QStringLiteral("读者姓名");
    c.maximized = true;
    return c;
}

TRdSearchFm::TRdSearchFm(QWidget *parent) : SearchListWindow(parent)
{
    setObjectName(QStringLiteral("RdSearchFm"));
    FormShow();
}

void TRdSearchFm::FormShow()
{
    const Session &session = Session::instance();
    db::Database &database = sharedDb();
    SearchListConfig c = readerList();
    c.mayAdd = session.qxadddata;
    c.mayEdit = session.qxrdxg;
    c.mayDelete = session.qxdel;
    c.addWindow = [this] { return new TRdAddFm(this); };
    c.editWindow = [this, &database](const QVariant &rowId) { return new TRdEditFm(database, rowId, this); };
    c.printButtons = {{QStringLiteral("ToolButton6"), QStringLiteral("打印报表"), [this] { ToolButton6Click(); },
                       QStyle::SP_FileDialogDetailedView},
                      {QStringLiteral("ToolButton9"), QStringLiteral("借阅证"), [this] { ToolButton9Click(); },
                       QStyle::SP_FileDialogInfoView}};
    c.moreButtons = {{QStringLiteral("ToolButton11"), QStringLiteral("充值"), [this] { ToolButton11Click(); },
                      QStyle::SP_DialogApplyButton}};

    cardBackText_ = cardBackText(database);

    configure(database, std::move(c));
    // Decided once: with no reader at all there is nobody to credit until the window opens again.
    toolButton(QStringLiteral("ToolButton11"))->setEnabled(grid->rowCount() > 0);
}

Report TRdSearchFm::readerListReport() const
{
    Report report(ReportTemplate::load(QStringLiteral("readerlist")));
    report.setRows(reportRows(database(), resultStatement()));
    return report;
}

Report TRdSearchFm::readerCardReport() const
{
    Report report(ReportTemplate::load(QStringLiteral("readercard")));
    report.setRows(reportRows(database(), resultStatement()));
    report.setVariable(QStringLiteral("借阅证背面文字"), cardBackText_);
    const QString libraryName = Session::instance().libraryName;
    report.setBeforePrint([libraryName](ReportObject &object) {
        if (object.name == QLatin1String("Memo1"))
            object.text = libraryName;
    });
    return report;
}

void TRdSearchFm::ToolButton6Click() { TReportPreviewFm::showReport(readerListReport(), this); }

void TRdSearchFm::ToolButton9Click() { TReportPreviewFm::showReport(readerCardReport(), this); }

void TRdSearchFm::ToolButton11Click()
{
    const QVariant rowId = currentRowIdFor(QStringLiteral("充值"));
    if (!rowId.isValid())
        return;
    auto *topUp = new TRdChongZhiFm(database(), rowId, this);
    // The list follows each top-up at once, not only when the window closes.
    connect(topUp, &TRdChongZhiFm::balanceChanged, grid, guarded([this] { grid->refresh(); }));
    openOverList(topUp);
}
