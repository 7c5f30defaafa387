#include "admin/CleandataUt.h"

#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

const QString TCleanDataFm::Password = QStringLiteral("kqt583920174");

namespace {

// The boxes in the order their statements run.
struct Cleanup {
    QCheckBox *TCleanDataFm::*box;
    const char *caption;
    const char *statement;
    const char *done;
};
const Cleanup cleanups[] = {
    {&TCleanDataFm::CheckBox1, "删除图书信息", "delete from 图书", "删除图书数据完毕!"},
    {&TCleanDataFm::CheckBox2, "删除期刊信息", "delete from 期刊", "删除期刊数据完毕!"},
    {&TCleanDataFm::CheckBox3, "删除读者信息", "delete from 读者库", "删除读者数据完毕!"},
    {&TCleanDataFm::CheckBox4, "删除借阅记录", "delete from 借出记录", "删除借阅记录数据完毕!"},
    {&TCleanDataFm::CheckBox5, "删除资金记录", "delete from 收入", "删除资金记录数据完毕!"},
};

// The tool that backs up a server database.
QString serverBackupTool(db::Engine engine)
{
    return engine == db::Engine::PostgreSQL ? QStringLiteral("PostgreSQL 的 pg_dump")
                                            : QStringLiteral("SqlServer 企业管理器");
}

} // namespace

TCleanDataFm::TCleanDataFm(QWidget *parent) : LibraryWindow(parent)
{
    setObjectName(QStringLiteral("CleanDataFm"));
    setWindowTitle(QStringLiteral("清理数据"));

    auto *warning = new QLabel(this);
    warning->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
    auto *note = new QGroupBox(QStringLiteral("重要提示:"), this);
    auto *noteText = new QLabel(QStringLiteral("此步操作将永久性删除数据信息,强烈建议您备份数据后再进行."), note);
    noteText->setWordWrap(true);
    auto *noteLayout = new QHBoxLayout(note);
    noteLayout->addWidget(warning);
    noteLayout->addWidget(noteText, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(note);
    int n = 1;
    for (const Cleanup &c : cleanups) {
        auto *box = new QCheckBox(QString::fromUtf8(c.caption), this);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(n++));
        layout->addWidget(box);
        this->*c.box = box;
    }

    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("确定"), this);
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("返回"), this);
    auto *buttons = buttonRow({Button1, Button2});
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
}

void TCleanDataFm::Button1Click()
{
    // Shown in clear, as the one who runs it is told the password on purpose.
    const std::optional<QString> answer = Platform::instance().inputBox(
        QStringLiteral("输入密码"), QStringLiteral("输入正确的密码后才能执行删除任务:"), QString(), false);
    if (answer.value_or(QString()) != Password) {
        Platform::instance().message(QStringLiteral("密码错误!"));
        return;
    }
    CleanData();
}

void TCleanDataFm::CleanData()
{
    QList<const Cleanup *> chosen;
    for (const Cleanup &c : cleanups)
        if ((this->*c.box)->isChecked())
            chosen.append(&c);
    if (chosen.isEmpty() || !backUpFirst())
        return;
    db::Database &database = sharedDb();
    // Each statement commits on its own; a failure stops the rest.
    for (const Cleanup *c : chosen) {
        database.exec(db::Sql::fixed(QString::fromUtf8(c->statement)));
        Platform::instance().message(QString::fromUtf8(c->done));
    }
}

QString TCleanDataFm::datedBackupPath(const QString &databaseFile, const QDateTime &at)
{
    const QFileInfo file(databaseFile);
    const QDir folder(QDir(file.absolutePath()).filePath(QStringLiteral("backups")));
    const QString stem = file.completeBaseName() + QLatin1Char('-') + at.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString suffix = file.suffix().isEmpty() ? QString() : QLatin1Char('.') + file.suffix();
    QString path = folder.filePath(stem + suffix);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(suffix));
    return path;
}

// The whole database as it stands, copied before anything is deleted; false when the user
// stops at the advice for a server database. A failed copy throws: nothing is deleted then.
bool TCleanDataFm::backUpFirst()
{
    db::Database &database = sharedDb();
    if (database.driver().backupStatement().isEmpty())
        return Platform::instance().question(
            QStringLiteral("数据库在服务器上, 本程序不能自动备份。删除之前请先用%1备份数据库。\n已经备份好了, 继续删除吗?")
                .arg(serverBackupTool(database.engine())));
    const QString path = datedBackupPath(database.spec().file, Platform::instance().now());
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw db::DbError(QStringLiteral("无法建立备份文件夹 %1, 没有删除任何数据。")
                              .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
    try {
        database.backupTo(path);
    } catch (const db::DbError &e) {
        throw db::DbError(QStringLiteral("自动备份失败, 没有删除任何数据。\n") + e.text());
    }
    Platform::instance().message(QStringLiteral("删除之前已自动备份数据到:\n%1").arg(QDir::toNativeSeparators(path)));
    return true;
}

void TCleanDataFm::Button2Click() { reject(); }
