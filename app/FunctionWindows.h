#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

// The function windows the main window opens, by class name. A window is created on each
// opening, shown modally and destroyed when it closes, so every opening starts fresh.
class FunctionWindows {
public:
    using Factory = std::function<QWidget *(QWidget *owner)>;

    // The factory of a window, or an empty one while the window is not part of the program.
    static Factory factory(const QString &windowClass);

    // The class names of every window that is part of the program.
    static QStringList registered();

    // Creates the window and shows it modally (without blocking the caller); nullptr when the
    // window is not available.
    static QWidget *open(const QString &windowClass, QWidget *owner);
};
