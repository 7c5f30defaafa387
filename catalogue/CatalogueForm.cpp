#include "catalogue/CatalogueForm.h"

#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/LookupList.h"
#include "common/Pinyin.h"
#include "common/Platform.h"
#include "db/Amounts.h"
#include "db/DbError.h"
#include "db/Money.h"
#include "db/Schema.h"
#include "readers/ReaderForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

class ClickFilter : public QObject {
public:
    ClickFilter(QObject *parent, std::function<void()> action) : QObject(parent), action_(std::move(action)) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease)
            guarded(action_)();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> action_;
};

QWidget *makeControl(QWidget *parent, const CatalogueField &f, bool dateBox)
{
    QWidget *w = nullptr;
    switch (f.kind) {
    case CatalogueField::Kind::List:
        w = readerComboBox(parent, f.name);
        break;
    case CatalogueField::Kind::Memo:
        w = readerMemo(parent, f.name);
        break;
    case CatalogueField::Kind::Date:
        if (dateBox) {
            w = readerBlankableDateEdit(parent, f.name);
            break;
        }
        [[fallthrough]];
    case CatalogueField::Kind::Line: {
        auto *edit = readerLineEdit(parent, f.name);
        if (f.filter != CatalogueField::Filter::None) {
            const QString pattern = f.filter == CatalogueField::Filter::Digits ? QStringLiteral("[0-9]*")
                                                                              : QStringLiteral("[0-9.]*");
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
        }
        w = edit;
        break;
    }
    }
    w->setEnabled(f.enabled);
    return w;
}

// A date as its ISO text.
QString shownText(const QWidget *control) { return shownValue(control).toString(); }

// The fields in two even columns beside each other, the captions of required ones in bold.
QHBoxLayout *formColumns(QWidget *window, const QList<CatalogueField> &fields, const QList<QWidget *> &controls)
{
    auto *left = new QFormLayout;
    auto *right = new QFormLayout;
    const qsizetype half = (fields.size() + 1) / 2;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString caption = QString::fromUtf8(fields.at(i).caption);
        QLabel *label = fields.at(i).bold ? requiredLabel(caption, window) : new QLabel(caption, window);
        (i < half ? left : right)->addRow(label, controls.at(i));
    }
    return sideBySide(left, right);
}

void fillLists(db::Database &database, const QWidget *window, const QList<CatalogueField> &fields,
               const QStringList &order)
{
    for (const QString &name : order) {
        for (const CatalogueField &f : fields) {
            if (QString::fromLatin1(f.name) != name)
                continue;
            // The list is emptied; the text the reset put there stands.
            auto *box = window->findChild<QComboBox *>(name);
            const QString text = box->currentText();
            box->clear();
            box->setCurrentText(text);
            fillLookupList(box, database, QString::fromUtf8(f.listTable), QString::fromUtf8(f.listColumn));
        }
    }
}

// The database's refusal of a row, led by a plain sentence when the cause is a number that
// another row of the table already has.
QString refusalText(db::Database &database, const QString &table, const CatalogueField &numberField,
                    const QString &typedNumber, const QVariant &ownRow, const db::DbError &refusal)
{
    const QString number = typedNumber.trimmed();
    db::Sql taken = db::Sql("select count(*) as n from ") + db::Sql::identifier(table)
                    + " where 编号=" + db::Sql::text(number);
    if (ownRow.isValid())
        taken += db::Sql(" and ") + db::Sql::fixed(database.rowIdentity(table)) + "<>" + db::Sql::value(ownRow);
    try {
        db::Rows rows = database.select(taken);
        if (!rows.next() || rows.integer(QStringLiteral("n")) == 0)
            return refusal.text();
    } catch (const db::DbError &) {
        return refusal.text();
    }
    return QStringLiteral("%1 \"%2\" 已经存在, 没有保存。\n\n%3")
        .arg(QString::fromUtf8(numberField.caption), number, refusal.text());
}

const CatalogueField &numberField(const QList<CatalogueField> &fields)
{
    for (const CatalogueField &f : fields)
        if (f.column && qstrcmp(f.column, "编号") == 0)
            return f;
    Q_UNREACHABLE();
}

} // namespace

QVariant catalogueValue(const QString &caption, const QString &column, const QString &text)
{
    const QString trimmed = text.trimmed();
    const auto refuse = [&](const QString &what) {
        return db::DbError(QStringLiteral("%1: \"%2\" 不是%3。").arg(caption, text, what));
    };
    switch (db::columnKind(column)) {
    case db::ColumnKind::Integer: {
        // An emptied count is the column's 0: nothing in a count stays nothing after 数量 + 1.
        if (trimmed.isEmpty())
            return 0;
        bool ok = false;
        const int n = trimmed.toInt(&ok);
        if (!ok)
            throw refuse(QStringLiteral("有效的整数"));
        return n;
    }
    case db::ColumnKind::Money: {
        const std::optional<db::Money> money = db::Money::parse(trimmed);
        if (!money)
            throw refuse(QStringLiteral("有效的金额"));
        return QVariant::fromValue(*money);
    }
    case db::ColumnKind::Date: {
        if (trimmed.isEmpty())
            return QVariant(QMetaType(QMetaType::QDate));
        const QDate date = db::dateFromText(trimmed);
        if (!date.isValid())
            throw refuse(QStringLiteral("有效的日期(年-月-日)"));
        return date;
    }
    default:
        return trimmed;
    }
}

