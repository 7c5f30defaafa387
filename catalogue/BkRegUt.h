#pragma once

#include "components/DateRangeList.h"

class QRadioButton;

// 资料入库登记信息统计: the books or the periodicals taken into stock between two dates, with
// their totals; prints the register of the kind chosen and opens the intake statistics.
class TBkRegFm : public DateRangeListWindow {
    Q_OBJECT
public:
    explicit TBkRegFm(QWidget *parent = nullptr);

    QRadioButton *RadioButton1; // 图书
    QRadioButton *RadioButton2; // 期刊

    // The rows of 图书 or 期刊 whose 入库时间 lies from `from` to `to`, both included.
    static db::Sql intake(bool periodicals, const QDate &from, const QDate &to);

    void RadioButtonClick();
    void ToolButton4Click();

private:
    bool periodicals() const;
};
