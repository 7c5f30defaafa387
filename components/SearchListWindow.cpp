#include "components/SearchListWindow.h"

#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "components/GridExport.h"
#include "db/Amounts.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Driver.h"
#include "db/Schema.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

SearchListWindow::SearchListWindow(QWidget *parent) : LibraryWindow(parent)
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setIconSize(QSize(24, 24));

    GroupBox1 = new QGroupBox(QStringLiteral("查询条件"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    ComboBox1 = new QComboBox(GroupBox1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setMinimumContentsLength(10);
    auto *columnCaption = new QLabel(QStringLiteral("查询字段"), GroupBox1);
    columnCaption->setBuddy(ComboBox1);
    Label1 = new QLabel(QStringLiteral("中 含有"), GroupBox1);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(200);
    Label1->setBuddy(Edit1);
    RadioButton1 = new QRadioButton(QStringLiteral("精确"), GroupBox1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2 = new QRadioButton(QStringLiteral("模糊"), GroupBox1);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setChecked(true);

    conditionRow = new QHBoxLayout(GroupBox1);
    conditionRow->addWidget(columnCaption);
    conditionRow->addWidget(ComboBox1);
    conditionRow->addWidget(Label1);
    conditionRow->addWidget(Edit1);
    conditionRow->addWidget(RadioButton1);
    conditionRow->addWidget(RadioButton2);
    conditionRow->addStretch();

    grid = new DataGrid(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->addWidget(ToolBar1);
    layout->addWidget(GroupBox1);
    layout->addWidget(grid, 1);

    connect(Edit1, &QLineEdit::returnPressed, this, guarded([this] { ToolButton8Click(); }));
    resize(1000, 640);
}

void SearchListWindow::configure(db::Database &database, SearchListConfig config)
{
    db_ = &database;
    config_ = std::move(config);
    setWindowTitle(config_.title);
    if (config_.maximized)
        setWindowState(Qt::WindowMaximized);
    grid->setObjectName(config_.gridName);
    grid->setColumns(config_.columns);
    ComboBox1->clear();
    ComboBox1->addItems(config_.searchColumns);
    ComboBox1->setCurrentText(config_.firstSearchColumn);
    Edit1->clear();
    buildToolBar();
    openList(config_.openingQuery);
}

QToolButton *SearchListWindow::addButton(const QString &name, const QString &caption, std::function<void()> action)
{
    auto *button = new QToolButton(ToolBar1);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(ToolBar1->iconSize());
    connect(button, &QToolButton::clicked, this, guarded(std::move(action)));
    ToolBar1->addWidget(button);
    return button;
}

void SearchListWindow::buildToolBar()
{
    ToolBar1->clear();
    const auto add = [this](const QString &name, const QString &caption, QStyle::StandardPixmap icon,
                            std::function<void()> action) {
        addButton(name, caption, std::move(action))->setIcon(style()->standardIcon(icon));
    };
    add(QStringLiteral("ToolButton8"), QStringLiteral("查询"), QStyle::SP_FileDialogContentsView, [this] { ToolButton8Click(); });
    add(QStringLiteral("ToolButton1"), QStringLiteral("添加"), QStyle::SP_FileDialogNewFolder, [this] { ToolButton1Click(); });
    add(QStringLiteral("ToolButton2"), QStringLiteral("修改"), QStyle::SP_FileDialogDetailedView, [this] { ToolButton2Click(); });
    add(QStringLiteral("ToolButton3"), QStringLiteral("删除"), QStyle::SP_TrashIcon, [this] { ToolButton3Click(); });
    add(QStringLiteral("ToolButton4"), QStringLiteral("刷新"), QStyle::SP_BrowserReload, [this] { ToolButton4Click(); });
    add(QStringLiteral("ToolButton5"), QStringLiteral("显示全部"), QStyle::SP_FileDialogListView, [this] { ToolButton5Click(); });
    for (const SearchListButton &b : config_.printButtons)
        add(b.name, b.caption, b.icon, b.action);
    add(QStringLiteral("ToolButton10"), config_.exportCaption, QStyle::SP_DialogSaveButton, [this] { ToolButton10Click(); });
    for (const SearchListButton &b : config_.moreButtons)
        add(b.name, b.caption, b.icon, b.action);
    add(QStringLiteral("ToolButton7"), QStringLiteral("退出"), QStyle::SP_DialogCloseButton, [this] { ToolButton7Click(); });

    toolButton(QStringLiteral("ToolButton1"))->setEnabled(config_.mayAdd);
    toolButton(QStringLiteral("ToolButton2"))->setEnabled(config_.mayEdit);
    toolButton(QStringLiteral("ToolButton3"))->setEnabled(config_.mayDelete);
}

QToolButton *SearchListWindow::toolButton(const QString &name) const { return ToolBar1->findChild<QToolButton *>(name); }

// A list the database refuses stays empty (the grid clears itself) until the next good one;
// its text is kept, so 刷新 tries it again.
void SearchListWindow::openList(const db::Sql &statement)
{
    statement_ = statement;
    grid->open(*db_, statement_, config_.table);
}

// 2024-01-02, 2024-1-2 or 2024/1/2.
static QDate typedDate(const QString &column, const QString &value)
{
    if (const QDate day = db::dateFromText(value); day.isValid())
        return day;
    throw db::DbError(QStringLiteral("%1 的值 \"%2\" 不是日期 (年-月-日, 如 2024-01-02)").arg(column, value));
}

// An exact search compares a number, an amount or a date as a value of its kind, with a clear
// message when the typed text is none; text as typed.
static db::Sql exactValue(const QString &column, const QString &value)
{
    switch (db::columnKind(column)) {
    case db::ColumnKind::Integer:
    case db::ColumnKind::Floating:
    case db::ColumnKind::Money:
        return db::Sql::value(db::typedFieldValue(column, value));
    case db::ColumnKind::Date:
        return db::Sql::date(typedDate(column, value));
    default:
        return db::Sql::text(value);
    }
}

// What a contains-search looks in: a text column itself, anything else the text it shows.
static db::Sql searchedText(const db::Driver &driver, const QString &column)
{
    switch (db::columnKind(column)) {
    case db::ColumnKind::Text:
        return db::Sql::identifier(column);
    case db::ColumnKind::Money:
        return db::Sql::fixed(driver.amountAsText(column));
    default:
        return db::Sql::fixed(driver.castToText(column));
    }
}

// The column is one of the table's (checked before), so it may enter the text as it is.
db::Sql SearchListWindow::searchStatement(const QString &column, const QString &value) const
{
    const db::Sql select = db::Sql("select * from ") + db::Sql::fixed(config_.table) + " where ";
    if (RadioButton1->isChecked())
        return select + db::Sql::identifier(column) + " = " + exactValue(column, value);
    return select + searchedText(db_->driver(), column) + " like " + db::Sql::like(value);
}

void SearchListWindow::ToolButton8Click()
{
    const QString column = ComboBox1->currentText();
    const QString value = Edit1->text();
    if (column.isEmpty() || value.isEmpty()) {
        Platform::instance().message(QStringLiteral("请填写好查询条件!"));
        return;
    }
    // Blanks around a column name name the same column; the value is searched as typed.
    const QString name = column.trimmed();
    if (!db_->hasColumn(config_.table, name)) {
        Platform::instance().message(
            QStringLiteral("%1中没有\"%2\"这一列, 请从列表中选择查询字段!").arg(config_.table, column));
        ComboBox1->setFocus();
        return;
    }
    openList(searchStatement(name, value));
}

void SearchListWindow::ToolButton1Click()
{
    if (config_.addWindow)
        Platform::instance().openWindow(config_.addWindow());
}

void SearchListWindow::ToolButton2Click()
{
    if (!config_.editWindow)
        return;
    const QVariant rowId = currentRowIdFor(QStringLiteral("修改"));
    if (rowId.isValid())
        openOverList(config_.editWindow(rowId));
}

void SearchListWindow::ToolButton3Click()
{
    const QVariant rowId = currentRowIdFor(QStringLiteral("删除"));
    if (!rowId.isValid())
        return;
    const QString name = grid->currentValue(config_.nameColumn).toString();
    if (!Platform::instance().question(QStringLiteral("您是否要删除\" %1\"").arg(name)))
        return;
    db_->deleteRow(config_.table, rowId);
    grid->refresh();
}

void SearchListWindow::ToolButton4Click()
{
    if (grid->isOpen())
        grid->refresh();
    else
        openList(statement_);
}

void SearchListWindow::ToolButton5Click() { openList(db::Sql("select * from ") + db::Sql::fixed(config_.table)); }

void SearchListWindow::ToolButton10Click() { ExportGridToSpreadsheet(*grid); }

void SearchListWindow::ToolButton7Click() { close(); }

QVariant SearchListWindow::currentRowIdFor(const QString &action) const
{
    const QVariant rowId = grid->isOpen() && grid->currentRow() >= 0 ? grid->currentRowId() : QVariant();
    if (!rowId.isValid())
        Platform::instance().message(QStringLiteral("列表中没有可%1的记录!").arg(action));
    return rowId;
}

void SearchListWindow::openOverList(QWidget *window)
{
    // A child still open when the list closes goes with it, after the list's own parts.
    std::weak_ptr<bool> alive = alive_;
    Platform::instance().openWindow(window, [this, alive] {
        if (!alive.expired())
            guarded([this] { ToolButton4Click(); })();
    });
}
