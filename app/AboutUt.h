#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// 关于: the installation's texts and the database in use.
class TAboutFm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutFm(QWidget *parent = nullptr);

    QLabel *ProductName, *Comments, *TelLabel, *WebLabel, *CompanyLabel, *DataBaseLabel;
    QPushButton *OKButton;

    void FormShow();
};
