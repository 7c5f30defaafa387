#include "readers/ReaderForm.h"

#include "common/LookupList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

QLineEdit *readerLineEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QComboBox *readerComboBox(QWidget *parent, const char *name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QDateEdit *readerDateEdit(QWidget *parent, const char *name)
{
    auto *edit = new QDateEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return edit;
}

// The lowest date of a blankable date box, shown as a blank.
static const QDate BlankDate(1900, 1, 1);

QDateEdit *readerBlankableDateEdit(QWidget *parent, const char *name)
{
    QDateEdit *date = readerDateEdit(parent, name);
    date->setMinimumDate(BlankDate);
    date->setSpecialValueText(QStringLiteral(" "));
    return date;
}

QVariant shownValue(const QWidget *control)
{
    if (auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->text();
    if (auto *box = qobject_cast<const QComboBox *>(control))
        return box->currentText();
    if (auto *memo = qobject_cast<const QPlainTextEdit *>(control))
        return memo->toPlainText();
    if (auto *date = qobject_cast<const QDateEdit *>(control))
        return date->date() == BlankDate ? QVariant() : QVariant(date->date());
    return {};
}

void showValue(QWidget *control, const QVariant &value)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->setText(value.toString());
    else if (auto *box = qobject_cast<QComboBox *>(control))
        box->setCurrentText(value.toString());
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
        memo->setPlainText(value.toString());
    else if (auto *date = qobject_cast<QDateEdit *>(control))
        date->setDate(value.toDate().isValid() ? value.toDate() : BlankDate);
}

QPlainTextEdit *readerMemo(QWidget *parent, const char *name)
{
    auto *memo = new QPlainTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setTabChangesFocus(true);
    memo->setMaximumHeight(60);
    return memo;
}

QLabel *requiredLabel(const QString &caption, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QCheckBox *clearAfterSaveBox(QWidget *parent)
{
    auto *box = new QCheckBox(QStringLiteral("保存后清空数据"), parent);
    box->setObjectName(QStringLiteral("CheckBox1"));
    box->setChecked(true);
    return box;
}

QHBoxLayout *sideBySide(QFormLayout *left, QFormLayout *right)
{
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addSpacing(16);
    columns->addLayout(right, 1);
    return columns;
}

void setTabOrderOf(const QList<QWidget *> &widgets)
{
    for (qsizetype i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets.at(i - 1), widgets.at(i));
}

void fillReaderLists(db::Database &database, QComboBox *sex, QComboBox *kind, QComboBox *unit, QComboBox *document)
{
    for (QComboBox *box : {sex, kind, unit, document})
        box->clear();
    sex->addItems({QStringLiteral("男"), QStringLiteral("女")});
    fillLookupList(kind, database, QStringLiteral("读者类别"), QStringLiteral("类别名"));
    fillLookupList(unit, database, QStringLiteral("单位名称"), QStringLiteral("单位名称"));
    fillLookupList(document, database, QStringLiteral("证件名"), QStringLiteral("证件名"));
}
