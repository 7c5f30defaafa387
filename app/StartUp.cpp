#include "app/StartUp.h"

#include "app/Application.h"
#include "app/LoginUt.h"
#include "app/MainUt.h"
#include "app/SingleInstance.h"
#include "common/ProgramFolder.h"
#include "common/QtPlatform.h"

#include <QIcon>

static void initResources() { Q_INIT_RESOURCE(library); }

static void restoreWindow(TLoginFm &login)
{
    QWidget *window = login.mainWindow() ? static_cast<QWidget *>(login.mainWindow()) : &login;
    if (window->isVisible()) {
        window->showNormal();
        window->raise();
        window->activateWindow();
    }
}

static QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1/library.png").arg(size), QSize(size, size));
    return icon;
}

void setUpApplication(QApplication &application)
{
    initResources();
    QApplication::setApplicationName(ApplicationTitle);
    QApplication::setWindowIcon(programIcon());
    // The launcher's file name, so that a desktop shows the launcher's icon for the windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("library"));
    installChineseTranslation(application);
    // The login window hides before the main window shows: only programEnded ends the run.
    QApplication::setQuitOnLastWindowClosed(false);
}

int runProgram(int argc, char **argv)
{
    Application app(argc, argv);
    setUpApplication(app);

    TLoginFm login;
    QObject::connect(&login, &TLoginFm::programEnded, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    if (!login.connected()) {
        // The database settings are open in front; their closing ends the run, and the new
        // settings take effect at the next start.
        app.exec();
        return 1;
    }

    SingleInstance instance(ApplicationTitle);
    if (instance.activateRunning())
        return 0;
    instance.listen([&login] { restoreWindow(login); });

    login.show();
    return app.exec();
}
