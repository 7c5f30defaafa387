#include "circulation/DueRecordUt.h"

#include "app/Session.h"
#include "circulation/LoanList.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "components/DataGrid.h"

#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using db::Sql;
using Footer = GridColumn::Footer;

static QList<GridColumn> overdueColumns()
{
    return {loanColumn("id", Footer::Count),   loanColumn("读者编号"),       loanColumn("读者姓名"),
            loanColumn("条形码"),              loanColumn("编号"),           loanColumn("名称"),
            loanColumn("类别"),                loanColumn("价格", Footer::Sum), loanColumn("附件"),
            loanColumn("借阅日期"),            loanColumn("归还日期"),       loanColumn("应还日期"),
            loanColumn("已还"),                loanColumn("租金", Footer::None, false),
            loanColumn("押金", Footer::None, false), loanColumn("借阅经手人"), loanColumn("归还经手人"),
            loanColumn("物品状况", Footer::None, false), loanColumn("赔偿金额", Footer::None, false),
            loanColumn("归还备注", Footer::None, false), loanColumn("实际租期", Footer::None, false),
            loanColumn("实际租金", Footer::None, false)};
}

TDueRecordFm::TDueRecordFm(QWidget *parent) : LibraryWindow(parent)
{
    setObjectName(QStringLiteral("DueRecordFm"));
    setWindowTitle(QStringLiteral("逾期未还记录统计"));
    setWindowState(Qt::WindowMaximized);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolButton6 = new QToolButton(ToolBar1);
    ToolButton6->setObjectName(QStringLiteral("ToolButton6"));
    ToolButton6->setText(QStringLiteral("打印报表"));
    ToolButton7 = new QToolButton(ToolBar1);
    ToolButton7->setObjectName(QStringLiteral("ToolButton7"));
    ToolButton7->setText(QStringLiteral("退出"));
    ToolBar1->addWidget(ToolButton6);
    ToolBar1->addWidget(ToolButton7);
    DBGrid1 = new DataGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumns(overdueColumns());
    // The list fills the window below the tool bar, whatever its size.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ToolBar1);
    layout->addWidget(DBGrid1, 1);

    connect(ToolButton6, &QToolButton::clicked, this, guarded([this] { ToolButton6Click(); }));
    connect(ToolButton7, &QToolButton::clicked, this, guarded([this] { ToolButton7Click(); }));
    FormShow();
}

void TDueRecordFm::FormShow()
{
    DBGrid1->open(sharedDb(),
                  Sql("select * from 借出记录 where 应还日期 <=") + Sql::date(Platform::instance().today())
                      + Sql(" and 已还=") + Sql::text(QStringLiteral("否")) + Sql(" "),
                  QStringLiteral("借出记录"));
}

void TDueRecordFm::ToolButton6Click() { printLoans(DBGrid1, QStringLiteral("overdue"), this); }
