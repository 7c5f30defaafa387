#include "InputLabels.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

static bool isInput(QWidget *w)
{
    return qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w)
        || qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QTextEdit *>(w);
}

// The line edit of an editable combo box or a date box is announced through its owner.
static bool insideAnotherInput(QWidget *w, QWidget *window)
{
    for (QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (qobject_cast<QComboBox *>(p) || qobject_cast<QAbstractSpinBox *>(p))
            return true;
    return false;
}

static QString groupTitleAround(QWidget *w, QWidget *window)
{
    for (QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (auto *group = qobject_cast<QGroupBox *>(p))
            return group->title();
    return {};
}

QString spokenName(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    if (!accessible)
        return {};
    // A combo box's name is its current text on Linux; its caption reaches the screen reader
    // as the "labelled by" relation.
    if (qobject_cast<QComboBox *>(widget)) {
        const auto labels = accessible->relations(QAccessible::Label);
        if (!labels.isEmpty())
            return labels.first().first->text(QAccessible::Name);
        return widget->accessibleName();
    }
    return accessible->text(QAccessible::Name);
}

QStringList unlabelledInputs(QWidget *window)
{
    QStringList out;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!isInput(w) || !w->isVisibleTo(window) || insideAnotherInput(w, window))
            continue;
        const QString name = spokenName(w).trimmed();
        const QString group = groupTitleAround(w, window);
        if (name.isEmpty() || (!group.isEmpty() && name == group))
            out << QStringLiteral("%1 (%2)").arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()));
    }
    return out;
}
