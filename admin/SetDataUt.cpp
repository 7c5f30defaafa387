#include "admin/SetDataUt.h"

#include "app/IniFile.h"
#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/FileProblem.h"
#include "common/Platform.h"
#include "common/ProgramFolder.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "tools/DatabaseCreator.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

static const QString Section = QStringLiteral("part1");

TSetDataFm::TSetDataFm(QWidget *parent)
    : LibraryWindow(parent),
      testText_(QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=book;"
                               "Data Source=127.0.0.1"))
{
    setObjectName(QStringLiteral("SetDataFm"));
    setWindowTitle(QStringLiteral("数据库设置"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    RadioButton1 = new QRadioButton(QStringLiteral("本地数据库文件 (SQLite, 可以直接保存)"), this);
    Button4 = namedButton(QStringLiteral("Button4"), QStringLiteral("新建..."), this);
    Button4->setToolTip(QStringLiteral("建立一个新的空图书馆数据库文件"));
    RadioButton2 = new QRadioButton(QStringLiteral("SqlServer (只有测试连接成功才能保存)"), this);
    RadioButton3 = new QRadioButton(QStringLiteral("PostgreSQL (只有测试连接成功才能保存)"), this);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton3->setObjectName(QStringLiteral("RadioButton3"));

    GroupBox1 = new QGroupBox(QStringLiteral("SqlServer"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto makeEdit = [this](const char *name) {
        auto *e = new QLineEdit(GroupBox1);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    Edit1 = makeEdit("Edit1");
    Edit2 = makeEdit("Edit2");
    Edit3 = makeEdit("Edit3");
    Edit4 = makeEdit("Edit4");
    Edit4->setEchoMode(QLineEdit::Password);
    Label1 = new QLabel(QStringLiteral("服务器名/ip地址:"), GroupBox1);
    Label2 = new QLabel(QStringLiteral("数据库名:"), GroupBox1);
    Label3 = new QLabel(QStringLiteral("用户名:"), GroupBox1);
    Label4 = new QLabel(QStringLiteral("密码:"), GroupBox1);
    Button1 = new QPushButton(QStringLiteral("测试"), GroupBox1);
    Button1->setObjectName(QStringLiteral("Button1"));
    auto *form = new QFormLayout(GroupBox1);
    form->addRow(Label1, Edit1);
    form->addRow(Label2, Edit2);
    form->addRow(Label3, Edit3);
    form->addRow(Label4, Edit4);
    form->addRow(QString(), Button1);
    GroupBox1->setEnabled(false);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setVisible(false);

    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("保存"), this);
    Button3 = namedButton(QStringLiteral("Button3"), QStringLiteral("退出"), this);
    Button2->setEnabled(false);

    auto *buttons = buttonRow({Button2, Button3});
    auto *layout = new QVBoxLayout(this);
    auto *embedded = new QHBoxLayout;
    embedded->addWidget(RadioButton1);
    embedded->addStretch();
    embedded->addWidget(Button4);
    layout->addLayout(embedded);
    layout->addWidget(RadioButton2);
    layout->addWidget(RadioButton3);
    layout->addWidget(GroupBox1);
    layout->addWidget(Memo1);
    layout->addLayout(buttons);

    connect(RadioButton1, &QRadioButton::clicked, this, guarded([this] { RadioButton1Click(); }));
    connect(RadioButton2, &QRadioButton::clicked, this, guarded([this] { ServerRadioClick(); }));
    connect(RadioButton3, &QRadioButton::clicked, this, guarded([this] { ServerRadioClick(); }));
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded([this] { Button3Click(); }));
    connect(Button4, &QPushButton::clicked, this, guarded([this] { Button4Click(); }));

    FormShow();
}

TSetDataFm::~TSetDataFm() = default;

void TSetDataFm::FormShow()
{
    const Session &session = Session::instance();
    if (session.DatabaseKind == QLatin1String("a")) {
        RadioButton1->setChecked(true);
        RadioButton1Click();
    } else if (session.DatabaseKind == QLatin1String("s") || session.DatabaseKind == QLatin1String("p")) {
        (session.DatabaseKind == QLatin1String("s") ? RadioButton2 : RadioButton3)->setChecked(true);
        ServerRadioClick();
    }
    if (IniFile *ini = session.ini) {
        Edit1->setText(ini->read(Section, QStringLiteral("ServerName")));
        Edit2->setText(ini->read(Section, QStringLiteral("DataBaseName")));
        Edit3->setText(ini->read(Section, QStringLiteral("UserName")));
        Edit4->setText(ini->read(Section, QStringLiteral("PassWord")));
        Memo1->setPlainText(ini->read(Section, QStringLiteral("cs")));
    }
}

void TSetDataFm::RadioButton1Click()
{
    GroupBox1->setEnabled(false);
    Button2->setEnabled(true);
}

void TSetDataFm::ServerRadioClick()
{
    GroupBox1->setTitle(RadioButton3->isChecked() ? QStringLiteral("PostgreSQL") : QStringLiteral("SqlServer"));
    GroupBox1->setEnabled(true);
    Button2->setEnabled(false);
}

QString TSetDataFm::serverProvider() const
{
    return RadioButton3->isChecked() ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLOLEDB.1");
}

void TSetDataFm::Button1Click()
{
    // A connection that is still open from an earlier test is closed first.
    testConnection_.reset();
    // Values holding ; or a quote are quoted, so that the parser reads them back as typed.
    testText_ = db::connectionText({{QStringLiteral("Provider"), serverProvider()},
                                    {QStringLiteral("Password"), Edit4->text()},
                                    {QStringLiteral("Persist Security Info"), QStringLiteral("True")},
                                    {QStringLiteral("User ID"), Edit3->text()},
                                    {QStringLiteral("Initial Catalog"), Edit2->text()},
                                    {QStringLiteral("Data Source"), Edit1->text()}})
        + QStringLiteral(";");
    Platform::instance().message(testText_);
    try {
        db::ConnectionSpec spec = db::parseConnectionText(testText_, QString());
        spec.timeoutSeconds = 10;
        testConnection_ = std::make_unique<db::Database>(spec, Session::instance().DatabaseKind);
    } catch (const db::DbError &e) {
        Platform::instance().message(QStringLiteral("连接失败\n") + e.text());
        return;
    }
    Platform::instance().message(QStringLiteral("连接成功!"));
    Button2->setEnabled(true);
}

QString TSetDataFm::embeddedConnectionText() const
{
    if (!newFile_.isEmpty()) {
        // Inside the program folder the name stays relative, so the folder can move.
        const QString relative = QDir(programFolder()).relativeFilePath(newFile_);
        const QString source = relative.startsWith(QLatin1String("..")) ? newFile_ : relative;
        return db::connectionText({{QStringLiteral("Provider"), QStringLiteral("SQLite")},
                                   {QStringLiteral("Data Source"), source}});
    }
    // Without csaccess the embedded choice would lead nowhere at the next start.
    const IniFile *ini = Session::instance().ini;
    const QString current = ini ? ini->read(Section, QStringLiteral("csaccess")).trimmed() : QString();
    if (current.isEmpty() || current == QLatin1String("0"))
        return QStringLiteral("Provider=SQLite;Data Source=book.db");
    return {};
}

void TSetDataFm::Button2Click()
{
    IniFile *ini = Session::instance().ini;
    if (!ini)
        throw db::DbError(QStringLiteral("没有打开配置文件 de.ini"));
    if (RadioButton1->isChecked()) {
        ini->write(Section, QStringLiteral("abc"), QStringLiteral("a"));
        if (const QString text = embeddedConnectionText(); !text.isEmpty())
            ini->write(Section, QStringLiteral("csaccess"), text);
    } else if (RadioButton2->isChecked()) {
        ini->write(Section, QStringLiteral("abc"), QStringLiteral("s"));
    } else if (RadioButton3->isChecked()) {
        ini->write(Section, QStringLiteral("abc"), QStringLiteral("p"));
    }
    ini->write(Section, QStringLiteral("ServerName"), Edit1->text().trimmed());
    ini->write(Section, QStringLiteral("DataBaseName"), Edit2->text().trimmed());
    ini->write(Section, QStringLiteral("UserName"), Edit3->text().trimmed());
    ini->write(Section, QStringLiteral("PassWord"), Edit4->text().trimmed());
    ini->write(Section, QStringLiteral("cs"), testText_.trimmed());
    Platform::instance().message(QStringLiteral("软件重启后生效!"));
    accept();
}

void TSetDataFm::Button3Click()
{
    Platform::instance().message(QStringLiteral("软件重启后生效!"));
    reject();
}

void TSetDataFm::Button4Click()
{
    QString path = Platform::instance().saveFileName(QStringLiteral("新建图书馆数据库文件"),
                                                     QStringLiteral("数据库文件 (*.db)"),
                                                     QDir(programFolder()).filePath(QStringLiteral("book.db")));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".db");
    const QFileInfo file(path);
    // An existing file is never replaced: it may be a library's only copy.
    if (file.exists()) {
        Platform::instance().message(QStringLiteral("文件已存在,不能用它建立新的数据库: %1").arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (!QFileInfo(file.absolutePath()).isWritable())
        throw db::DbError(fileErrorText(path, QFileDevice::OpenError, QIODevice::WriteOnly));
    db::ConnectionSpec spec;
    spec.engine = db::Engine::SQLite;
    spec.file = QDir::cleanPath(file.absoluteFilePath());
    tools::createDatabase(spec);
    newFile_ = spec.file;
    RadioButton1->setChecked(true);
    RadioButton1Click();
    Platform::instance().message(QStringLiteral("新的数据库文件已建立: %1\n按“保存”后, 软件重启时使用它。")
                                     .arg(QDir::toNativeSeparators(spec.file)));
}
