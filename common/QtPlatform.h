#pragma once

#include "common/Platform.h"

class QWidget;

// The real desktop: Qt's dialogs, modal over the window in front.
class QtPlatform : public Platform {
public:
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

private:
    static QWidget *front();
};
