#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;
namespace db {
class Database;
}

// The controls the reader and catalogue intake and editing windows share: the same boxes, the same lists.
QLineEdit *readerLineEdit(QWidget *parent, const char *name);
// An editable drop-down: the lists offer values, any typed value is taken as it is.
QComboBox *readerComboBox(QWidget *parent, const char *name);
// A date box with a drop-down calendar.
QDateEdit *readerDateEdit(QWidget *parent, const char *name);
QPlainTextEdit *readerMemo(QWidget *parent, const char *name);
// A date box that may stay empty: an empty date shows blank (as its lowest value, 1900-01-01).
QDateEdit *readerBlankableDateEdit(QWidget *parent, const char *name);

// What a line, list, memo or date box shows: a text, or a date (null for a blank date box).
QVariant shownValue(const QWidget *control);
// Puts a value into such a box; a date box takes a date or its ISO text, anything else blanks it.
void showValue(QWidget *control, const QVariant &value);
// The caption of a field that must be filled: in bold type.
QLabel *requiredLabel(const QString &caption, QWidget *parent);
// 保存后清空数据 (CheckBox1), ticked: an intake window empties its boxes after each save.
QCheckBox *clearAfterSaveBox(QWidget *parent);
// Two columns of fields of even width beside each other.
QHBoxLayout *sideBySide(QFormLayout *left, QFormLayout *right);
// Tab moves through the widgets in this order.
void setTabOrderOf(const QList<QWidget *> &widgets);

// Empties the four lists and fills them: 性别 with 男 and 女, 类别 from 读者类别, 单位部门 from
// 单位名称, 有效证件 from 证件名, each in the database's order.
void fillReaderLists(db::Database &database, QComboBox *sex, QComboBox *kind, QComboBox *unit, QComboBox *document);
