#include "components/LookupListEditor.h"

#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "db/Amounts.h"
#include "db/Schema.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSqlRecord>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

static constexpr int ChecksPerLine = 3;

LookupListEditor::LookupListEditor(db::Database &database, LookupList list, QWidget *parent)
    : LibraryWindow(parent), db_(database), list_(std::move(list))
{
    setWindowTitle(list_.caption);
    buildToolBar();
    buildBoxes();

    DBGrid1 = new DataGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->view()->horizontalHeader()->setSectionsClickable(list_.sortable);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ToolBar1);
    layout->addWidget(GroupBox1);
    if (GroupBox2)
        layout->addWidget(GroupBox2);
    layout->addWidget(DBGrid1, 1);
    resize(560, 460);

    connect(DBGrid1, &DataGrid::currentRowChanged, this, guarded([this] {
                // While a row is edited the boxes hold the user's typing, not the list's row.
                if (state_ == State::Browsing)
                    showCurrentRow();
            }));

    DBGrid1->setColumns(gridColumns());
    DBGrid1->open(db_, db::Sql::fixed(QStringLiteral("select * from ") + list_.table), list_.table);
    setState(State::Browsing);
    showCurrentRow();
}

void LookupListEditor::buildToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    struct Button {
        QToolButton *LookupListEditor::*button;
        const char *name;
        const char *caption;
        QStyle::StandardPixmap picture;
        void (LookupListEditor::*handler)();
    };
    const Button buttons[] = {
        {&LookupListEditor::ToolButton1, "ToolButton1", "添加", QStyle::SP_FileDialogNewFolder, &LookupListEditor::ToolButton1Click},
        {&LookupListEditor::ToolButton2, "ToolButton2", "修改", QStyle::SP_FileDialogContentsView, &LookupListEditor::ToolButton2Click},
        {&LookupListEditor::ToolButton5, "ToolButton5", "保存", QStyle::SP_DialogSaveButton, &LookupListEditor::ToolButton5Click},
        {&LookupListEditor::ToolButton4, "ToolButton4", "取消", QStyle::SP_DialogCancelButton, &LookupListEditor::ToolButton4Click},
        {&LookupListEditor::ToolButton3, "ToolButton3", "删除", QStyle::SP_TrashIcon, &LookupListEditor::ToolButton3Click},
        {&LookupListEditor::ToolButton6, "ToolButton6", "打印报表", QStyle::SP_FileIcon, nullptr},
        {&LookupListEditor::ToolButton7, "ToolButton7", "退出", QStyle::SP_DialogCloseButton, &LookupListEditor::ToolButton7Click},
    };
    for (const Button &b : buttons) {
        auto *button = new QToolButton(ToolBar1);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setText(QString::fromUtf8(b.caption));
        button->setIcon(style()->standardIcon(b.picture));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        QAction *placed = ToolBar1->addWidget(button);
        if (b.handler)
            connect(button, &QToolButton::clicked, this, guarded([this, handler = b.handler] { (this->*handler)(); }));
        else
            placed->setVisible(false); // the lists have nothing to print
        this->*b.button = button;
    }
}

// A box that takes what its column can hold.
static void acceptColumnValues(QLineEdit *edit, const QString &column)
{
    switch (db::columnKind(column)) {
    case db::ColumnKind::Integer:
        edit->setValidator(new QIntValidator(edit));
        break;
    case db::ColumnKind::Money:
    case db::ColumnKind::Floating:
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("-?[0-9,]*(\\.[0-9]{0,4})?")), edit));
        break;
    default:
        break;
    }
}

void LookupListEditor::buildBoxes()
{
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto *form = new QFormLayout(GroupBox1);
    GroupBox2 = nullptr;
    QGridLayout *checks = nullptr;
    int edits = 0, checkCount = 0;
    for (const LookupField &field : list_.fields) {
        if (field.box == LookupField::Box::Check) {
            if (!GroupBox2) {
                GroupBox2 = new QGroupBox(list_.checksTitle, this);
                GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
                checks = new QGridLayout(GroupBox2);
            }
            auto *check = new QCheckBox(field.caption, GroupBox2);
            check->setObjectName(QStringLiteral("CheckBox%1").arg(checkCount + 1));
            checks->addWidget(check, checkCount / ChecksPerLine, checkCount % ChecksPerLine);
            ++checkCount;
            boxes_.append({field, check});
            continue;
        }
        auto *edit = new QLineEdit(GroupBox1);
        edit->setObjectName(QStringLiteral("DBEdit%1").arg(++edits));
        acceptColumnValues(edit, field.column);
        if (field.caption.isEmpty()) {
            edit->setAccessibleName(field.column);
            form->addRow(edit);
        } else {
            form->addRow(new QLabel(field.caption, GroupBox1), edit);
        }
        boxes_.append({field, edit});
    }
    DBEdit1 = GroupBox1->findChild<QLineEdit *>(QStringLiteral("DBEdit1"));
}

