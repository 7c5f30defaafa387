#include "RecordingPlatform.h"

static RecordingPlatform *current = nullptr;

RecordingPlatform &RecordingPlatform::install()
{
    auto platform = std::make_unique<RecordingPlatform>();
    current = platform.get();
    Platform::install(std::move(platform));
    return *current;
}

QStringList RecordingPlatform::messages() const
{
    QStringList out;
    for (const Event &e : events)
        if (e.kind == QLatin1String("message") || e.kind == QLatin1String("error"))
            out.append(e.text);
    return out;
}

QStringList RecordingPlatform::errors() const { return texts(QStringLiteral("error")); }

QStringList RecordingPlatform::texts(const QString &kind) const
{
    QStringList out;
    for (const Event &e : events)
        if (e.kind == kind)
            out.append(e.text);
    return out;
}

std::optional<QVariant> RecordingPlatform::nextAnswer(const QString &what)
{
    if (answers.isEmpty()) {
        unanswered.append(what);
        return std::nullopt;
    }
    return answers.dequeue();
}

void RecordingPlatform::message(const QString &text, const QString &title)
{
    events.append({QStringLiteral("message"), text, title});
}

void RecordingPlatform::error(const QString &text) { events.append({QStringLiteral("error"), text, {}}); }

bool RecordingPlatform::question(const QString &text, const QString &title)
{
    events.append({QStringLiteral("question"), text, title});
    const auto answer = nextAnswer(text);
    return answer && answer->toBool();
}

std::optional<QString> RecordingPlatform::inputBox(const QString &title, const QString &prompt, const QString &,
                                                   bool)
{
    events.append({QStringLiteral("input"), prompt, title});
    const auto answer = nextAnswer(prompt);
    if (!answer || !answer->isValid())
        return std::nullopt;
    return answer->toString();
}

QString RecordingPlatform::openFileName(const QString &title, const QString &filter, const QString &folder)
{
    events.append({QStringLiteral("openFile"), title, {}, folder, filter});
    const auto answer = nextAnswer(title);
    return answer ? answer->toString() : QString();
}

QString RecordingPlatform::saveFileName(const QString &title, const QString &filter, const QString &suggested)
{
    events.append({QStringLiteral("saveFile"), title, {}, suggested, filter});
    const auto answer = nextAnswer(title);
    return answer ? answer->toString() : QString();
}

QString RecordingPlatform::folderName(const QString &title, const QString &folder)
{
    events.append({QStringLiteral("folder"), title, {}, folder});
    const auto answer = nextAnswer(title);
    return answer ? answer->toString() : QString();
}

std::optional<QString> RecordingPlatform::choosePrinter(const QString &current)
{
    events.append({QStringLiteral("printer"), current, {}});
    const auto answer = nextAnswer(QStringLiteral("printer"));
    if (!answer || !answer->isValid())
        return std::nullopt;
    return answer->toString();
}

void RecordingPlatform::beep() { events.append({QStringLiteral("beep"), {}, {}}); }

bool RecordingPlatform::openDocument(const QString &pathOrUrl)
{
    events.append({QStringLiteral("open"), pathOrUrl, {}});
    return true;
}

QString RecordingPlatform::installedProgram(const QStringList &candidates)
{
    for (const QString &program : candidates)
        if (installedPrograms.contains(program))
            return program;
    return {};
}

bool RecordingPlatform::startProgram(const QStringList &candidates, const QStringList &arguments)
{
    for (const QString &program : candidates)
        if (installedPrograms.contains(program)) {
            events.append({QStringLiteral("start"), program, arguments.join(QLatin1Char(' '))});
            return true;
        }
    return false;
}

// Shown like the real one (offscreen in tests, never blocking), and remembered, so a test finds
// the window and drives it.
void RecordingPlatform::openWindow(QWidget *window, std::function<void()> closed)
{
    events.append({QStringLiteral("window"), QString::fromLatin1(window->metaObject()->className()),
                   window->windowTitle()});
    windows.append(window);
    Platform::openWindow(window, std::move(closed));
}
