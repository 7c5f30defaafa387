#include "components/DataGrid.h"

#include "common/ErrorDisplay.h"
#include "components/GridFilterPopup.h"
#include "components/GridFooter.h"
#include "components/GridModel.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Money.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSet>
#include <QSqlRecord>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

static constexpr int FilterValueLimit = 500;

static const GridColumn *configFor(const QList<GridColumn> &config, const QString &field)
{
    for (const GridColumn &c : config)
        if (c.field.compare(field, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

static db::DbError noSuchField(const QString &field)
{
    return db::DbError(QStringLiteral("字段不存在: %1").arg(field));
}

DataGrid::DataGrid(QWidget *parent) : QWidget(parent)
{
    model_ = new GridModel(this);
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("GridView"));
    view_->setModel(model_);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setWordWrap(false);
    view_->setSortingEnabled(false);
    // Fixed row heights: the view never measures rows, so it never asks for rows off screen.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    view_->verticalHeader()->hide();
    QHeaderView *header = view_->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->installEventFilter(this);
    view_->viewport()->installEventFilter(this);

    footer_ = new GridFooter(header, this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_);
    layout->addWidget(footer_);
    footer_->hide();

    connect(header, &QHeaderView::sectionClicked, this, [this](int section) { headingClicked(section); });
    connect(header, &QHeaderView::customContextMenuRequested, this, [this](const QPoint &at) { headingMenu(at); });
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { emit currentRowChanged(current.isValid() ? current.row() : -1); });
    connect(view_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { emit rowActivated(index.row()); });
    connect(model_, &GridModel::totalsChanged, this, [this] {
        updateFooter();
        emit totalsChanged();
    });
}

DataGrid::~DataGrid() = default;

void DataGrid::setColumns(const QList<GridColumn> &columns)
{
    config_ = columns;
    if (isOpen())
        open(*db_, select_, keyTable_);
}

void DataGrid::setShowUnlistedColumns(bool show)
{
    showUnlisted_ = show;
    applyColumns();
}

bool DataGrid::isOpen() const { return model_->isOpen(); }

// A query the database refuses leaves the grid empty, like a closed list, until the next run.
void DataGrid::open(db::Database &db, const db::Sql &select, const QString &keyTable)
{
    try {
        run(db, select, keyTable);
    } catch (...) {
        clear();
        throw;
    }
}

void DataGrid::run(db::Database &db, const db::Sql &select, const QString &keyTable)
{
    GridQuery query(db.driver(), select, keyTable, keyTable.isEmpty() ? QString() : db.rowIdentity(keyTable));
    QStringList names;
    QHash<QString, db::ColumnKind> kinds; // as the statement declares them, else by name
    {
        db::Rows shape = db.select(query.shape());
        const QSqlRecord record = shape.record();
        for (int i = 0; i < record.count(); ++i) {
            // The carried identity and the servers' hidden row identity are not the library's columns.
            if (record.fieldName(i).compare(GridQuery::RowIdAlias, Qt::CaseInsensitive) == 0
                || record.fieldName(i).compare(db.driver().rowIdColumn(), Qt::CaseInsensitive) == 0)
                continue;
            names.append(record.fieldName(i));
            kinds.insert(record.fieldName(i), shape.kindOf(i));
        }
    }
    query.setColumns(names);
    if (isOpen() && !query.column(sortField()).isEmpty())
        query.setSort(query.column(sortField()), sortOrder() == Qt::DescendingOrder);

    QList<GridModel::Column> columns;
    QStringList sums;
    QSet<QString> listed;
    for (const GridColumn &c : config_) {
        const QString name = query.column(c.field);
        if (name.isEmpty() || listed.contains(name))
            continue;
        listed.insert(name);
        columns.append({name, c.caption.isEmpty() ? db::canonicalColumnName(c.field) : c.caption,
                        c.kind.value_or(kinds.value(name))});
        if (c.footer == GridColumn::Footer::Sum)
            sums.append(name);
    }
    // PostgreSQL hands back unquoted names in lower case; headings show them as the schema writes them.
    for (const QString &name : names)
        if (!listed.contains(name))
            columns.append({name, db::canonicalColumnName(name), kinds.value(name)});

    db_ = &db;
    select_ = select;
    keyTable_ = keyTable;
    model_->open(db, query, columns, sums);
    applyColumns();
    afterReset(model_->rowCount() > 0 ? 0 : -1);
}

// The row under a refresh: where the row of that identity now stands, else the same place.
void DataGrid::refresh()
{
    if (!isOpen())
        return;
    const QVariant id = currentRowId();
    const int row = currentRow();
    reloadModel();
    int target = id.isValid() ? model_->rowOf(id) : -1;
    if (target < 0 && row >= model_->rowCount())
        model_->ensureTotals();
    if (target < 0)
        target = qMin(row, model_->rowCount() - 1);
    afterReset(target);
}

// A failed run leaves an empty grid whose footers say so, then the error goes on to the caller.
void DataGrid::reloadModel()
{
    try {
        model_->reload();
    } catch (...) {
        afterReset(-1);
        throw;
    }
}

void DataGrid::reload()
{
    reloadModel();
    afterReset(model_->rowCount() > 0 ? 0 : -1);
}

// A new order of the same rows: the count and the footers stay as they are.
void DataGrid::reorder()
{
    try {
        model_->reorder();
    } catch (...) {
        afterReset(-1);
        throw;
    }
    afterReset(model_->rowCount() > 0 ? 0 : -1);
}

void DataGrid::clear()
{
    model_->close();
    db_ = nullptr;
    select_ = {};
    keyTable_.clear();
    afterReset(-1);
}

void DataGrid::applyColumns()
{
    const QList<GridModel::Column> &columns = model_->modelColumns();
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const GridColumn *c = configFor(config_, columns.at(i).field);
        view_->setColumnHidden(int(i), c ? !c->visible : !showUnlisted_);
        if (c && c->width >= 0)
            view_->setColumnWidth(int(i), c->width);
    }
    bool anyFooter = false;
    for (const GridColumn &c : config_)
        anyFooter = anyFooter || c.footer != GridColumn::Footer::None;
    footer_->setVisible(anyFooter);
}

