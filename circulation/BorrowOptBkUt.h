#pragma once

#include "circulation/Picker.h"

// 选择: the item picker of the borrowing desk. Lists items of the desk's item kind when it opened,
// searches by title, initials or number, and hands the chosen item's key to the desk's item lookup.
class TBorrowOptBkFm : public PickerWindow {
    Q_OBJECT
public:
    explicit TBorrowOptBkFm(TBkBorrowFm *desk);

protected:
    QString handedColumn(const TBkBorrowFm &desk) const override;
    void handBack(TBkBorrowFm &desk, const QString &key) const override;
};
