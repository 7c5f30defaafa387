#pragma once

#include "circulation/Picker.h"

// 选择: the reader picker of the borrowing desk. Lists readers, searches by name, initials or
// number, and hands the chosen reader's number to the desk's reader check.
class TBorrowOptRdFm : public PickerWindow {
    Q_OBJECT
public:
    explicit TBorrowOptRdFm(TBkBorrowFm *desk);

protected:
    QString handedColumn(const TBkBorrowFm &desk) const override;
    void handBack(TBkBorrowFm &desk, const QString &number) const override;
};
