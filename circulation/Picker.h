#pragma once

#include <QString>
#include <optional>

class DataGrid;
class QLineEdit;
class QPushButton;
class QWidget;

// The shape both pickers share: two search boxes over a list and the buttons 选择 and 返回.
struct PickerParts {
    QLineEdit *nameBox;
    QLineEdit *numberBox;
    DataGrid *grid;
    QPushButton *choose;
    QPushButton *back;
};
PickerParts buildPicker(QWidget *window, const QString &nameCaption, const QString &numberCaption);

// The value of `field` in the grid's current row; nullopt when the list has no row to hand back.
std::optional<QString> chosenValue(const DataGrid *grid, const QString &field);
