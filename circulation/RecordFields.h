#pragma once

#include "db/Schema.h"

#include <QHash>
#include <QString>
#include <QVariantHash>

class QFormLayout;
class QLabel;
class QLineEdit;
class QWidget;

// Read-only boxes that show columns of one row (the current reader, item or loan), each in a row
// of a form under its caption. Empty until a row is shown.
class RecordFields {
public:
    // `prefix` makes the boxes' object names ("Reader.读者姓名"), so tests and the load run find them.
    explicit RecordFields(QString prefix) : prefix_(std::move(prefix)) {}

    // Adds the box of `column` under `caption` (the column's name when empty).
    QLineEdit *add(QFormLayout *form, const QString &column, const QString &caption = {});
    void show(const QVariantHash &row);
    void clear();
    QString text(const QString &column) const;
    QLineEdit *box(const QString &column) const { return boxes_.value(column); }
    // Shows or hides a box with its caption.
    void setShown(const QString &column, bool shown);

private:
    QString prefix_;
    QHash<QString, QLineEdit *> boxes_;
};

// A read-only box the desks fill themselves; tab passes it by.
QLineEdit *readOnlyBox(QWidget *parent, const QString &objectName);

// Shows or hides a box with the labels whose buddy it is.
void showWithCaption(QWidget *box, bool shown);

// A box a scanner types into: a click selects its whole text, so that the next scan replaces it.
void selectAllOnClick(QLineEdit *box);
