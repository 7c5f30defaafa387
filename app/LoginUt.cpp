#include "app/LoginUt.h"

#include "admin/SetDataUt.h"
#include "app/IniFile.h"
#include "app/MainUt.h"
#include "catalogue/InExcelDataUt.h"
#include "common/ProgramFolder.h"
#include "app/Session.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TLoginFm::TLoginFm(QWidget *parent) : LibraryWindow(parent)
{
    setObjectName(QStringLiteral("LoginFm"));
    setWindowTitle(QStringLiteral("系统登录"));

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    QFont big = Label3->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    Label3->setFont(big);
    Label3->setAlignment(Qt::AlignCenter);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setEchoMode(QLineEdit::Password);
    Label1 = new QLabel(QStringLiteral("用户名(&U):"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(ComboBox1);
    Label2 = new QLabel(QStringLiteral("密  码(&P):"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setBuddy(Edit1);
    Button1 = namedButton(QStringLiteral("Button1"), QStringLiteral("确定"), this);
    Button1->setDefault(true);
    Button1->setAutoDefault(true);
    Button2 = namedButton(QStringLiteral("Button2"), QStringLiteral("取消"), this);

    auto *grid = new QGridLayout;
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(ComboBox1, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Edit1, 1, 1);
    auto *buttons = buttonRow({Button1, Button2});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label3);
    layout->addSpacing(12);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    // A window of fixed size: as large as its title and boxes need, never resized by hand.
    Label3->setMinimumWidth(360);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));

    FormCreate();
}

TLoginFm::~TLoginFm()
{
    delete settings_; // while this window can still hear it close
    mainFm_.reset();
    Session &session = Session::instance();
    if (session.database == database_.get())
        session.database = nullptr;
    if (session.ini == ini_.get())
        session.ini = nullptr;
}

void TLoginFm::FormCreate()
{
    Session &session = Session::instance();
    ini_ = std::make_unique<IniFile>(QDir(programFolder()).filePath(QStringLiteral("de.ini")));
    session.ini = ini_.get();
    const QString section = QStringLiteral("part1");
    session.softname = ini_->read(section, QStringLiteral("softname"));
    session.tel = ini_->read(section, QStringLiteral("tel"));
    session.company = ini_->read(section, QStringLiteral("company"));
    session.Memo = ini_->read(section, QStringLiteral("Memo"));
    session.web = ini_->read(section, QStringLiteral("web"));
    session.DatabaseKind = ini_->read(section, QStringLiteral("abc"));

    const QString failure = openConnection();
    if (!failure.isEmpty()) {
        Platform::instance().message(QStringLiteral("数据库连接失败,请选择数据库.\n\n") + failure);
        // The settings take effect at the next start: nothing can run on a connection that is
        // down, so the program ends when they close.
        settings_ = new TSetDataFm(this);
        Platform::instance().openWindow(settings_, [this] { endProgram(); });
        return;
    }
    fillAdministrators();
    Label3->setText(session.softname);
}

// Which server and database a connection text reaches, for a message.
static QString serverNamed(const db::ConnectionSpec &spec)
{
    if (spec.engine == db::Engine::PostgreSQL)
        return QStringLiteral("PostgreSQL 服务器 %1:%2 上的数据库 %3")
            .arg(spec.host, QString::number(spec.port > 0 ? spec.port : 5432), spec.database);
    const QString server = spec.instance.isEmpty() ? spec.host : spec.host + QLatin1Char('\\') + spec.instance;
    return QStringLiteral("SqlServer 服务器 %1 上的数据库 %2").arg(server, spec.database);
}

QString TLoginFm::openConnection()
{
    Session &session = Session::instance();
    session.database = nullptr;
    database_.reset();
    const QString iniPath = QDir::toNativeSeparators(ini_->path());
    if (!ini_->exists())
        return QStringLiteral("找不到配置文件 %1").arg(iniPath);
    const QString section = QStringLiteral("part1");
    const bool server = session.DatabaseKind == QLatin1String("s") || session.DatabaseKind == QLatin1String("p");
    const QString key = server ? QStringLiteral("cs") : QStringLiteral("csaccess");
    const QString text = ini_->read(section, key);
    if (text.trimmed().isEmpty() || text == QLatin1String("0"))
        return QStringLiteral("配置文件 %1 中没有数据库连接 (%2)").arg(iniPath, key);
    db::ConnectionSpec spec;
    try {
        spec = db::parseConnectionText(text, programFolder());
        database_ = std::make_unique<db::Database>(spec, session.DatabaseKind);
    } catch (const db::DbError &e) {
        // The embedded file's failures name the file themselves; a server's do not.
        if (spec.engine == db::Engine::SQLite || spec.host.isEmpty())
            return e.text();
        return QStringLiteral("无法连接%1:\n%2").arg(serverNamed(spec), e.text());
    }
    session.database = database_.get();
    return {};
}

void TLoginFm::fillAdministrators()
{
    db::Rows rows = sharedDb().select(db::Sql("select * from admin"));
    ComboBox1->clear();
    bool first = true;
    while (rows.next()) {
        const QString name = rows.text(QStringLiteral("AdminName"));
        ComboBox1->addItem(name);
        if (first)
            ComboBox1->setEditText(name);
        first = false;
    }
}

void TLoginFm::showEvent(QShowEvent *event)
{
    LibraryWindow::showEvent(event);
    if (connected())
        guarded([this] { FormShow(); })();
}

void TLoginFm::FormShow()
{
    db::Rows rows = sharedDb().select(db::Sql("select * from admin where AdminName=") + db::Sql::text(QStringLiteral("超级管理员")));
    const bool defaultPassword = rows.next() && rows.text(QStringLiteral("pwd")) == QLatin1String("7394");
    Edit1->setText(defaultPassword ? QStringLiteral("7394") : QString());
}

void TLoginFm::copyLibrarySettings()
{
    Session &session = Session::instance();
    db::Rows rows = sharedDb().select(db::Sql("select * from 系统设置"));
    if (!rows.next())
        return;
    session.rentEnabled = rows.yes(QStringLiteral("启用租金功能"));
    session.readerRent = rows.yes(QStringLiteral("启用读者租金"));
    session.readerValidity = rows.yes(QStringLiteral("启用读者有效期"));
    session.loanLimit = rows.yes(QStringLiteral("借阅数量限制功能"));
    session.libraryName = rows.text(QStringLiteral("图书馆名"));
    session.openingFee = rows.money(QStringLiteral("开户费"));
}

void TLoginFm::Button1Click()
{
    copyLibrarySettings();

    Session &session = Session::instance();
    const QString name = ComboBox1->currentText();
    db::Rows rows = sharedDb().select(db::Sql("select * from admin where adminname =") + db::Sql::text(name)
                                      + db::Sql(" and pwd=") + db::Sql::text(Edit1->text()));
    if (!rows.next()) {
        Platform::instance().message(QStringLiteral("密码不正确!"));
        Edit1->setFocus();
        Edit1->selectAll();
        return;
    }
    for (int i = 0; i < 14; ++i)
        session.at(i) = rows.yes(QString::fromLatin1(Rights::columns()[i]));
    const QString trimmed = name.trimmed();
    if (trimmed == QStringLiteral("超级管理员"))
        session.setAll(true);
    session.adminname = trimmed;

    hide();
    if (!mainFm_) {
        mainFm_ = std::make_unique<TMainFm>();
        connect(mainFm_.get(), &TMainFm::closed, this, [this] { endProgram(); });
        // Made with the main window and only hidden when closed: the chosen file stays.
        mainFm_->setImportWindow(new TInExcelDataFm(mainFm_.get()));
    }
    mainFm_->setWindowModality(Qt::ApplicationModal);
    mainFm_->showMaximized();
}

void TLoginFm::Button2Click() { endProgram(); }

void TLoginFm::reject() { endProgram(); }

void TLoginFm::closeEvent(QCloseEvent *event)
{
    event->accept();
    endProgram();
}

void TLoginFm::endProgram() { emit programEnded(); }
