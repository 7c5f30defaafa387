#include "circulation/BkBorrowUt.h"

#include "app/Session.h"
#include "circulation/BorrowOptBkUt.h"
#include "circulation/BorrowOptRdUt.h"
#include "circulation/Circulation.h"
#include "circulation/Loans.h"
#include "common/ErrorDisplay.h"
#include "common/LibraryWindow.h"
#include "common/Platform.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Transaction.h"

#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

using namespace circulation;
using db::Sql;

namespace {

// The pending list's columns.
enum PendingColumn { NumberColumn, BarcodeColumn, TitleColumn, KindColumn, DaysColumn, RentColumn };

// The pending rows in the order every desk takes items in (kind, then number): see holdReader.
QList<QTreeWidgetItem *> inLockOrder(QTreeWidget *list)
{
    QList<QTreeWidgetItem *> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i);
    std::stable_sort(rows.begin(), rows.end(), [](const QTreeWidgetItem *a, const QTreeWidgetItem *b) {
        return std::pair(a->text(KindColumn), a->text(NumberColumn)) < std::pair(b->text(KindColumn), b->text(NumberColumn));
    });
    return rows;
}

QLabel *boldLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// The key box of a section: its bold caption, the box and the hint that Enter looks it up.
QHBoxLayout *keyRow(QLabel *caption, QLineEdit *box)
{
    caption->setBuddy(box);
    auto *row = new QHBoxLayout;
    row->addWidget(caption);
    row->addWidget(box, 1);
    row->addWidget(new QLabel(QStringLiteral("[回车]"), box->parentWidget()));
    return row;
}


QString textOf(const QVariantHash &row, const QString &column) { return row.value(column).toString(); }

} // namespace

TBkBorrowFm::TBkBorrowFm(QWidget *parent) : LibraryWindow(parent)
{
    setObjectName(QStringLiteral("BkBorrowFm"));
    setWindowTitle(QStringLiteral("借阅- 首先查询确定读者身份,然后确定预借的图书信息.被借物信息出现在下面列表后点击借出,完成操作."));

    RadioButton1 = new QRadioButton(QStringLiteral("图书"), this);
    RadioButton2 = new QRadioButton(QStringLiteral("期刊"), this);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton1->setChecked(true);
    auto *kinds = new QHBoxLayout;
    kinds->addWidget(RadioButton1);
    kinds->addWidget(RadioButton2);
    kinds->addStretch();

    buildReaderSection();
    buildItemSection();

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setHeaderLabels({QStringLiteral("编号"), QStringLiteral("条形码"), QStringLiteral("名称"),
                                QStringLiteral("类别"), QStringLiteral("天数"), QStringLiteral("租金")});
    ListView1->setRootIsDecorated(false);
    ListView1->setAccessibleName(QStringLiteral("借阅清单"));

    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("借出"), this);
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("取消"), this);
    Button3 = namedButton(QStringLiteral("Button3"), QStringLiteral("帮助"), this);
    Button4 = namedButton(QStringLiteral("Button4"), QStringLiteral("退出"), this);
    auto *buttons = buttonRow({Button1, Button2, Button3, Button4});

    auto *sections = new QHBoxLayout;
    sections->addWidget(GroupBox1, 1);
    sections->addWidget(GroupBox2, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(kinds);
    layout->addLayout(sections);
    layout->addWidget(ListView1, 1);
    layout->addLayout(buttons);

    // The order in which the desk is worked: reader, item kind, item, search column, list, buttons.
    QWidget *order[] = {Edit1, RadioButton1, RadioButton2, Edit2, RadioButton3, RadioButton4, ListView1,
                        Button1, Button2, Button3, Button4};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Edit1, &QLineEdit::returnPressed, this, guarded([this] { RdSearch(); }));
    connect(Edit2, &QLineEdit::returnPressed, this, guarded([this] { bksearch(); }));
    for (QLineEdit *box : {Edit1, Edit2}) {
        selectAllOnClick(box);
        box->installEventFilter(this); // a double click opens the picker
    }
    connect(RadioButton1, &QRadioButton::clicked, this, guarded([this] { RadioButton1Click(); }));
    connect(RadioButton2, &QRadioButton::clicked, this, guarded([this] { RadioButton2Click(); }));
    connect(RadioButton3, &QRadioButton::clicked, this, guarded([this] { RadioButton3Click(); }));
    connect(RadioButton4, &QRadioButton::clicked, this, guarded([this] { RadioButton4Click(); }));
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
    connect(Button4, &QPushButton::clicked, this, guarded([this] { Button4Click(); }));

    setItemKind(RadioButton1);
    setSearchColumn(RadioButton3);
    FormShow();
}