QList<GridColumn> LookupListEditor::gridColumns() const
{
    if (list_.columns.isEmpty())
        return {};
    // The named columns in their order; every other column of the table hidden.
    QList<GridColumn> columns = list_.columns;
    const QSqlRecord record = db_.handle().record(list_.table);
    for (int i = 0; i < record.count(); ++i) {
        const QString name = record.fieldName(i);
        const bool listed = std::any_of(columns.cbegin(), columns.cend(), [&name](const GridColumn &c) {
            return c.field.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!listed)
            columns.append({name, {}, false});
    }
    return columns;
}

QLineEdit *LookupListEditor::edit(const QString &column) const
{
    for (const Box &box : boxes_)
        if (box.field.column.compare(column, Qt::CaseInsensitive) == 0)
            return qobject_cast<QLineEdit *>(box.widget);
    return nullptr;
}

QCheckBox *LookupListEditor::checkBox(const QString &column) const
{
    for (const Box &box : boxes_)
        if (box.field.column.compare(column, Qt::CaseInsensitive) == 0)
            return qobject_cast<QCheckBox *>(box.widget);
    return nullptr;
}

void LookupListEditor::showEvent(QShowEvent *event)
{
    LibraryWindow::showEvent(event);
    if (list_.centred && !centredOnce_ && screen()) {
        centredOnce_ = true;
        QRect frame = frameGeometry();
        frame.moveCenter(screen()->availableGeometry().center());
        move(frame.topLeft());
    }
}

// The button patterns: browsing, or editing one row.
void LookupListEditor::setState(State state)
{
    state_ = state;
    const bool editing = state != State::Browsing;
    ToolButton1->setEnabled(!editing);
    ToolButton2->setEnabled(!editing);
    ToolButton3->setEnabled(!editing);
    ToolButton5->setEnabled(editing);
    ToolButton4->setEnabled(editing);
    GroupBox1->setEnabled(editing);
    if (GroupBox2)
        GroupBox2->setEnabled(editing);
    DBGrid1->setEnabled(!editing);
    if (editing && DBEdit1)
        DBEdit1->setFocus();
}

void LookupListEditor::showCurrentRow()
{
    if (DBGrid1->currentRow() < 0) {
        clearBoxes();
        return;
    }
    for (const Box &box : boxes_) {
        const QVariant value = DBGrid1->currentValue(box.field.column);
        if (auto *check = qobject_cast<QCheckBox *>(box.widget))
            check->setChecked(value.toBool());
        else
            static_cast<QLineEdit *>(box.widget)->setText(db::fieldText(value));
    }
}

void LookupListEditor::clearBoxes()
{
    for (const Box &box : boxes_) {
        if (auto *check = qobject_cast<QCheckBox *>(box.widget))
            check->setChecked(false);
        else
            static_cast<QLineEdit *>(box.widget)->clear();
    }
}

// A box's value as its column stores it; an empty box leaves the column empty (null).
QVariant LookupListEditor::boxValue(const Box &box) const
{
    if (auto *check = qobject_cast<QCheckBox *>(box.widget))
        return check->isChecked();
    return db::typedFieldValue(box.field.column, static_cast<QLineEdit *>(box.widget)->text());
}

db::Fields LookupListEditor::boxValues() const
{
    db::Fields fields;
    for (const Box &box : boxes_)
        fields.append({box.field.column, boxValue(box)});
    return fields;
}

QString LookupListEditor::currentName() const
{
    return DBGrid1->currentValue(list_.fields.first().column).toString();
}

qint64 LookupListEditor::rowsInTable() const
{
    db::Rows rows = db_.select(db::Sql::fixed(QStringLiteral("select count(*) as lb_rows from ") + list_.table));
    return rows.next() ? rows.integer(QStringLiteral("lb_rows")) : 0;
}

void LookupListEditor::selectRow(const QVariant &rowId)
{
    const int row = DBGrid1->model()->rowOf(rowId);
    if (row >= 0)
        DBGrid1->setCurrentRow(row);
    showCurrentRow();
}

// 添加: the list as the table now stands (other desks may have added rows), and an empty row.
void LookupListEditor::ToolButton1Click()
{
    DBGrid1->refresh();
    editedRow_ = QVariant();
    clearBoxes();
    setState(State::Adding);
}

void LookupListEditor::ToolButton2Click()
{
    editedRow_ = DBGrid1->currentRowId();
    if (!editedRow_.isValid())
        return; // an empty table has no row to change
    showCurrentRow();
    setState(State::Modifying);
}

void LookupListEditor::ToolButton5Click()
{
    if (state_ == State::Browsing)
        return;
    if (DBEdit1->text().isEmpty()) {
        Platform::instance().message(list_.emptyNameMessage);
        DBEdit1->setFocus();
        return;
    }
    const db::Fields values = boxValues();
    QVariant rowId = editedRow_;
    if (state_ == State::Adding) {
        db::Fields fields;
        for (const auto &preset : list_.newRow)
            if (!std::any_of(values.cbegin(), values.cend(), [&preset](const auto &v) {
                    return v.first.compare(preset.first, Qt::CaseInsensitive) == 0;
                }))
                fields.append(preset);
        fields += values;
        rowId = db_.insert(list_.table, fields, db_.rowIdentity(list_.table));
    } else {
        db_.updateRow(list_.table, rowId, values);
    }
    setState(State::Browsing);
    DBGrid1->refresh();
    selectRow(rowId);
}

void LookupListEditor::ToolButton4Click()
{
    setState(State::Browsing);
    showCurrentRow();
}

void LookupListEditor::ToolButton3Click()
{
    if (state_ != State::Browsing)
        return;
    const QVariant rowId = DBGrid1->currentRowId();
    if (!rowId.isValid())
        return; // an empty table has no row to delete
    const QString name = currentName();
    if (list_.refuseDelete) {
        if (const QString refusal = list_.refuseDelete(name); !refusal.isEmpty()) {
            Platform::instance().message(refusal);
            return;
        }
    }
    if (list_.keepLastRow && rowsInTable() <= 1) {
        Platform::instance().message(QStringLiteral("至少留有一个！！"));
        return;
    }
    if (!Platform::instance().question(QStringLiteral("您是否要删除\" %1\"").arg(name)))
        return;
    db_.deleteRow(list_.table, rowId);
    DBGrid1->refresh();
    showCurrentRow();
}

void LookupListEditor::ToolButton7Click() { close(); }
