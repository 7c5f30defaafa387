#pragma once

#include "common/LibraryWindow.h"
#include "db/Database.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QCheckBox;

// One box of a catalogue form (books or periodicals): its control, caption and column.
struct CatalogueField {
    enum class Kind { Line, List, Date, Memo };
    enum class Filter { None, Digits, Decimal };
    const char *name;               // the control's object name
    const char *caption;
    const char *column = nullptr;   // the column it writes or shows; none: the window handles it
    Kind kind = Kind::Line;
    bool bold = false;              // required, and shown so
    const char *reset = "";         // the text after a reset; nullptr: kept as it is
    const char *listTable = nullptr;
    const char *listColumn = nullptr;
    Filter filter = Filter::None;
    bool enabled = true;
};

// A box that picks its value from a lookup list (listColumn of table).
inline CatalogueField lookupField(const char *name, const char *caption, const char *column, const char *table,
                                  const char *listColumn, const char *reset = "")
{
    return {.name = name, .caption = caption, .column = column, .kind = CatalogueField::Kind::List, .reset = reset,
            .listTable = table, .listColumn = listColumn};
}

// The value a column takes from the text of its box, by the column's kind: a count (an empty one
// is 0), an amount, a date or a trimmed text. A text the column cannot take is refused with a
// db::DbError naming the box.
QVariant catalogueValue(const QString &caption, const QString &column, const QString &text);

// Runs `action` when the line edit is clicked (the document path, the number box).
void onClick(QLineEdit *edit, std::function<void()> action);
// The file dialog for a book's electronic document; the chosen path goes into the box.
void chooseDocument(QLineEdit *edit);

// The intake of catalogue entries: one new row per save, the completeness check in its order,
// the reset for the next entry. Books and periodicals configure it.
struct IntakeConfig {
    QString table;
    QString objectName;
    QString title;
    QString closeCaption;                 // 返回 or 取消
    QList<CatalogueField> fields;         // in tab order
    QStringList requiredOrder;            // object names, in the order they are checked
    QStringList listOrder;                // object names of the drop-downs, in the order they are loaded
    const char *titleBox;                 // the title the initials follow
    const char *pinyinBox;
    QDate publishedAtStart;               // DateTimePicker1
    bool beepWhenIncomplete = false;
    QString savedMessage;
};

class CatalogueIntake : public LibraryWindow {
    Q_OBJECT
public:
    CatalogueIntake(IntakeConfig config, QWidget *parent);

    QPushButton *Button1;  // 保存
    QPushButton *Button2;  // 返回 / 取消
    QCheckBox *CheckBox1;  // 保存后清空数据

    QWidget *control(const QString &name) const;
    QLineEdit *lineEdit(const char *name) const;
    QComboBox *comboBox(const char *name) const;

    virtual void FormShow();
    void InitialData();
    void Button1Click();
    void Button2Click();

protected:
    // Room beside the fields for a window's own controls (automatic numbering).
    class QVBoxLayout *sideLayout() const { return side_; }
    // The text of a box as typed.
    QString typed(const QString &name) const;
    virtual db::Fields rowFields() const;
    // Runs after a stored row, after the reset.
    virtual void afterSave() {}

private:
    bool complete() const;
    IntakeConfig config_;
    QVBoxLayout *side_ = nullptr;
};

// The editing of one catalogue row, named by its row identity: the boxes show the row, 保存 writes
// the columns that were changed, 取消 and the window's close box write nothing.
struct EditConfig {
    QString table;
    QString objectName;
    QString title;
    QList<CatalogueField> fields;  // in tab order; a Date kind is a date box, other dates are texts
    QStringList listOrder;
    const char *titleBox;
    const char *pinyinBox;
    QString savedMessage;          // empty: none
};

class CatalogueEdit : public LibraryWindow {
    Q_OBJECT
public:
    // Throws db::DbError when the row is no longer there.
    CatalogueEdit(db::Database &database, const QVariant &rowId, EditConfig config, QWidget *parent);

    QPushButton *Button1;  // 保存
    QPushButton *Button2;  // 取消

    QWidget *control(const QString &name) const;
    QLineEdit *lineEdit(const char *name) const;

    // Runs after a stored row, before the window closes (the list re-runs its query).
    std::function<void()> saved;

    void Button1Click();
    void Button2Click();
    // The columns 保存 would write now, with their values; throws db::DbError for a value its
    // column cannot take.
    db::Fields changedFields() const;

protected:
    // Puts `extra` to the right of the box `name`, on its row, and next after it in the tab order.
    void placeBeside(const char *name, QWidget *extra);

private:
    void loadRow();
    struct Binding {
        CatalogueField field;
        QString loaded;
    };
    db::Database &db_;
    QVariant rowId_;
    EditConfig config_;
    QList<Binding> bindings_;
};
