#pragma once

#include "common/LibraryWindow.h"

#include <QPointer>
#include <memory>

class IniFile;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TMainFm;
class TSetDataFm;
namespace db {
class Database;
}

// 系统登录: owns de.ini, the shared connection and the Session for the whole run.
class TLoginFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TLoginFm(QWidget *parent = nullptr);
    ~TLoginFm() override;

    // False when the connection could not be opened at creation: the database settings are
    // open in front, and the program ends when they close.
    bool connected() const { return database_ != nullptr; }
    TMainFm *mainWindow() const { return mainFm_.get(); }

    QLabel *Label1, *Label2, *Label3;
    QComboBox *ComboBox1;
    QLineEdit *Edit1;
    QPushButton *Button1, *Button2;

    void FormCreate();
    void FormShow();
    void Button1Click();
    void Button2Click();

signals:
    // 取消, closing this window, or the main window's end: the start-up ends the event loop.
    void programEnded();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    // Why the connection of de.ini cannot be opened (which file or server, and the reason);
    // empty once it is open.
    QString openConnection();
    void fillAdministrators();
    void copyLibrarySettings();
    void endProgram();

    std::unique_ptr<IniFile> ini_;
    std::unique_ptr<db::Database> database_;
    std::unique_ptr<TMainFm> mainFm_;
    QPointer<TSetDataFm> settings_;
};
