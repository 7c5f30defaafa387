#pragma once

#include <QFrame>
#include <QTimer>
#include <QVariant>
#include <functional>

class QCheckBox;
class QLineEdit;
class QListWidget;

// The value filter of one column, like a spreadsheet's auto-filter: the column's distinct
// values to tick, a search box that narrows them (asked of the database after typing pauses),
// and OK / cancel.
class GridFilterPopup : public QFrame {
    Q_OBJECT
public:
    // Distinct values of the column (limited), those containing the search text when given.
    using Loader = std::function<QVariantList(const QString &search)>;
    using Display = std::function<QString(const QVariant &value)>;

    static constexpr int DebounceMs = 300;

    GridFilterPopup(Loader loader, Display display, const QVariantList &current, bool filtered, int limit,
                    QWidget *parent = nullptr);

    QLineEdit *searchBox() const { return search_; }
    QListWidget *list() const { return list_; }
    void accept();

signals:
    // The values to keep; `all` when nothing is filtered out any more.
    void chosen(const QVariantList &values, bool all);

private:
    void fill(const QVariantList &values, const QVariantList &ticked, bool tickAll);
    void reload();
    void tickAll(bool on);

    Loader loader_;
    Display display_;
    int limit_;
    bool complete_ = true;
    QLineEdit *search_;
    QCheckBox *all_;
    QListWidget *list_;
    QTimer debounce_;
};
