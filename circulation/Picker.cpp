#include "circulation/Picker.h"

#include "app/Session.h"
#include "circulation/BkBorrowUt.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using db::Sql;

PickerWindow::PickerWindow(TBkBorrowFm *desk, PickerConfig config)
    : LibraryWindow(desk), config_(std::move(config)), desk_(desk)
{
    setObjectName(config_.objectName);
    setWindowTitle(QStringLiteral("选择"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    DBGrid1 = new DataGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumns(config_.columns);
    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("选择(&S)"), this);
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("返回(&R)"), this);

    auto *form = new QFormLayout;
    form->addRow(config_.nameCaption, Edit1);
    form->addRow(config_.numberCaption, Edit2);
    auto *buttons = buttonRow({Button1, Button2});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);
    resize(760, 480);

    connect(Edit1, &QLineEdit::returnPressed, this, guarded([this] { Edit1KeyPress(); }));
    connect(Edit2, &QLineEdit::returnPressed, this, guarded([this] { Edit2KeyPress(); }));
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
    connect(DBGrid1, &DataGrid::rowActivated, this, guarded([this] { Button1Click(); }));
}

void PickerWindow::list(const Sql &condition)
{
    DBGrid1->open(sharedDb(), config_.listing + condition, config_.keyTable);
}

void PickerWindow::FormShow()
{
    Edit1->clear();
    Edit2->clear();
    DBGrid1->open(sharedDb(), Sql(config_.listing).limit(200), config_.keyTable);
}

void PickerWindow::Edit1KeyPress()
{
    list(Sql::fixed(QStringLiteral(" where %1 like ").arg(config_.nameColumn)) + Sql::like(Edit1->text())
         + Sql(" or py like ") + Sql::like(Edit1->text()));
}

void PickerWindow::Edit2KeyPress()
{
    list(Sql::fixed(QStringLiteral(" where %1 like ").arg(config_.numberColumn)) + Sql::like(Edit2->text()));
}

void PickerWindow::Button1Click()
{
    const std::optional<QString> value = chosenValue(DBGrid1, desk_ ? handedColumn(*desk_) : config_.numberColumn);
    if (!value) {
        Platform::instance().beep(); // nothing listed: nothing to hand back
        return;
    }
    QPointer<TBkBorrowFm> desk = desk_;
    close();
    if (desk)
        handBack(*desk, *value);
}

std::optional<QString> chosenValue(const DataGrid *grid, const QString &field)
{
    if (!grid->isOpen() || grid->currentRow() < 0)
        return std::nullopt;
    return grid->currentValue(field).toString();
}