void DataGrid::afterReset(int row)
{
    QHeaderView *header = view_->horizontalHeader();
    const int sorted = model_->query().sortColumn().isEmpty() ? -1 : model_->columnOf(model_->query().sortColumn());
    header->setSortIndicatorShown(sorted >= 0);
    if (sorted >= 0)
        header->setSortIndicator(sorted, model_->query().sortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    updateFooter();
    setCurrentRow(row);
    if (row < 0)
        emit currentRowChanged(-1);
    scheduleTotals();
    emit rowsChanged();
}

// The count and the sums wait for the first screen: they start after the view's next paint, or
// from the event loop when nothing is shown. (A zero timer alone would run before a new window's
// first paint, which Qt posts at low priority.)
void DataGrid::scheduleTotals()
{
    totalsAfterPaint_ = false;
    if (model_->totalsKnown())
        return;
    if (view_->viewport()->isVisible())
        totalsAfterPaint_ = true;
    else
        QTimer::singleShot(0, this, [this] { countNow(); });
}

void DataGrid::countNow()
{
    guarded([this] { model_->ensureTotals(); })();
}

// Footers still being counted show an ellipsis; asking for their text here would count at once.
void DataGrid::updateFooter()
{
    QHash<int, QString> texts;
    const QList<GridModel::Column> &columns = model_->modelColumns();
    for (qsizetype i = 0; i < columns.size(); ++i) {
        GridColumn::Footer footer;
        if (const GridModel::Column *column = footerColumn(columns.at(i).field, &footer))
            texts.insert(int(i), model_->totalsKnown() ? footerTextOf(*column, footer) : QStringLiteral("…"));
    }
    footer_->setTexts(texts);
}

int DataGrid::column(const QString &field) const
{
    const int c = model_->columnOf(field);
    if (c < 0)
        throw noSuchField(field);
    return c;
}

QString DataGrid::queryColumn(const QString &field) const
{
    return model_->modelColumns().at(column(field)).field;
}

void DataGrid::sortBy(const QString &field, Qt::SortOrder order)
{
    model_->query().setSort(queryColumn(field), order == Qt::DescendingOrder);
    reorder();
}

QString DataGrid::sortField() const { return model_->query().sortColumn(); }

Qt::SortOrder DataGrid::sortOrder() const
{
    return model_->query().sortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder;
}

void DataGrid::headingClicked(int section)
{
    if (section < 0 || section >= model_->modelColumns().size())
        return;
    const QString field = model_->modelColumns().at(section).field;
    const bool again = sortField() == field && sortOrder() == Qt::AscendingOrder;
    guarded([this, field, again] { sortBy(field, again ? Qt::DescendingOrder : Qt::AscendingOrder); })();
}

void DataGrid::headingMenu(const QPoint &at)
{
    const int section = view_->horizontalHeader()->logicalIndexAt(at);
    if (section < 0 || section >= model_->modelColumns().size())
        return;
    const QString field = model_->modelColumns().at(section).field;
    guarded([this, field] { showFilterPopup(field); })();
}

void DataGrid::showFilterPopup(const QString &field)
{
    const int c = column(field);
    const db::ColumnKind kind = model_->modelColumns().at(c).kind;
    auto *popup = new GridFilterPopup(
        [this, field](const QString &search) { return distinctValues(field, FilterValueLimit, search); },
        [kind](const QVariant &v) { return GridModel::displayText(v, kind); }, filter(field), hasFilter(field),
        FilterValueLimit, this);
    connect(popup, &GridFilterPopup::chosen, this, [this, field](const QVariantList &values, bool all) {
        guarded([&] { all ? clearFilter(field) : setFilter(field, values); })();
    });
    QHeaderView *header = view_->horizontalHeader();
    popup->move(header->mapToGlobal(QPoint(header->sectionViewportPosition(c), header->height())));
    popup->show();
    popup->searchBox()->setFocus();
}

void DataGrid::setFilter(const QString &field, const QVariantList &values)
{
    model_->query().setFilter(queryColumn(field), values);
    reload();
}

void DataGrid::clearFilter(const QString &field)
{
    model_->query().clearFilter(queryColumn(field));
    reload();
}

void DataGrid::clearFilters()
{
    model_->query().clearFilters();
    reload();
}

QVariantList DataGrid::filter(const QString &field) const { return model_->query().filter(queryColumn(field)); }

bool DataGrid::hasFilter(const QString &field) const { return model_->query().hasFilter(queryColumn(field)); }

QVariantList DataGrid::distinctValues(const QString &field, int limit) const
{
    return distinctValues(field, limit, {});
}

QVariantList DataGrid::distinctValues(const QString &field, int limit, const QString &search) const
{
    const GridModel::Column &c = model_->modelColumns().at(column(field));
    db::Rows rows = db_->select(model_->query().distinct(c.field, limit, search, c.kind));
    QVariantList values;
    while (rows.next())
        values.append(rows.typed(0, c.kind));
    return values;
}

// The column of a field that carries a footer, or nullptr.
const GridModel::Column *DataGrid::footerColumn(const QString &field, GridColumn::Footer *footer) const
{
    const int c = model_->columnOf(field);
    if (c < 0)
        return nullptr;
    const GridModel::Column &column = model_->modelColumns().at(c);
    const GridColumn *config = configFor(config_, column.field);
    if (!config || config->footer == GridColumn::Footer::None)
        return nullptr;
    *footer = config->footer;
    return &column;
}

QString DataGrid::footerText(const QString &field) const
{
    GridColumn::Footer footer;
    const GridModel::Column *column = footerColumn(field, &footer);
    if (!column)
        return {};
    model_->ensureTotals();
    return footerTextOf(*column, footer);
}

QString DataGrid::footerTextOf(const GridModel::Column &column, GridColumn::Footer footer) const
{
    if (footer == GridColumn::Footer::Count)
        return QString::number(model_->rowCount());
    const QVariant value = model_->sum(column.field);
    // A sum over no rows is null in SQL; the footer shows 0.
    if (!value.isValid() || value.isNull())
        return column.kind == db::ColumnKind::Money ? db::Money().toString(2) : QStringLiteral("0");
    if (const GridColumn *config = configFor(config_, column.field); config && config->footerDecimals >= 0)
        return db::Money::fromVariant(value).toString(config->footerDecimals);
    return GridModel::displayText(value, column.kind);
}

QVariant DataGrid::footerValue(const QString &field) const
{
    GridColumn::Footer footer;
    const GridModel::Column *column = footerColumn(field, &footer);
    if (!column)
        return {};
    model_->ensureTotals();
    if (footer == GridColumn::Footer::Count)
        return QVariant::fromValue<qint64>(model_->rowCount());
    return model_->sum(column->field);
}

int DataGrid::rowCount() const { return model_->totalRows(); }

int DataGrid::currentRow() const
{
    const QModelIndex current = view_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void DataGrid::setCurrentRow(int row)
{
    if (row >= model_->rowCount())
        model_->ensureTotals();
    if (row < 0 || row >= model_->rowCount()) {
        view_->setCurrentIndex({});
        return;
    }
    int column = 0;
    while (column < model_->columnCount() - 1 && view_->isColumnHidden(column))
        ++column;
    const QModelIndex index = model_->index(row, column);
    view_->setCurrentIndex(index);
    view_->scrollTo(index);
}

QVariant DataGrid::value(int row, const QString &field) const { return model_->value(row, column(field)); }

QVariant DataGrid::currentValue(const QString &field) const { return value(currentRow(), field); }

QVariant DataGrid::rowId(int row) const { return model_->rowId(row); }

QVariant DataGrid::currentRowId() const { return model_->rowId(currentRow()); }

QString DataGrid::displayText(int row, const QString &field) const
{
    const int c = column(field);
    return GridModel::displayText(model_->value(row, c), model_->modelColumns().at(c).kind);
}

db::Sql DataGrid::resultStatement() const { return isOpen() ? model_->query().result() : db::Sql(); }

bool DataGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view_->viewport() && event->type() == QEvent::Paint && totalsAfterPaint_) {
        totalsAfterPaint_ = false;
        QTimer::singleShot(0, this, [this] { countNow(); });
    }
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && currentRow() >= 0) {
            emit rowActivated(currentRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
