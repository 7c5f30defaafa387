#include "common/QtPlatform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTranslator>
#include <QUrl>

QWidget *QtPlatform::front()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

static QString titleOr(const QString &title)
{
    return title.isEmpty() ? QApplication::applicationDisplayName() : title;
}

void QtPlatform::message(const QString &text, const QString &title)
{
    QMessageBox::information(front(), titleOr(title), text, QMessageBox::Ok);
}

void QtPlatform::error(const QString &text)
{
    QMessageBox::critical(front(), titleOr({}), text, QMessageBox::Ok);
}

bool QtPlatform::question(const QString &text, const QString &title)
{
    return QMessageBox::question(front(), titleOr(title), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

std::optional<QString> QtPlatform::inputBox(const QString &title, const QString &prompt, const QString &initial,
                                            bool password)
{
    bool ok = false;
    const QString text = QInputDialog::getText(front(), titleOr(title), prompt,
                                               password ? QLineEdit::Password : QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString QtPlatform::openFileName(const QString &title, const QString &filter, const QString &folder)
{
    return QFileDialog::getOpenFileName(front(), title, folder, filter);
}

QString QtPlatform::saveFileName(const QString &title, const QString &filter, const QString &suggested)
{
    return QFileDialog::getSaveFileName(front(), title, suggested, filter);
}

QString QtPlatform::folderName(const QString &title, const QString &folder)
{
    return QFileDialog::getExistingDirectory(front(), title, folder);
}

std::optional<QString> QtPlatform::choosePrinter(const QString &current)
{
    QPrinter printer;
    if (!current.isEmpty())
        printer.setPrinterName(current);
    QPrintDialog dialog(&printer, front());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return printer.printerName();
}

void QtPlatform::beep() { QApplication::beep(); }

bool QtPlatform::openDocument(const QString &pathOrUrl)
{
    const QUrl url = pathOrUrl.contains(QLatin1String("://")) ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl);
    return QDesktopServices::openUrl(url);
}

QString QtPlatform::installedProgram(const QStringList &candidates)
{
    for (const QString &program : candidates)
        if (!QStandardPaths::findExecutable(program).isEmpty())
            return program;
    return {};
}

bool QtPlatform::startProgram(const QStringList &candidates, const QStringList &arguments)
{
    const QString program = installedProgram(candidates);
    return !program.isEmpty() && QProcess::startDetached(QStandardPaths::findExecutable(program), arguments);
}

bool installChineseTranslation(QCoreApplication &application)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    auto *translator = new QTranslator(&application);
    if (!translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
