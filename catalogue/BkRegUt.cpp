#include "catalogue/BkRegUt.h"

#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "statistics/AdminLuRuStatUt.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

namespace {

GridColumn column(const char *field, GridColumn::Footer footer = GridColumn::Footer::None)
{
    return {.field = QString::fromUtf8(field), .footer = footer};
}

} // namespace

db::Sql TBkRegFm::intake(bool periodicals, const QDate &from, const QDate &to)
{
    const db::Sql table = periodicals ? db::Sql("select * from 期刊") : db::Sql("select * from 图书");
    return table + " where 入库时间>=" + db::Sql::date(from) + " and 入库时间<=" + db::Sql::date(to);
}

TBkRegFm::TBkRegFm(QWidget *parent)
    : DateRangeListWindow(
          sharedDb(),
          {.caption = QStringLiteral("资料入库登记信息统计"),
           .fromCaption = QStringLiteral("入库登记时间从"),
           .initialDate = QDate(2008, 3, 10),
           .rangeQuery = [this](const QDate &from, const QDate &to) { return intake(periodicals(), from, to); },
           .columns = {column("编号", GridColumn::Footer::Count), column("条形码"), column("名称"), column("分类"),
                       column("存放位置"), column("出版社"), column("数量", GridColumn::Footer::Sum),
                       column("价格", GridColumn::Footer::Sum), column("入库时间"), column("登记人")},
           .reversedRangeMessage = QStringLiteral("时间前后逻辑错误!"),
           // Follows the kind chosen when printing, over whatever the list holds.
           .reportTemplate = [this] { return periodicals() ? QStringLiteral("periodicalregister")
                                                           : QStringLiteral("bookregister"); },
           .standardButtons = false},
          parent)
{
    setObjectName(QStringLiteral("BkRegFm"));
    DBGrid1->setShowUnlistedColumns(false);

    RadioButton1 = new QRadioButton(QStringLiteral("图书"), GroupBox1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2 = new QRadioButton(QStringLiteral("期刊"), GroupBox1);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton1->setChecked(true);
    conditionLayout()->insertWidget(0, RadioButton1);
    conditionLayout()->insertWidget(1, RadioButton2);
    conditionLayout()->insertSpacing(2, 16);
    GroupBox1->setTitle(QStringLiteral("图书"));
    for (QRadioButton *kind : {RadioButton1, RadioButton2})
        connect(kind, &QRadioButton::clicked, this, [this] { RadioButtonClick(); });

    const auto add = [this](const char *name, const QString &caption, std::function<void()> action) {
        auto *button = new QToolButton(toolBar());
        button->setObjectName(QString::fromLatin1(name));
        button->setText(caption);
        connect(button, &QToolButton::clicked, this, guarded(std::move(action)));
        toolBar()->addWidget(button);
    };
    add("ToolButton1", QStringLiteral("打印"), [this] { PrintList(); });
    add("ToolButton2", QStringLiteral("导出Excel"), [this] { ExportList(); });
    add("ToolButton4", QStringLiteral("管理员录入统计"), [this] { ToolButton4Click(); });
    add("ToolButton3", QStringLiteral("退出"), [this] { close(); });
    // The kind stands first in the conditions, so Tab reaches it first too, and the list
    // last, not before the kind.
    const QList<QWidget *> conditions{RadioButton1, RadioButton2, DateTimePicker1, DateTimePicker2, Button1, DBGrid1->view()};
    for (qsizetype i = 1; i < conditions.size(); ++i)
        setTabOrder(conditions.at(i - 1), conditions.at(i));
    setWindowState(Qt::WindowMaximized);
}

bool TBkRegFm::periodicals() const { return RadioButton2->isChecked(); }

void TBkRegFm::RadioButtonClick() { GroupBox1->setTitle(periodicals() ? RadioButton2->text() : RadioButton1->text()); }

void TBkRegFm::ToolButton4Click() { Platform::instance().openWindow(new TAdminLuRuStatFm(this)); }
