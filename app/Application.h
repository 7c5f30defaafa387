#pragma once

#include <QApplication>

// The application's event dispatch: an exception that escapes a handler ends in the general
// error display, and the program goes on.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override;
};
