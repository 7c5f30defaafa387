#pragma once

#include "common/Platform.h"

class QCoreApplication;
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
    // A message box whose OK a scanner's Enter does not take: see ScanBurst.
    static void showMessage(int icon, const QString &title, const QString &text);
};

// Qt's own texts in Chinese (message-box buttons 确定/是/否/取消, the print and file dialogs,
// the calendar of the date pickers): loads Qt's Chinese translation from Qt's translations
// folder and makes Chinese the default locale. False when the translation is not installed
// (Debian: qt6-translations-l10n); the program then runs with Qt's English texts.
bool installChineseTranslation(QCoreApplication &application);
