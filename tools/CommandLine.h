#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

namespace tools {

// The arguments of a command-line tool: one TARGET (the library) and the options it knows, each
// with a value (--books 1000) or alone (--repair). Anything else refuses the whole line.
class CommandLine {
public:
    // A whole number of at least `minimum`.
    void number(const QString &option, int *to, int minimum = 0);
    void number(const QString &option, quint64 *to);
    void text(const QString &option, QString *to);
    void flag(const QString &option, bool *to);

    // False for an unknown option, a missing or bad value, a second target or none.
    bool parse(const QStringList &args, QString *target) const;

private:
    // Takes the option's value; false when it is not one.
    QHash<QString, std::function<bool(const QString &value)>> valued_;
    QHash<QString, bool *> flags_;
};

} // namespace tools
