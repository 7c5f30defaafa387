#pragma once

#include "common/LibraryWindow.h"

class QLabel;
class QPushButton;
class Session;

// 关于: the installation's texts and the database in use.
class TAboutFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TAboutFm(QWidget *parent = nullptr);

    QLabel *ProductName, *Comments, *TelLabel, *WebLabel, *CompanyLabel, *DataBaseLabel;
    QPushButton *OKButton;

    void FormShow();

private:
    static QString databaseInUse(const Session &session);
};
