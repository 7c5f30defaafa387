#include "common/Platform.h"

#include "common/QtPlatform.h"

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
