#include "circulation/RecordFields.h"

#include "components/GridModel.h"

#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

QLineEdit *readOnlyBox(QWidget *parent, const QString &objectName)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(objectName);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    return box;
}

namespace {
class SelectOnClick : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease)
            static_cast<QLineEdit *>(watched)->selectAll();
        return false;
    }
};
} // namespace

void selectAllOnClick(QLineEdit *box) { box->installEventFilter(new SelectOnClick(box)); }

void showWithCaption(QWidget *box, bool shown)
{
    box->setVisible(shown);
    for (QLabel *label : box->window()->findChildren<QLabel *>())
        if (label->buddy() == box)
            label->setVisible(shown);
}

QLineEdit *RecordFields::add(QFormLayout *form, const QString &column, const QString &caption)
{
    QLineEdit *box = readOnlyBox(form->parentWidget(), prefix_ + QLatin1Char('.') + column);
    form->addRow(caption.isEmpty() ? column : caption, box);
    boxes_.insert(column, box);
    return box;
}

void RecordFields::show(const QVariantHash &row)
{
    for (auto it = boxes_.cbegin(); it != boxes_.cend(); ++it)
        it.value()->setText(GridModel::displayText(row.value(it.key()), db::columnKind(it.key())));
}

void RecordFields::clear()
{
    for (QLineEdit *box : std::as_const(boxes_))
        box->clear();
}

QString RecordFields::text(const QString &column) const
{
    const QLineEdit *box = boxes_.value(column);
    return box ? box->text() : QString();
}

void RecordFields::setShown(const QString &column, bool shown)
{
    if (QLineEdit *box = boxes_.value(column))
        showWithCaption(box, shown);
}
