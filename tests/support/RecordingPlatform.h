#pragma once

#include "common/Platform.h"

#include <QList>
#include <QPointer>
#include <QWidget>
#include <QQueue>
#include <QString>
#include <QVariant>

// The platform double: records every message, answers questions and dialogs from a script.
// A question nobody scripted is recorded in `unanswered` and answered No / cancelled.
class RecordingPlatform : public Platform {
public:
    struct Event {
        QString kind; // message, error, question, input, openFile, saveFile, folder, printer, beep, open, start
        QString text;
        QString title; // the title, or a started program's arguments
        QString detail = {}; // a save dialog's suggested name, an open or folder dialog's folder
        QString filter = {}; // a file dialog's filter
    };

    // Installs a fresh double for the current test; the pointer stays valid until the next call.
    static RecordingPlatform &install();

    QList<Event> events;
    QQueue<QVariant> answers; // bool for questions, QString (or invalid for cancel) for dialogs
    QStringList unanswered;
    QStringList installedPrograms; // what startProgram may find
    QList<QPointer<QWidget>> windows; // every child window opened, in order (null once closed)
    // The fixed clock of every test; a test moves it with setToday / setNow.
    QDateTime clock{QDate(2025, 6, 16), QTime(10, 30)};
    void setToday(const QDate &day) { clock.setDate(day); }

    // The last window opened of class W that is still open, or nullptr.
    template <class W>
    W *lastWindow() const
    {
        for (auto it = windows.crbegin(); it != windows.crend(); ++it)
            if (auto *w = qobject_cast<W *>(it->data()))
                return w;
        return nullptr;
    }

    QStringList messages() const;   // texts of message and error boxes, in order
    QStringList errors() const;
    QStringList texts(const QString &kind) const;
    void clear() { events.clear(); unanswered.clear(); }

    void message(const QString &text, const QString &title) override;
    void error(const QString &text) override;
    bool question(const QString &text, const QString &title) override;
    std::optional<QString> inputBox(const QString &title, const QString &prompt, const QString &initial,
                                    bool password) override;
    QString openFileName(const QString &title, const QString &filter, const QString &folder) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &suggested) override;
    QString folderName(const QString &title, const QString &folder) override;
    std::optional<QString> choosePrinter(const QString &current) override;
    void beep() override;
    bool openDocument(const QString &pathOrUrl) override;
    QString installedProgram(const QStringList &candidates) override;
    bool startProgram(const QStringList &candidates, const QStringList &arguments) override;
    void openWindow(QWidget *window, std::function<void()> closed) override;
    QDateTime now() const override { return clock; }

private:
    std::optional<QVariant> nextAnswer(const QString &what);
};
