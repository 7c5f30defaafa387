#include "admin/BackUpAccessUt.h"

#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/FileProblem.h"
#include "common/Platform.h"
#include "common/ProgramFolder.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <cerrno>

static const QString Choose = QStringLiteral("请选择好要备份的位置");

TBackUpAccessFm::TBackUpAccessFm(QWidget *parent)
    : LibraryWindow(parent), databaseFile_(QFileInfo(sharedDb().spec().file).absoluteFilePath())
{
    setObjectName(QStringLiteral("BackUpAccessFm"));
    setWindowTitle(QStringLiteral("备份数据"));
    const QString fileName = QFileInfo(databaseFile_).fileName();

    Label1 = new QLabel(Choose, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(QDir::currentPath(), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Button3 = namedButton(QStringLiteral("Button3"), QStringLiteral("浏览..."), this);
    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setAccessibleName(QStringLiteral("该位置的数据库文件"));
    auto *folderLabel = new QLabel(QStringLiteral("备份位置:"), this);
    folderLabel->setBuddy(Edit1);
    auto *folderLine = new QHBoxLayout;
    folderLine->addWidget(folderLabel);
    folderLine->addWidget(Edit1, 1);
    folderLine->addWidget(Button3);

    Label2 = new QLabel(QStringLiteral("还原数据就是把备份好的数据文件拷贝到图书管理软件的安装目录下,覆盖%1就可以了.").arg(fileName), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    Label3 = new QLabel(QStringLiteral("本软件使用的数据库文件: %1").arg(QDir::toNativeSeparators(databaseFile_)), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    Label3->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("备份"), this);
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("返回"), this);
    auto *buttons = buttonRow({Button1, Button2});

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(folderLine);
    layout->addWidget(FileListBox1, 1);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addLayout(buttons);
    resize(520, 400);

    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));
    connect(Edit1, &QLineEdit::editingFinished, this, guarded([this] { refreshFiles(); }));
    refreshFiles();
}

void TBackUpAccessFm::refreshFiles()
{
    FileListBox1->clear();
    const QFileInfo database(databaseFile_);
    const QString pattern = database.suffix().isEmpty() ? database.fileName() : QStringLiteral("*.") + database.suffix();
    const QDir folder(Edit1->text().trimmed());
    if (Edit1->text().trimmed().isEmpty() || !folder.exists())
        return;
    FileListBox1->addItems(folder.entryList({pattern}, QDir::Files, QDir::Name));
}

void TBackUpAccessFm::Button3Click()
{
    const QString folder = Platform::instance().folderName(Choose, Edit1->text().trimmed());
    if (folder.isEmpty())
        return;
    Edit1->setText(QDir::toNativeSeparators(folder));
    refreshFiles();
}

// The program's folder and the database's own: a copy there would take the place of the file
// it copies. Compared as resolved paths (links, "..", a trailing separator), never as typed.
bool TBackUpAccessFm::isOwnFolder(const QString &resolved) const
{
    const QString program = QFileInfo(programFolder()).canonicalFilePath();
    const QString database = QFileInfo(QFileInfo(databaseFile_).absolutePath()).canonicalFilePath();
    return resolved == program || resolved == database;
}

void TBackUpAccessFm::Button1Click()
{
    const QString chosen = Edit1->text().trimmed();
    if (chosen.isEmpty()) {
        Platform::instance().message(Choose);
        return;
    }
    const QFileInfo folder(chosen);
    if (!folder.isDir()) {
        Platform::instance().error(QStringLiteral("备份失败!\n文件夹不存在: %1").arg(QDir::toNativeSeparators(chosen)));
        return;
    }
    const QString resolved = folder.canonicalFilePath();
    if (isOwnFolder(resolved)) {
        Platform::instance().message(
            QStringLiteral("不能在本软件的当前目录下备份,那样会破坏原数据库文件,请选择其他地方备份!"));
        return;
    }
    const QString target = QDir(resolved).filePath(QFileInfo(databaseFile_).fileName());
    if (!QFileInfo(resolved).isWritable()) {
        Platform::instance().error(QStringLiteral("备份失败!\n")
                                   + cannotWriteText(QDir::toNativeSeparators(target), fileErrorReason(EACCES)));
        return;
    }
    try {
        sharedDb().backupTo(target);
    } catch (const db::DbError &e) {
        Platform::instance().error(QStringLiteral("备份失败!\n") + e.text());
        return;
    }
    refreshFiles();
    Platform::instance().message(QStringLiteral("备份成功!"));
}

void TBackUpAccessFm::Button2Click() { reject(); }
