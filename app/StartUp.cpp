#include "app/StartUp.h"

#include "app/Application.h"
#include "app/LoginUt.h"
#include "app/MainUt.h"
#include "common/ProgramFolder.h"
#include "app/SingleInstance.h"


static void restoreWindow(TLoginFm &login)
{
    QWidget *window = login.mainWindow() ? static_cast<QWidget *>(login.mainWindow()) : &login;
    if (window->isVisible()) {
        window->showNormal();
        window->raise();
        window->activateWindow();
    }
}

int runProgram(int argc, char **argv)
{
    Application app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    // The login window hides before the main window shows: only programEnded ends the run.
    QApplication::setQuitOnLastWindowClosed(false);

    TLoginFm login;
    if (!login.connected())
        return 1;

    SingleInstance instance(ApplicationTitle);
    if (instance.activateRunning())
        return 0;
    instance.listen([&login] { restoreWindow(login); });

    QObject::connect(&login, &TLoginFm::programEnded, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    login.show();
    return app.exec();
}
