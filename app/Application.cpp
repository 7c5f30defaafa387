#include "app/Application.h"

#include "common/ErrorDisplay.h"

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        showError(e);
    } catch (...) {
        showUnknownError();
    }
    return false;
}
