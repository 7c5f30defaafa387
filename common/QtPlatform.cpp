#include "common/QtPlatform.h"

#include "common/ScanBurst.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPointer>
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

namespace {

// While a message box is open, watches the keys that reach it: a scan that arrives meanwhile is
// typed into the box that had the focus once the message box has closed, where it is processed as
// usual. A message is closed by the scan; a question is not answered by it and stays open.
class ScanCatcher : public QObject {
public:
    enum class OnScan { Close, KeepOpen };
    ScanCatcher(QMessageBox *box, QWidget *focus, OnScan onScan) : box_(box), focus_(focus), onScan_(onScan)
    {
        clock_.start();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || !insideBox(watched))
            return false;
        const auto *press = static_cast<QKeyEvent *>(event);
        switch (burst_.press({press->key(), press->modifiers(), press->text()}, clock_.elapsed())) {
        case ScanBurst::Verdict::Pass:
            return false;
        case ScanBurst::Verdict::Held:
            return true;
        case ScanBurst::Verdict::Scan:
            scans_.append(burst_.keys());
            scans_.append({Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")});
            if (onScan_ == OnScan::Close)
                box_->done(QMessageBox::Ok);
            return true;
        }
        return false;
    }

    // Types the scan into the box that had the focus, after the code that showed the message has
    // returned: as if the scanner had typed there.
    void deliver() const
    {
        if (!focus_)
            return;
        for (const ScanBurst::Key &k : scans_) {
            QCoreApplication::postEvent(focus_, new QKeyEvent(QEvent::KeyPress, k.key, k.modifiers, k.text));
            QCoreApplication::postEvent(focus_, new QKeyEvent(QEvent::KeyRelease, k.key, k.modifiers, k.text));
        }
    }

private:
    bool insideBox(QObject *watched) const
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        return widget && (widget == box_ || box_->isAncestorOf(widget));
    }

    QMessageBox *box_;
    QPointer<QWidget> focus_;
    QElapsedTimer clock_;
    OnScan onScan_;
    ScanBurst burst_;
    QList<ScanBurst::Key> scans_; // every scan caught, each with its Enter
};

// Shows the box until it closes, with a ScanCatcher over it; the box's answer.
int runCatchingScans(QMessageBox &box, ScanCatcher::OnScan onScan)
{
    ScanCatcher catcher(&box, QApplication::focusWidget(), onScan);
    qApp->installEventFilter(&catcher);
    const int answer = box.exec();
    qApp->removeEventFilter(&catcher);
    catcher.deliver();
    return answer;
}

} // namespace

void QtPlatform::showMessage(int icon, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Icon(icon), title, text, QMessageBox::Ok, front());
    runCatchingScans(box, ScanCatcher::OnScan::Close);
}

void QtPlatform::message(const QString &text, const QString &title)
{
    showMessage(QMessageBox::Information, titleOr(title), text);
}

void QtPlatform::error(const QString &text)
{
    showMessage(QMessageBox::Critical, titleOr({}), text);
}

bool QtPlatform::question(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Question, titleOr(title), text, QMessageBox::Yes | QMessageBox::No, front());
    box.setDefaultButton(QMessageBox::No);
    return runCatchingScans(box, ScanCatcher::OnScan::KeepOpen) == QMessageBox::Yes;
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
