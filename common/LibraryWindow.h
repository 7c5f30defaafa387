#pragma once

#include <QDialog>
#include <initializer_list>

class QHBoxLayout;
class QPushButton;

// Ties every input box of `window` to its caption, so that a screen reader announces the
// caption ("服务器名/ip地址:") and not the title of the group around the box: the field of each
// form-layout row becomes its label's buddy, and every label's buddy takes the label's text as
// its accessible name. A box that was given an accessible name of its own keeps it. Safe to
// call again after controls were added.
void labelInputs(QWidget *window);

// A push button known by its control name (its objectName, as the handlers and tests name it),
// that does not take the Enter of the boxes unless the window makes it the default button.
QPushButton *namedButton(const QString &name, const QString &caption, QWidget *parent);
// The row of a window's buttons, at its right.
QHBoxLayout *buttonRow(std::initializer_list<QWidget *> buttons);

// The base of the program's dialog windows. The inputs are tied to their captions whenever the
// window is shown; a window that builds its controls in its constructor needs nothing more.
class LibraryWindow : public QDialog {
    Q_OBJECT
public:
    explicit LibraryWindow(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

protected:
    void showEvent(QShowEvent *event) override;
};
