#pragma once

#include "catalogue/CatalogueForm.h"

class QGroupBox;

// 添加图书: fast serial entry of books; after a save the number stays for the next one, and the
// number can count on from a prefix and a zero-padded start value.
class TBkAddFm : public CatalogueIntake {
    Q_OBJECT
public:
    explicit TBkAddFm(QWidget *parent = nullptr);

    QLineEdit *Edit1;      // 图书编号
    QLineEdit *Edit12;     // 电子文档
    QCheckBox *CheckBox2;  // 自动编号
    QGroupBox *GroupBox2;  // 自动编号
    QLineEdit *Edit14;     // 前缀
    QLineEdit *Edit15;     // 起始值
    QPushButton *Button3;  // 确定

    void FormShow() override;
    void CheckBox2Click();
    void Button3Click();
    void Edit12Click();

protected:
    db::Fields rowFields() const override;
    void afterSave() override;

private:
    QString next_;  // the counter in decimal digits: it counts on past any integer width
    QString prefix_;
    qsizetype width_ = 0;
};