void TBkBorrowFm::buildReaderSection()
{
    GroupBox1 = new QGroupBox(QStringLiteral("读者信息"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Label1 = boldLabel(QStringLiteral("读者编号"), GroupBox1);

    auto *form = new QFormLayout;
    readerFields.add(form, QStringLiteral("读者编号"));
    readerFields.add(form, QStringLiteral("读者姓名"));
    readerFields.add(form, QStringLiteral("性别"), QStringLiteral("读者性别"));
    readerFields.add(form, QStringLiteral("类别"), QStringLiteral("读者类别"));
    readerFields.add(form, QStringLiteral("未还数量"));
    readerFields.add(form, QStringLiteral("累计借阅次数"));
    readerFields.add(form, QStringLiteral("卡内金额"));
    readerFields.add(form, QStringLiteral("有效期"));
    Edit4 = readOnlyBox(GroupBox1, QStringLiteral("Edit4"));
    Edit3 = readOnlyBox(GroupBox1, QStringLiteral("Edit3"));
    Edit5 = readOnlyBox(GroupBox1, QStringLiteral("Edit5"));
    form->addRow(QStringLiteral("借阅天数"), Edit4);
    form->addRow(QStringLiteral("借阅数量限制"), Edit3);
    form->addRow(QStringLiteral("租金"), Edit5);

    auto *layout = new QVBoxLayout(GroupBox1);
    layout->addLayout(keyRow(Label1, Edit1));
    layout->addLayout(form);
}

void TBkBorrowFm::buildItemSection()
{
    GroupBox2 = new QGroupBox(this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    Edit2 = new QLineEdit(GroupBox2);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Label2 = boldLabel({}, GroupBox2);
    RadioButton3 = new QRadioButton(QStringLiteral("编号"), GroupBox2);
    RadioButton4 = new QRadioButton(QStringLiteral("条形码"), GroupBox2);
    RadioButton3->setObjectName(QStringLiteral("RadioButton3"));
    RadioButton4->setObjectName(QStringLiteral("RadioButton4"));
    RadioButton3->setChecked(true);
    auto *columns = new QHBoxLayout;
    columns->addWidget(RadioButton3);
    columns->addWidget(RadioButton4);
    columns->addStretch();

    auto *form = new QFormLayout;
    for (const char *column : {"编号", "名称", "条形码", "分类", "数量", "存放位置", "出版社", "价格"})
        itemFields.add(form, QString::fromUtf8(column));
    Edit6 = readOnlyBox(GroupBox2, QStringLiteral("Edit6"));
    form->addRow(QStringLiteral("租金"), Edit6);
    itemFields.add(form, QStringLiteral("租金级别"));

    auto *layout = new QVBoxLayout(GroupBox2);
    layout->addLayout(keyRow(Label2, Edit2));
    layout->addLayout(columns);
    layout->addLayout(form);
}

void TBkBorrowFm::FormShow()
{
    CleanData();
    const Session &session = Session::instance();
    readerFields.setShown(QStringLiteral("卡内金额"), session.rentEnabled);
    readerFields.setShown(QStringLiteral("有效期"), session.readerValidity);
    const bool readerRent = session.rentEnabled && session.readerRent;
    const bool itemRent = session.rentEnabled && !session.readerRent;
    showWithCaption(Edit5, readerRent);
    showWithCaption(Edit6, itemRent);
    itemFields.setShown(QStringLiteral("租金级别"), itemRent);
}

void TBkBorrowFm::CleanData()
{
    ListView1->clear();
    reader_.reset();
    readerAccepted_ = false;
    readerFields.clear();
    itemFields.clear();
    for (QLineEdit *box : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6})
        box->clear();
    GroupBox2->setEnabled(false);
    Edit1->setFocus();
}

void TBkBorrowFm::scanAgain(QLineEdit *box)
{
    box->setFocus();
    box->selectAll();
}

void TBkBorrowFm::RdSearch()
{
    GroupBox2->setEnabled(false);
    readerAccepted_ = false;
    db::Database &db = sharedDb();
    reader_ = firstRow(db, selectRow(db, QStringLiteral("读者库")) + Sql(" where 读者编号=") + Sql::text(Edit1->text()));
    if (!reader_) {
        readerFields.clear();
        scanAgain(Edit1);
        refuse(QStringLiteral("没有该编号的读者资料,请检查输入的是否正确!"));
        return;
    }
    readerFields.show(*reader_);
    const QDate validUntil = reader_->value(QStringLiteral("有效期")).toDate();
    if (Session::instance().readerValidity && validUntil.isValid() && validUntil < Platform::instance().today()) {
        scanAgain(Edit1);
        refuse(QStringLiteral("该读者有效期是: ") + shortDate(validUntil) + QStringLiteral(" ,已经超期,不能借阅."));
        return;
    }
    if (!readerKindFound(*reader_))
        return;
    readerAccepted_ = true;
    GroupBox2->setEnabled(true);
    scanAgain(Edit2);
}

// The reader's kind gives the loan limit, the loan period and the reader-kind rent.
bool TBkBorrowFm::readerKindFound(const QVariantHash &reader)
{
    const auto kind = firstRow(sharedDb(), Sql("select * from 读者类别 where 类别名=") + Sql::text(textOf(reader, QStringLiteral("类别"))));
    if (!kind) {
        scanAgain(Edit1);
        refuse(QStringLiteral("读者类别中没有该读者类别,请先去读者类别中设置好对应的类别及其参数"));
        return false;
    }
    Edit3->setText(plainNumber(kind->value(QStringLiteral("借阅数量限制"))));
    Edit4->setText(plainNumber(kind->value(QStringLiteral("借阅天数"))));
    Edit5->setText(plainNumber(kind->value(QStringLiteral("租金"))));
    return true;
}

void TBkBorrowFm::bksearch()
{
    if (!GroupBox2->isEnabled())
        return; // no reader accepted: the item section is closed
    db::Database &db = sharedDb();
    const auto item = firstRow(db, selectRow(db, itemKind_) + Sql::fixed(QStringLiteral(" where %1=").arg(searchColumn_))
                                       + Sql::text(Edit2->text()));
    if (!item) {
        itemFields.clear();
        Edit6->clear();
        scanAgain(Edit2);
        refuse(QStringLiteral("没有找到该") + itemKind_ + QStringLiteral("的数据,请重新输入."));
        return;
    }
    itemFields.show(*item);
    // Selected after every refusal too, so that the next scan replaces the code.
    if (item->value(QStringLiteral("数量")).toLongLong() <= 0) {
        scanAgain(Edit2);
        refuse(QStringLiteral("数量不足."));
        return;
    }
    QString rent = QStringLiteral("0");
    const QString level = textOf(*item, QStringLiteral("租金级别"));
    if (!level.isEmpty())
        if (const auto found = firstRow(db, Sql("select * from 租金级别 where 名称=") + Sql::text(level)))
            rent = plainNumber(found->value(QStringLiteral("租金")).value<db::Money>());
    Edit6->setText(rent);
    if (alreadyListed(textOf(*item, QStringLiteral("编号")))) {
        scanAgain(Edit2);
        refuse(QStringLiteral("已经重复添加过了."));
        return;
    }
    appendPending(*item);
    scanAgain(Edit2);
    warnOverLimit();
}

bool TBkBorrowFm::alreadyListed(const QString &number) const
{
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        if (ListView1->topLevelItem(i)->text(NumberColumn) == number)
            return true;
    return false;
}

// The rent per day of a new row, by the library's switches.
QString TBkBorrowFm::rentForRow() const
{
    const Session &session = Session::instance();
    if (!session.rentEnabled)
        return QStringLiteral("0");
    return session.readerRent ? Edit5->text() : Edit6->text();
}

void TBkBorrowFm::appendPending(const QVariantHash &item)
{
    auto *row = new QTreeWidgetItem(ListView1);
    row->setText(NumberColumn, textOf(item, QStringLiteral("编号")));
    row->setText(BarcodeColumn, textOf(item, QStringLiteral("条形码")));
    row->setText(TitleColumn, textOf(item, QStringLiteral("名称")));
    row->setText(KindColumn, itemKind_);
    row->setText(DaysColumn, Edit4->text());
    row->setText(RentColumn, rentForRow());
    ListView1->scrollToItem(row);
}

// Going over the loan limit only warns: the librarian decides.
void TBkBorrowFm::warnOverLimit()
{
    if (!Session::instance().loanLimit || !reader_)
        return;
    const int allowance = wholeNumber(Edit3->text()) - int(reader_->value(QStringLiteral("未还数量")).toLongLong());
    if (ListView1->topLevelItemCount() > allowance)
        Platform::instance().message(QStringLiteral("提示:该读者超过借阅数量!"));
}

PendingItem TBkBorrowFm::pendingItem(const QTreeWidgetItem *row) const
{
    const QString rent = row->text(RentColumn);
    const auto amount = db::Money::parse(rent);
    if (!amount)
        throw db::DbError(QStringLiteral("\"%1\" 不是有效的金额").arg(rent));
    return {row->text(NumberColumn), row->text(BarcodeColumn), row->text(TitleColumn), row->text(KindColumn), *amount};
}

void TBkBorrowFm::Button1Click()
{
    if (ListView1->topLevelItemCount() == 0) {
        CleanData();
        Platform::instance().message(QStringLiteral("借阅完毕!"));
        return;
    }
    if (!readerAccepted_) {
        refuse(reader_ ? QStringLiteral("该读者没有通过借阅检查(有效期或读者类别),不能借出.")
                       : QStringLiteral("没有确定读者身份,请先输入读者编号并回车."));
        return;
    }
    db::Database &db = sharedDb();
    const int loanDays = wholeNumber(Edit4->text());
    const Borrower reader{reader_->value(Identity), textOf(*reader_, QStringLiteral("读者编号")),
                          textOf(*reader_, QStringLiteral("读者姓名"))};
    const QDate today = Platform::instance().today();
    QList<QTreeWidgetItem *> lent;
    QStringList shortOf, notes;
    bool readerMissing = false;
    {
        // All or nothing: after a failure the list is as it was, and 借出 may be pressed again.
        db::Transaction transaction(db);
        holdReader(db, reader.identity);
        for (QTreeWidgetItem *row : inLockOrder(ListView1)) {
            const PendingItem item = pendingItem(row);
            const LendResult result = lend(db, item, reader, today, loanDays, Session::instance().adminname);
            const QString named = item.kind + QLatin1Char(' ') + item.number + QLatin1Char(' ') + item.title;
            if (!result.lent) {
                shortOf << named;
                continue;
            }
            lent << row;
            if (result.itemMissing)
                notes << QStringLiteral("%1 已不在%2中,借阅记录已写入,数量未改.").arg(named, item.kind);
            readerMissing = readerMissing || result.readerMissing;
        }
        transaction.commit();
    }
    qDeleteAll(lent);
    if (readerMissing)
        notes << QStringLiteral("读者 %1 已不在读者库中,借阅记录已写入,未还数量未改.").arg(reader.number);
    if (!notes.isEmpty())
        Platform::instance().message(notes.join(QLatin1Char('\n')));
    if (!shortOf.isEmpty()) {
        // What is left in the list was not lent; everything else was.
        refuse(QStringLiteral("数量不足.\n") + shortOf.join(QLatin1Char('\n')));
        return;
    }
    CleanData();
    Platform::instance().message(QStringLiteral("借阅完毕!"));
}

void TBkBorrowFm::Button4Click() { close(); }

void TBkBorrowFm::setItemKind(QRadioButton *button)
{
    itemKind_ = button->text().trimmed();
    GroupBox2->setTitle(itemKind_);
}

void TBkBorrowFm::setSearchColumn(QRadioButton *button)
{
    searchColumn_ = button->text().trimmed();
    Label2->setText(searchColumn_);
    labelInputs(this);
}

void TBkBorrowFm::RadioButton1Click() { setItemKind(RadioButton1); }
void TBkBorrowFm::RadioButton2Click() { setItemKind(RadioButton2); }
void TBkBorrowFm::RadioButton3Click() { setSearchColumn(RadioButton3); }
void TBkBorrowFm::RadioButton4Click() { setSearchColumn(RadioButton4); }

void TBkBorrowFm::Edit1DblClick() { Platform::instance().openWindow(new TBorrowOptRdFm(this)); }

void TBkBorrowFm::Edit2DblClick() { Platform::instance().openWindow(new TBorrowOptBkFm(this)); }

bool TBkBorrowFm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick && (watched == Edit1 || watched == Edit2)) {
        guarded([this, watched] { watched == Edit1 ? Edit1DblClick() : Edit2DblClick(); })();
        return true;
    }
    return LibraryWindow::eventFilter(watched, event);
}
