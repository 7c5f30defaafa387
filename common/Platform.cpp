#include "common/Platform.h"

#include "common/QtPlatform.h"

#include <QWidget>

static std::unique_ptr<Platform> &slot()
{
    static std::unique_ptr<Platform> platform = std::make_unique<QtPlatform>();
    return platform;
}

Platform &Platform::instance() { return *slot(); }

std::unique_ptr<Platform> Platform::install(std::unique_ptr<Platform> platform)
{
    std::swap(slot(), platform);
    return platform;
}

void Platform::openWindow(QWidget *window, std::function<void()> closed)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowFlag(Qt::Window);
    window->setWindowModality(Qt::ApplicationModal);
    if (closed)
        QObject::connect(window, &QObject::destroyed, window, [closed = std::move(closed)] { closed(); });
    window->show();
}
