#include "admin/BookCheckUt.h"

#include "admin/CleandataUt.h"
#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

TBookCheckFm::TBookCheckFm(QWidget *parent) : LibraryWindow(parent)
{
    setObjectName(QStringLiteral("BookCheckFm"));
    setWindowTitle(QStringLiteral("数据一致性检查"));
    resize(900, 480);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Grid1 = new QTableWidget(0, int(tools::findingColumns().size()), this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setAccessibleName(QStringLiteral("问题清单"));
    Grid1->setHorizontalHeaderLabels(tools::findingColumns());
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid1->horizontalHeader()->setStretchLastSection(true);

    const auto button = [this](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    Button1 = button(QStringLiteral("检查"), "Button1");
    Button2 = button(QStringLiteral("导出"), "Button2");
    Button3 = button(QStringLiteral("修复"), "Button3");
    Button4 = button(QStringLiteral("退出"), "Button4");
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));
    connect(Button4, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = buttonRow({Button1, Button2, Button3, Button4});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("读者和图书、期刊的计数与借出记录、资金记录对照; 修复只重算可由记录推导的计数 "
                                                "(未还数量, 累计借阅次数, 借出次数), 修复前先备份。"),
                                 this));
    layout->addWidget(Label1);
    layout->addWidget(Grid1, 1);
    layout->addLayout(buttons);
    Label1->setText(QStringLiteral("按 \"检查\" 开始。"));
    Button2->setEnabled(false);
    Button3->setEnabled(false);
}

void TBookCheckFm::Button1Click() { showFindings(tools::checkLibrary(sharedDb())); }

void TBookCheckFm::showFindings(const QList<tools::Finding> &findings)
{
    findings_ = findings;
    Grid1->setRowCount(0);
    for (const tools::Finding &f : findings) {
        const int row = Grid1->rowCount();
        Grid1->insertRow(row);
        const QStringList values = tools::findingFields(f);
        for (int c = 0; c < values.size(); ++c)
            Grid1->setItem(row, c, new QTableWidgetItem(values[c]));
    }
    Grid1->resizeColumnsToContents();
    const auto repairable = std::count_if(findings.begin(), findings.end(), [](const tools::Finding &f) { return f.repairable(); });
    Label1->setText(findings.isEmpty() ? QStringLiteral("没有发现问题: 计数与借出记录、资金记录一致。")
                                       : QStringLiteral("发现 %1 个问题, 其中 %2 个计数可以修复。").arg(findings.size()).arg(repairable));
    Button2->setEnabled(!findings.isEmpty());
    Button3->setEnabled(repairable > 0);
}

void TBookCheckFm::Button2Click()
{
    const QString path = Platform::instance().saveFileName(QStringLiteral("导出问题清单"), QStringLiteral("CSV 文件 (*.csv)"),
                                                           QStringLiteral("问题清单.csv"));
    if (path.isEmpty())
        return;
    tools::writeFindingsCsv(findings_, path);
    Platform::instance().message(QStringLiteral("问题清单已导出到:\n%1").arg(QDir::toNativeSeparators(path)));
}

// The embedded file is copied beside the database (backups/); a server database only by its own
// tool, which the administrator confirms having used.
bool TBookCheckFm::backUpFirst()
{
    db::Database &database = sharedDb();
    if (database.driver().backupStatement().isEmpty())
        return Platform::instance().question(
            QStringLiteral("数据库在服务器上, 本程序不能自动备份。修复之前请先用服务器自己的工具 (如 pg_dump) 备份数据库。\n已经备份好了, 继续修复吗?"));
    if (!Platform::instance().question(QStringLiteral("将先备份数据库, 再重算 %1 个计数。继续吗?")
                                           .arg(std::count_if(findings_.begin(), findings_.end(),
                                                              [](const tools::Finding &f) { return f.repairable(); }))))
        return false;
    const QString path = TCleanDataFm::datedBackupPath(database.spec().file, Platform::instance().now());
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw db::DbError(QStringLiteral("无法建立备份文件夹 %1, 没有修复。").arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
    try {
        database.backupTo(path);
    } catch (const db::DbError &e) {
        throw db::DbError(QStringLiteral("备份失败, 没有修复。\n") + e.text());
    }
    backupPath_ = path;
    return true;
}

void TBookCheckFm::Button3Click()
{
    backupPath_.clear();
    if (!backUpFirst())
        return;
    const int written = tools::repairLibrary(sharedDb());
    Button1Click();
    QString text = QStringLiteral("已修复 %1 个计数。").arg(written);
    if (!backupPath_.isEmpty())
        text += QStringLiteral("\n修复之前已备份数据到:\n%1").arg(QDir::toNativeSeparators(backupPath_));
    Platform::instance().message(text);
}
