#include "app/MainUt.h"

#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"

#include <QCloseEvent>
#include <QLabel>
#include <QStatusBar>

TMainFm::TMainFm(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainFm"));
    StatusPanel1 = new QLabel(this);
    StatusPanel2 = new QLabel(this);
    StatusPanel3 = new QLabel(this);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel2->setObjectName(QStringLiteral("StatusPanel2"));
    StatusPanel3->setObjectName(QStringLiteral("StatusPanel3"));
    StatusPanel1->setFixedWidth(200);
    StatusPanel2->setFixedWidth(300);
    StatusPanel3->setFixedWidth(400);
    statusBar()->addWidget(StatusPanel1);
    statusBar()->addWidget(StatusPanel2);
    statusBar()->addWidget(StatusPanel3);
    resize(1024, 700);
}

void TMainFm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        guarded([this] { FormShow(); })();
    }
}

void TMainFm::FormShow()
{
    const Session &session = Session::instance();
    setWindowTitle(session.softname);
    StatusPanel1->setText(session.softname);
    StatusPanel2->setText(session.tel);
    StatusPanel3->setText(session.company);
}

bool TMainFm::confirmExit()
{
    return Platform::instance().question(QStringLiteral("确认要退出吗?"), QStringLiteral("请确认"));
}

void TMainFm::ExitClick()
{
    if (!confirmExit())
        return;
    exiting_ = true;
    close();
}

void TMainFm::closeEvent(QCloseEvent *event)
{
    if (!exiting_ && !confirmExit()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}
