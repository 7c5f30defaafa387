#include "circulation/Picker.h"

#include "components/DataGrid.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PickerParts buildPicker(QWidget *window, const QString &nameCaption, const QString &numberCaption)
{
    window->setWindowTitle(QStringLiteral("选择"));
    PickerParts parts;
    parts.nameBox = new QLineEdit(window);
    parts.nameBox->setObjectName(QStringLiteral("Edit1"));
    parts.numberBox = new QLineEdit(window);
    parts.numberBox->setObjectName(QStringLiteral("Edit2"));
    parts.grid = new DataGrid(window);
    parts.grid->setObjectName(QStringLiteral("DBGrid1"));
    parts.choose = new QPushButton(QStringLiteral("选择(&S)"), window);
    parts.choose->setObjectName(QStringLiteral("Button1"));
    parts.back = new QPushButton(QStringLiteral("返回(&R)"), window);
    parts.back->setObjectName(QStringLiteral("Button2"));
    // Enter belongs to the search boxes and the list.
    parts.choose->setAutoDefault(false);
    parts.back->setAutoDefault(false);

    auto *form = new QFormLayout;
    form->addRow(nameCaption, parts.nameBox);
    form->addRow(numberCaption, parts.numberBox);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(parts.choose);
    buttons->addWidget(parts.back);
    auto *layout = new QVBoxLayout(window);
    layout->addLayout(form);
    layout->addWidget(parts.grid, 1);
    layout->addLayout(buttons);
    window->resize(760, 480);
    return parts;
}

std::optional<QString> chosenValue(const DataGrid *grid, const QString &field)
{
    if (!grid->isOpen() || grid->currentRow() < 0)
        return std::nullopt;
    return grid->currentValue(field).toString();
}
