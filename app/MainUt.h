#pragma once

#include <QMainWindow>

class QLabel;

// The main window: menus, tool bar, background picture and status bar.
class TMainFm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainFm(QWidget *parent = nullptr);

    QLabel *StatusPanel1, *StatusPanel2, *StatusPanel3;

    void FormShow();
    // "退    出": asks, and ends the program on Yes.
    void ExitClick();

signals:
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool confirmExit();

    bool shown_ = false;
    bool exiting_ = false;
};
