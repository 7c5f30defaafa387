#pragma once

#include "circulation/RecordFields.h"
#include "common/LibraryWindow.h"

#include <QVariantHash>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;
namespace circulation {
struct PendingItem;
}

// 借阅: the borrowing desk. A reader is checked (RdSearch), items are looked up one by one
// (bksearch) into the pending list, and 借出 lends them all (Button1Click). Every operation is a
// plain function, so a test or a load run drives the desk without a person.
class TBkBorrowFm : public LibraryWindow {
    Q_OBJECT
public:
    explicit TBkBorrowFm(QWidget *parent = nullptr);

    QGroupBox *GroupBox1;             // 读者信息
    QLabel *Label1;                   // 读者编号, over the reader number box
    QLineEdit *Edit1;                 // reader number
    QLineEdit *Edit3, *Edit4, *Edit5; // the reader kind's 借阅数量限制, 借阅天数, 租金
    QRadioButton *RadioButton1, *RadioButton2; // 图书, 期刊
    QGroupBox *GroupBox2;                      // the item section, captioned by the item kind
    QLabel *Label2;                            // the search column, over the item key box
    QLineEdit *Edit2;                          // item key
    QRadioButton *RadioButton3, *RadioButton4; // 编号, 条形码
    QLineEdit *Edit6;                          // the item's rent
    QTreeWidget *ListView1;                    // pending list
    QPushButton *Button1, *Button2, *Button3, *Button4; // 借出, 取消, 帮助, 退出
    RecordFields readerFields{QStringLiteral("Reader")};
    RecordFields itemFields{QStringLiteral("Item")};

    void FormShow();
    void CleanData();
    void RdSearch();
    void bksearch();
    void Button1Click();
    void Button2Click() { CleanData(); }
    void Button4Click();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void Edit1DblClick();
    void Edit2DblClick();

    // "图书" or "期刊": the table the item lookup reads, and the pickers list.
    const QString &itemKind() const { return itemKind_; }
    // "编号" or "条形码": the column the item key is looked up in.
    const QString &searchColumn() const { return searchColumn_; }
    // Whether the last reader check accepted the reader.
    bool readerAccepted() const { return readerAccepted_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildReaderSection();
    void buildItemSection();
    void setItemKind(QRadioButton *button);
    void setSearchColumn(QRadioButton *button);
    bool readerKindFound(const QVariantHash &reader);
    void appendPending(const QVariantHash &item);
    QString rentForRow() const;
    void warnOverLimit();
    bool alreadyListed(const QString &number) const;
    circulation::PendingItem pendingItem(const QTreeWidgetItem *row) const;
    void scanAgain(QLineEdit *box);

    std::optional<QVariantHash> reader_; // the row the last reader check found
    bool readerAccepted_ = false;
    QString itemKind_;
    QString searchColumn_;
};
