#include "common/ErrorDisplay.h"

#include "common/Platform.h"
#include "db/DbError.h"

#include <new>

void showError(const std::exception &e)
{
    if (const auto *dbError = dynamic_cast<const db::DbError *>(&e))
        Platform::instance().error(dbError->text());
    else if (dynamic_cast<const std::bad_alloc *>(&e))
        Platform::instance().error(QStringLiteral("内存不足"));
    else
        Platform::instance().error(QString::fromUtf8(e.what()));
}

void showUnknownError() { Platform::instance().error(QStringLiteral("未知错误")); }
