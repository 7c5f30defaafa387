#include "statistics/SortSearchUt.h"

#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "components/DataGrid.h"
#include "components/GridExport.h"
#include "components/GridReport.h"
#include "db/Database.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

static const QString Books = QStringLiteral("图书");
static const QString Periodicals = QStringLiteral("期刊");

TSortSearchFM::TSortSearchFM(QWidget *parent) : LibraryWindow(parent)
{
    setObjectName(QStringLiteral("SortSearchFM"));
    setWindowTitle(QStringLiteral("分类统计"));

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Label1 = new QLabel(QStringLiteral("统计范围:"), GroupBox1);
    ComboBox1 = new QComboBox(GroupBox1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->addItems({Books, Periodicals});
    ComboBox1->setCurrentText(Books);
    Label1->setBuddy(ComboBox1);
    const auto button = [this](const char *name, const QString &caption, std::function<void()> handler) {
        QPushButton *b = namedButton(QString::fromLatin1(name), caption, GroupBox1);
        connect(b, &QPushButton::clicked, this, guarded(std::move(handler)));
        return b;
    };
    Button1 = button("Button1", QStringLiteral("统计"), [this] { Button1Click(); });
    Button2 = button("Button2", QStringLiteral("导出Excel"), [this] { Button2Click(); });
    Button3 = button("Button3", QStringLiteral("打印"), [this] { Button3Click(); });
    Button4 = button("Button4", QStringLiteral("退出"), [this] { close(); });
    auto *conditions = new QHBoxLayout(GroupBox1);
    conditions->addWidget(Label1);
    conditions->addWidget(ComboBox1);
    for (QPushButton *b : {Button1, Button2, Button3, Button4})
        conditions->addWidget(b);
    conditions->addStretch();

    DBGrid1 = new DataGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumns({{.field = QStringLiteral("分类")},
                         {.field = QStringLiteral("数量"), .kind = db::ColumnKind::Integer},
                         {.field = QStringLiteral("金额"), .kind = db::ColumnKind::Money}});

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(DBGrid1, 1);
    resize(900, 600);
    setWindowState(Qt::WindowMaximized);

    guarded([this] { FormShow(); })();
}

db::Sql TSortSearchFM::statistics(const QString &table)
{
    db::Sql statement = db::Sql("select coalesce(分类,'') as 分类,sum(数量) as 数量,sum(数量*价格)as 金额 from ")
        + db::Sql::identifier(table) + db::Sql(" group by coalesce(分类,'') ");
    statement.kind(QStringLiteral("数量"), db::ColumnKind::Integer).kind(QStringLiteral("金额"), db::ColumnKind::Money);
    return statement;
}

void TSortSearchFM::compute(const QString &table)
{
    DBGrid1->clear();
    DBGrid1->open(sharedDb(), statistics(table));
}

void TSortSearchFM::FormShow() { compute(Books); }

void TSortSearchFM::Button1Click()
{
    // The box is editable, and its text names the table: only the two item tables are counted.
    const QString table = ComboBox1->currentText().trimmed();
    if (table != Books && table != Periodicals) {
        DBGrid1->clear();
        Platform::instance().message(QStringLiteral("统计范围只能是“图书”或“期刊”。"));
        return;
    }
    compute(table);
}

void TSortSearchFM::Button2Click() { ExportGridToSpreadsheet(*DBGrid1); }

void TSortSearchFM::Button3Click() { PrintGridReport(*DBGrid1, QStringLiteral("classstats"), this); }