void onClick(QLineEdit *edit, std::function<void()> action)
{
    edit->installEventFilter(new ClickFilter(edit, std::move(action)));
}

void chooseDocument(QLineEdit *edit)
{
    const QString file = Platform::instance().openFileName({}, {});
    if (!file.isEmpty())
        edit->setText(file);
}

// ---------------------------------------------------------------------------------------------

CatalogueIntake::CatalogueIntake(IntakeConfig config, QWidget *parent) : LibraryWindow(parent), config_(std::move(config))
{
    setObjectName(config_.objectName);
    setWindowTitle(config_.title);

    QList<QWidget *> controls;
    for (const CatalogueField &f : config_.fields)
        controls.append(makeControl(this, f, true));
    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("保存"), this);
    Button2 = namedButton(QStringLiteral("Button2"), config_.closeCaption, this);
    CheckBox1 = clearAfterSaveBox(this);

    auto *fields = formColumns(this, config_.fields, controls);
    side_ = new QVBoxLayout;
    fields->addLayout(side_);
    auto *buttons = buttonRow({Button1, Button2});
    buttons->insertWidget(0, CheckBox1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setTabOrderOf(controls + QList<QWidget *>{Button1, Button2, CheckBox1});

    if (auto *date = findChild<QDateEdit *>(QStringLiteral("DateTimePicker1")))
        date->setDate(config_.publishedAtStart);
    connect(lineEdit(config_.titleBox), &QLineEdit::textChanged, this,
            [this](const QString &title) { lineEdit(config_.pinyinBox)->setText(PinyinInitials(title)); });
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
}

QWidget *CatalogueIntake::control(const QString &name) const
{
    auto *w = findChild<QWidget *>(name);
    Q_ASSERT_X(w, "CatalogueIntake::control", qPrintable(name));
    return w;
}

QLineEdit *CatalogueIntake::lineEdit(const char *name) const
{
    return qobject_cast<QLineEdit *>(control(QString::fromLatin1(name)));
}

QComboBox *CatalogueIntake::comboBox(const char *name) const
{
    return qobject_cast<QComboBox *>(control(QString::fromLatin1(name)));
}

QString CatalogueIntake::typed(const QString &name) const { return shownText(control(name)); }

void CatalogueIntake::FormShow()
{
    for (const QString &name : config_.listOrder)
        showValue(control(name), QString());
    InitialData();
    fillLists(sharedDb(), this, config_.fields, config_.listOrder);
}

void CatalogueIntake::InitialData()
{
    for (const CatalogueField &f : config_.fields)
        if (f.reset)
            showValue(control(QString::fromLatin1(f.name)), QString::fromUtf8(f.reset));
    control(config_.fields.first().name)->setFocus();
}

// A box counts as filled when its text as typed is not empty.
bool CatalogueIntake::complete() const
{
    for (const QString &name : config_.requiredOrder)
        if (typed(name).isEmpty())
            return false;
    return true;
}

db::Fields CatalogueIntake::rowFields() const
{
    db::Fields fields;
    for (const CatalogueField &f : config_.fields) {
        if (!f.column)
            continue;
        const QString column = QString::fromUtf8(f.column);
        fields.append({column, catalogueValue(QString::fromUtf8(f.caption), column, typed(QString::fromLatin1(f.name)))});
    }
    fields.append({QStringLiteral("入库时间"), Platform::instance().today()});
    fields.append({QStringLiteral("借出次数"), 0});
    fields.append({QStringLiteral("状态"), QStringLiteral("正常")});
    fields.append({QStringLiteral("登记人"), Session::instance().adminname});
    return fields;
}

void CatalogueIntake::Button1Click()
{
    Platform &platform = Platform::instance();
    if (!complete()) {
        if (config_.beepWhenIncomplete)
            platform.beep();
        platform.message(QStringLiteral("字体加重的项目必须填写完整!"));
        return;
    }
    const CatalogueField &number = numberField(config_.fields);
    try {
        sharedDb().insert(config_.table, rowFields());
    } catch (const db::DbError &e) {
        // The database's reason (a number already there) or a value its column cannot take;
        // the boxes stay for correction.
        platform.message(refusalText(sharedDb(), config_.table, number, typed(QString::fromLatin1(number.name)), {}, e));
        return;
    }
    platform.message(config_.savedMessage);
    if (CheckBox1->isChecked())
        InitialData();
    afterSave();
}

