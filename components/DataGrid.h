#pragma once

#include "components/GridModel.h"
#include "db/Schema.h"
#include "db/Sql.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <optional>

namespace db {
class Database;
}
class GridFooter;
class GridModel;
class QTableView;

// How a list window shows one column of its query.
struct GridColumn {
    QString field;
    QString caption = {}; // empty: the field name
    bool visible = true;
    std::optional<db::ColumnKind> kind = std::nullopt; // empty: db::columnKind(field)
    enum class Footer { None, Count, Sum } footer = Footer::None;
    int width = -1; // pixels; -1: the grid's default
    int footerDecimals = -1; // a sum shown rounded to this many decimals (0: a whole number); -1: as the column shows values
};

// The read-only grid of every list window: a query's rows with headings, click-to-sort, value
// filters per column and footer cells. Sorting, filtering, counting and summing are done by the
// database over the window's query; only the rows on screen are fetched, so a grid over a
// million rows opens as fast as one over ten. The footers and the scroll range are filled from
// the event loop after the first screen; rowCount() and the footer functions count at once when
// asked before that.
class DataGrid : public QWidget {
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    // Listed fields first, in this order; every other column of the query follows with defaults.
    void setColumns(const QList<GridColumn> &columns);
    const QList<GridColumn> &columns() const { return config_; }
    // Whether the query's columns that setColumns does not list are shown (they are, by default).
    // Hidden ones stay in the rows: value() reads them and the export writes them.
    void setShowUnlistedColumns(bool show);
    bool showsUnlistedColumns() const { return showUnlisted_; }

    // Runs the window's query (select ... from ... where ..., no order by). With keyTable the
    // grid carries that table's row identity, so currentRowId() names exactly one row. Keeps the
    // sort when its column is still there; drops the filters. Throws db::DbError.
    void open(db::Database &db, const db::Sql &select, const QString &keyTable = {});
    // Runs the query again with the same sort and filters; keeps the current row where it can.
    void refresh();
    void clear();
    bool isOpen() const;
    // The window's query and key table as open() was given them.
    const db::Sql &statement() const { return select_; }
    const QString &keyTable() const { return keyTable_; }
    // The connection of the open query; nullptr before open().
    db::Database *database() const { return db_; }

    void sortBy(const QString &field, Qt::SortOrder order);
    QString sortField() const;
    Qt::SortOrder sortOrder() const;

    // Keeps only the rows whose field holds one of the values (typed as value() gives them;
    // an invalid QVariant stands for null). An empty list keeps no row.
    void setFilter(const QString &field, const QVariantList &values);
    void clearFilter(const QString &field);
    void clearFilters();
    QVariantList filter(const QString &field) const;
    bool hasFilter(const QString &field) const;
    // The field's distinct values over the grid's rows under the other fields' filters, sorted.
    QVariantList distinctValues(const QString &field, int limit = 500) const;
    QVariantList distinctValues(const QString &field, int limit, const QString &search) const;
    // Opens the value filter of a field under its heading.
    void showFilterPopup(const QString &field);

    // The footer of a field: the row count, the sum over the grid's rows, or empty.
    QString footerText(const QString &field) const;
    // The footer's value: the count as qint64, or the sum typed by the column (Money exact).
    QVariant footerValue(const QString &field) const;

    // The number of rows, counted now if the count is still to come.
    int rowCount() const;
    int currentRow() const;
    void setCurrentRow(int row);
    QVariant value(int row, const QString &field) const;
    QVariant currentValue(const QString &field) const;
    QVariant rowId(int row) const;
    QVariant currentRowId() const;
    // The text a cell shows.
    QString displayText(int row, const QString &field) const;

    // Exactly the grid's rows, every column of the query, in the grid's order, values bound.
    db::Sql resultStatement() const;

    QTableView *view() const { return view_; }
    GridModel *model() const { return model_; }
    GridFooter *footer() const { return footer_; }

signals:
    void currentRowChanged(int row);
    void rowActivated(int row);
    // The rows were replaced (open, sort, filter, refresh); the first of them are at hand.
    void rowsChanged();
    // The row count and the footers are known: after rowsChanged, once they are counted.
    void totalsChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int column(const QString &field) const;
    const GridModel::Column *footerColumn(const QString &field, GridColumn::Footer *footer) const;
    QString footerTextOf(const GridModel::Column &column, GridColumn::Footer footer) const;
    QString queryColumn(const QString &field) const;
    void run(db::Database &db, const db::Sql &select, const QString &keyTable);
    void applyColumns();
    void reloadModel();
    void reload();
    void reorder();
    void afterReset(int row);
    void scheduleTotals();
    void countNow();
    void updateFooter();
    void headingClicked(int section);
    void headingMenu(const QPoint &at);

    db::Database *db_ = nullptr;
    QList<GridColumn> config_;
    db::Sql select_;
    QString keyTable_;
    bool showUnlisted_ = true;
    bool totalsAfterPaint_ = false;
    QTableView *view_;
    GridModel *model_;
    GridFooter *footer_;
};
