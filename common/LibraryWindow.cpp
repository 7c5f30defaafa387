#include "common/LibraryWindow.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVariant>

// Marks a name that labelInputs gave, so that a later call may bring it up to date.
static const char *const givenName = "libraryLabelName";

static void buddyFormFields(QWidget *window)
{
    for (QFormLayout *form : window->findChildren<QFormLayout *>()) {
        for (int row = 0; row < form->rowCount(); ++row) {
            QLayoutItem *label = form->itemAt(row, QFormLayout::LabelRole);
            QLayoutItem *field = form->itemAt(row, QFormLayout::FieldRole);
            auto *caption = label ? qobject_cast<QLabel *>(label->widget()) : nullptr;
            if (caption && field && field->widget() && !caption->buddy())
                caption->setBuddy(field->widget());
        }
    }
}

// The label's text as a screen reader should say it: without the access-key marks.
static QString spokenText(const QLabel *label)
{
    QString text = label->text();
    text.replace(QLatin1String("&&"), QStringLiteral("\x1f"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x1f"), QStringLiteral("&"));
    return text.trimmed();
}

void labelInputs(QWidget *window)
{
    buddyFormFields(window);
    for (QLabel *label : window->findChildren<QLabel *>()) {
        QWidget *input = label->buddy();
        if (!input)
            continue;
        const bool ours = input->property(givenName).toBool();
        if (!input->accessibleName().isEmpty() && !ours)
            continue;
        input->setAccessibleName(spokenText(label));
        input->setProperty(givenName, true);
    }
}

QPushButton *namedButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QHBoxLayout *buttonRow(std::initializer_list<QWidget *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QWidget *button : buttons)
        row->addWidget(button);
    return row;
}

LibraryWindow::LibraryWindow(QWidget *parent, Qt::WindowFlags flags) : QDialog(parent, flags) {}

void LibraryWindow::showEvent(QShowEvent *event)
{
    labelInputs(this);
    QDialog::showEvent(event);
}
