#include "components/GridFilterPopup.h"

#include "common/ErrorDisplay.h"
#include "common/LibraryWindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

static constexpr int ValueRole = Qt::UserRole + 1;

GridFilterPopup::GridFilterPopup(Loader loader, Display display, const QVariantList &current, bool filtered,
                                 int limit, QWidget *parent)
    : QFrame(parent, Qt::Popup), loader_(std::move(loader)), display_(std::move(display)), limit_(limit)
{
    setObjectName(QStringLiteral("GridFilterPopup"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("FilterSearch"));
    search_->setPlaceholderText(QStringLiteral("搜索"));
    all_ = new QCheckBox(QStringLiteral("(全选)"), this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("FilterValues"));
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    auto *buttons = buttonRow({ok, cancel});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(all_);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(240, 320);

    // Each keystroke restarts the wait, so a word typed quickly costs one query.
    debounce_.setSingleShot(true);
    debounce_.setInterval(DebounceMs);
    connect(search_, &QLineEdit::textEdited, &debounce_, qOverload<>(&QTimer::start));
    connect(&debounce_, &QTimer::timeout, this, guarded([this] { reload(); }));
    connect(all_, &QCheckBox::clicked, this, [this](bool on) { tickAll(on); });
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);

    fill(loader_({}), current, !filtered);
}

void GridFilterPopup::fill(const QVariantList &values, const QVariantList &ticked, bool tickAll)
{
    list_->clear();
    complete_ = values.size() < limit_;
    for (const QVariant &v : values) {
        auto *item = new QListWidgetItem(v.isValid() && !v.isNull() ? display_(v) : QStringLiteral("(空白)"), list_);
        item->setData(ValueRole, v);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        const bool on = tickAll || ticked.contains(v);
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    all_->setChecked(tickAll);
}

// A search shows the matching values ticked: OK then keeps just those.
void GridFilterPopup::reload()
{
    fill(loader_(search_->text()), {}, true);
}

void GridFilterPopup::tickAll(bool on)
{
    for (int i = 0; i < list_->count(); ++i)
        list_->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void GridFilterPopup::accept()
{
    if (debounce_.isActive()) {
        debounce_.stop();
        reload();
    }
    QVariantList values;
    bool everything = complete_ && search_->text().isEmpty();
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->checkState() == Qt::Checked)
            values.append(list_->item(i)->data(ValueRole));
        else
            everything = false;
    }
    emit chosen(values, everything);
    close();
}
