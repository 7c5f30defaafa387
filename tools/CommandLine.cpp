#include "tools/CommandLine.h"

namespace tools {

void CommandLine::number(const QString &option, int *to, int minimum)
{
    valued_.insert(option, [to, minimum](const QString &value) {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n < minimum)
            return false;
        *to = n;
        return true;
    });
}

void CommandLine::number(const QString &option, quint64 *to)
{
    valued_.insert(option, [to](const QString &value) {
        bool ok = false;
        *to = value.toULongLong(&ok);
        return ok;
    });
}

void CommandLine::text(const QString &option, QString *to)
{
    valued_.insert(option, [to](const QString &value) {
        *to = value;
        return true;
    });
}

void CommandLine::flag(const QString &option, bool *to) { flags_.insert(option, to); }

bool CommandLine::parse(const QStringList &args, QString *target) const
{
    target->clear();
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (const auto flag = flags_.constFind(a); flag != flags_.cend()) {
            **flag = true;
        } else if (const auto valued = valued_.constFind(a); valued != valued_.cend()) {
            if (i + 1 >= args.size() || !(*valued)(args[++i]))
                return false;
        } else if (a.startsWith(QLatin1String("--")) || !target->isEmpty()) {
            return false;
        } else {
            *target = a;
        }
    }
    return !target->isEmpty();
}

} // namespace tools