void CatalogueIntake::Button2Click() { close(); }

// ---------------------------------------------------------------------------------------------

CatalogueEdit::CatalogueEdit(db::Database &database, const QVariant &rowId, EditConfig config, QWidget *parent)
    : LibraryWindow(parent), db_(database), rowId_(rowId), config_(std::move(config))
{
    setObjectName(config_.objectName);
    setWindowTitle(config_.title);

    QList<QWidget *> controls;
    for (const CatalogueField &f : config_.fields) {
        controls.append(makeControl(this, f, f.kind == CatalogueField::Kind::Date));
        bindings_.append({f, {}});
    }
    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("保存"), this);
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("取消"), this);

    auto *buttons = buttonRow({Button1, Button2});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(formColumns(this, config_.fields, controls));
    layout->addLayout(buttons);
    setTabOrderOf(controls + QList<QWidget *>{Button1, Button2});

    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));

    fillLists(db_, this, config_.fields, config_.listOrder);
    loadRow();
    // After the row is shown: showing the stored title keeps the stored initials.
    connect(lineEdit(config_.titleBox), &QLineEdit::textChanged, this,
            [this](const QString &title) { lineEdit(config_.pinyinBox)->setText(PinyinInitials(title)); });
}

QWidget *CatalogueEdit::control(const QString &name) const
{
    auto *w = findChild<QWidget *>(name);
    Q_ASSERT_X(w, "CatalogueEdit::control", qPrintable(name));
    return w;
}

QLineEdit *CatalogueEdit::lineEdit(const char *name) const
{
    return qobject_cast<QLineEdit *>(control(QString::fromLatin1(name)));
}

void CatalogueEdit::placeBeside(const char *name, QWidget *extra)
{
    QWidget *box = control(QString::fromLatin1(name));
    for (QFormLayout *form : findChildren<QFormLayout *>()) {
        int row = -1;
        QFormLayout::ItemRole role{};
        form->getWidgetPosition(box, &row, &role);
        if (row < 0)
            continue;
        form->removeWidget(box);
        auto *pair = new QHBoxLayout;
        pair->addWidget(box, 1);
        pair->addWidget(extra);
        form->setLayout(row, QFormLayout::FieldRole, pair);
        // The caption names the box, not the pair.
        if (QLayoutItem *caption = form->itemAt(row, QFormLayout::LabelRole))
            if (auto *label = qobject_cast<QLabel *>(caption->widget()))
                label->setBuddy(box);
        QWidget::setTabOrder(box, extra);
        return;
    }
}

void CatalogueEdit::loadRow()
{
    db::Rows row = db_.select(db::Sql("select * from ") + db::Sql::identifier(config_.table) + " where "
                              + db::Sql::fixed(db_.rowIdentity(config_.table)) + "=" + db::Sql::value(rowId_));
    if (!row.next())
        throw db::DbError(QStringLiteral("这一条已不在%1中(可能已被删除), 请刷新列表。").arg(config_.table));
    for (Binding &b : bindings_) {
        const QString column = QString::fromUtf8(b.field.column);
        QString text;
        switch (db::columnKind(column)) {
        case db::ColumnKind::Date: {
            const QDate date = row.date(column);
            text = date.isValid() ? date.toString(Qt::ISODate) : QString();
            break;
        }
        case db::ColumnKind::Money:
            text = row.isNull(column) ? QString() : row.money(column).toString(2);
            break;
        default:
            text = row.text(column);
        }
        QWidget *c = control(QString::fromLatin1(b.field.name));
        showValue(c, text);
        b.loaded = shownText(c);
    }
}

db::Fields CatalogueEdit::changedFields() const
{
    db::Fields fields;
    for (const Binding &b : bindings_) {
        const QString shown = shownText(control(QString::fromLatin1(b.field.name)));
        if (shown == b.loaded)
            continue;
        const QString column = QString::fromUtf8(b.field.column);
        fields.append({column, catalogueValue(QString::fromUtf8(b.field.caption), column, shown)});
    }
    return fields;
}

void CatalogueEdit::Button1Click()
{
    db::Fields fields;
    try {
        fields = changedFields();
    } catch (const db::DbError &e) {
        // The row stays in editing: the user corrects it or cancels.
        Platform::instance().message(e.text());
        return;
    }
    try {
        if (!fields.isEmpty())
            db_.updateRow(config_.table, rowId_, fields);
    } catch (const db::DbError &e) {
        const CatalogueField &number = numberField(config_.fields);
        const QString typedNumber = shownText(control(QString::fromLatin1(number.name)));
        Platform::instance().message(refusalText(db_, config_.table, number, typedNumber, rowId_, e));
        return;
    }
    if (!config_.savedMessage.isEmpty())
        Platform::instance().message(config_.savedMessage);
    if (saved)
        saved();
    close();
}

void CatalogueEdit::Button2Click() { close(); }
