#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// Everything that talks to the person or the desktop. Windows call these and nothing else;
// the Qt implementation shows real dialogs, tests install a recording double.
class QWidget;

class Platform {
public:
    virtual ~Platform() = default;

    static Platform &instance();
    // Replaces the platform (tests); returns the previous one.
    static std::unique_ptr<Platform> install(std::unique_ptr<Platform> platform);

    // A message box with an OK button; an empty title is the application's title.
    virtual void message(const QString &text, const QString &title = {}) = 0;
    // The general error display: the text of a refused operation.
    virtual void error(const QString &text) = 0;
    // A Yes/No box; true for Yes.
    virtual bool question(const QString &text, const QString &title = {}) = 0;
    // A one-line input box; nullopt when cancelled.
    virtual std::optional<QString> inputBox(const QString &title, const QString &prompt, const QString &initial = {},
                                            bool password = false) = 0;
    // A file-open dialog; empty when cancelled.
    virtual QString openFileName(const QString &title, const QString &filter, const QString &folder = {}) = 0;
    // A file-save dialog; empty when cancelled.
    virtual QString saveFileName(const QString &title, const QString &filter, const QString &suggested = {}) = 0;
    // A folder chooser; empty when cancelled.
    virtual QString folderName(const QString &title, const QString &folder = {}) = 0;
    // The print dialog; the chosen printer's name, nullopt when cancelled.
    virtual std::optional<QString> choosePrinter(const QString &current) = 0;
    virtual void beep() = 0;
    // Opens a file or address with the desktop's program for it.
    virtual bool openDocument(const QString &pathOrUrl) = 0;
    // The first of the programs that is installed; empty when none is.
    virtual QString installedProgram(const QStringList &candidates) = 0;
    // Starts the first of the programs that is installed; false when none is.
    virtual bool startProgram(const QStringList &candidates, const QStringList &arguments = {}) = 0;

    // Shows a child window (an edit window over a list, a picker, a report preview) modal in
    // front of the others without blocking the caller. The window is destroyed when it closes,
    // and `closed` runs then, so the opener can refresh its list.
    virtual void openWindow(QWidget *window, std::function<void()> closed = {});

    // The one clock of the program: due dates, days out, validity and printed dates all come
    // from here, so that tests can fix the day.
    virtual QDate today() const { return now().date(); }
    virtual QDateTime now() const { return QDateTime::currentDateTime(); }
};
