#include "components/DateRangeList.h"

#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "components/GridExport.h"
#include "components/GridReport.h"
#include "db/Database.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

static QDateEdit *datePicker(const char *name, const QDate &initial, QWidget *parent)
{
    auto *picker = new QDateEdit(initial, parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return picker;
}

DateRangeListWindow::DateRangeListWindow(db::Database &database, DateRangeListSetup setup, QWidget *parent)
    : LibraryWindow(parent), db_(database), setup_(std::move(setup))
{
    setWindowTitle(setup_.caption);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    DateTimePicker1 = datePicker("DateTimePicker1", setup_.initialDate, GroupBox1);
    DateTimePicker2 = datePicker("DateTimePicker2", setup_.initialDate, GroupBox1);
    Label1 = new QLabel(setup_.fromCaption, GroupBox1);
    Label2 = new QLabel(setup_.toCaption, GroupBox1);
    Label1->setBuddy(DateTimePicker1);
    Label2->setBuddy(DateTimePicker2);

    conditions_ = new QHBoxLayout(GroupBox1);
    conditions_->addWidget(Label1);
    conditions_->addWidget(DateTimePicker1);
    conditions_->addWidget(Label2);
    conditions_->addWidget(DateTimePicker2);
    Button1 = addButton("Button1", QStringLiteral("统计"), [this] { Button1Click(); });
    if (setup_.standardButtons) {
        Button2 = addButton("Button2", QStringLiteral("打印"), [this] { PrintList(); });
        Button3 = addButton("Button3", QStringLiteral("Excel"), [this] { ExportList(); });
        Button4 = addButton("Button4", QStringLiteral("返回"), [this] { close(); });
    }
    conditions_->addStretch();

    DBGrid1 = new DataGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumns(setup_.columns);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(DBGrid1, 1);
    resize(860, 560);

    if (!setup_.openingQuery.isEmpty())
        guarded([this] { showRows(setup_.openingQuery); })();
}

QPushButton *DateRangeListWindow::addButton(const char *name, const QString &caption, std::function<void()> handler)
{
    QPushButton *button = namedButton(QString::fromLatin1(name), caption, GroupBox1);
    conditions_->addWidget(button);
    connect(button, &QPushButton::clicked, this, guarded(std::move(handler)));
    return button;
}

QToolBar *DateRangeListWindow::toolBar()
{
    if (!toolBar_) {
        toolBar_ = new QToolBar(this);
        toolBar_->setObjectName(QStringLiteral("ToolBar1"));
        toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        static_cast<QVBoxLayout *>(layout())->insertWidget(0, toolBar_);
    }
    return toolBar_;
}

db::Sql DateRangeListWindow::rangeStatement() const
{
    return setup_.rangeQuery(DateTimePicker1->date(), DateTimePicker2->date());
}

void DateRangeListWindow::showRows(const db::Sql &statement)
{
    DBGrid1->clear();
    DBGrid1->open(db_, statement, setup_.keyTable);
}

void DateRangeListWindow::Button1Click()
{
    if (!setup_.reversedRangeMessage.isEmpty() && DateTimePicker2->date() < DateTimePicker1->date())
        Platform::instance().message(setup_.reversedRangeMessage);
    const db::Sql statement = rangeStatement();
    DBGrid1->clear();
    if (setup_.showQueryText)
        Platform::instance().message(db_.displayText(statement));
    showRows(statement);
}

void DateRangeListWindow::PrintList() { PrintGridReport(*DBGrid1, setup_.reportTemplate(), this); }

void DateRangeListWindow::ExportList() { ExportGridToSpreadsheet(*DBGrid1); }
