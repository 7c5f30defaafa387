// Database settings: opening per kind, save, exit, the connection test, a new library file.
#include "InputLabels.h"
#include "RecordingPlatform.h"
#include "TestLibrary.h"
#include "ReadOnlyFolder.h"
#include "admin/AdminUt.h"
#include "admin/BackUpAccessUt.h"
#include "admin/BookCheckUt.h"
#include "admin/ChangePwdUt.h"
#include "admin/CleandataUt.h"
#include "admin/SetDataUt.h"
#include "admin/SysInfoSetUt.h"
#include "app/FunctionWindows.h"
#include "app/LoginUt.h"
#include "app/MainUt.h"
#include "db/Money.h"
#include "db/Transaction.h"
#include "app/IniFile.h"
#include "common/ProgramFolder.h"
#include "app/Session.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableWidget>
#include <QtTest>

class TstAdmin : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void openingFollowsTheKind_data();
    void openingFollowsTheKind();
    void saveWithAccessWritesWithoutTest();
    void exitWritesNothing();
    void failedTestKeepsSaveDisabled_data();
    void failedTestKeepsSaveDisabled();
    void successfulTestEnablesSave();
    void saveEmbeddedWritesACompleteConnection_data();
    void saveEmbeddedWritesACompleteConnection();
    void delimitersInCredentialsSurvive_data();
    void delimitersInCredentialsSurvive();
    void delimitersInCredentialsConnect();
    void newMakesALibraryFile_data();
    void newMakesALibraryFile();
    void newNeverReplacesAFile();
    void inputsAnnounceTheirCaptions();

    void newAdministratorsStartWithoutRights_data() { TestLibrary::addEngineRows(); }
    void newAdministratorsStartWithoutRights();
    void superAdministratorCannotBeDeleted_data() { TestLibrary::addEngineRows(); }
    void superAdministratorCannotBeDeleted();
    void passwordChange_data();
    void passwordChange();
    void returnFocusRadioButtons_data();
    void returnFocusRadioButtons();
    void feeMustBeFilled_data() { TestLibrary::addEngineRows(); }
    void feeMustBeFilled();
    void settingsAreReadByTheNextLogin_data() { TestLibrary::addEngineRows(); }
    void settingsAreReadByTheNextLogin();
    void backupRefusesTheProgramFolder_data();
    void backupRefusesTheProgramFolder();
    void backupIsAWorkingCopy();
    void backupWhileAnotherDeskWrites();
    void failedBackupSaysWhy();
    void initialisationNeedsThePassword_data();
    void initialisationNeedsThePassword();
    void initialisationWithoutABoxDoesNothing();
    void eachBoxDeletesItsTableOnly_data();
    void eachBoxDeletesItsTableOnly();
    void initialisationBacksUpFirst();
    void initialisationStopsWhenTheBackupFails();
    void serverInitialisationNamesItsBackupTool();
    void menuOpensTheWindows();
    void consistencyCheckRepairsAfterABackup_data() { TestLibrary::addEngineRows(); }
    void consistencyCheckRepairsAfterABackup();

private:
    void useLibrary(TestLibrary &library);
    QString iniText() const;
    QTemporaryDir dir_;
    std::unique_ptr<IniFile> ini_;
    RecordingPlatform *platform_ = nullptr;
};

void TstAdmin::init()
{
    Session::reset();
    platform_ = &RecordingPlatform::install();
    QFile f(dir_.filePath(QStringLiteral("de.ini")));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[part1]\nabc=a\ncsaccess=Provider=SQLite;Data Source=book.db\nServerName=  srv  \nDataBaseName=book\n");
    f.close();
    ini_ = std::make_unique<IniFile>(f.fileName());
    Session::instance().ini = ini_.get();
    setProgramFolder(dir_.path());
}

void TstAdmin::cleanup()
{
    QVERIFY2(platform_->unanswered.isEmpty(), qPrintable(platform_->unanswered.join(" | ")));
    Session::reset();
    ini_.reset();
}

QString TstAdmin::iniText() const
{
    QFile f(dir_.filePath(QStringLiteral("de.ini")));
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

void TstAdmin::openingFollowsTheKind_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("checked"); // 0 none, 1 Access, 2 SQL Server, 3 PostgreSQL
    QTest::addColumn<bool>("groupEnabled");
    QTest::addColumn<bool>("saveEnabled");
    QTest::addColumn<QString>("group"); // captioned by the server kind
    QTest::newRow("a") << "a" << 1 << false << true << "SqlServer";
    QTest::newRow("s") << "s" << 2 << true << false << "SqlServer";
    QTest::newRow("p") << "p" << 3 << true << false << "PostgreSQL";
    QTest::newRow("0 after a missing de.ini") << "0" << 0 << false << false << "SqlServer";
}

void TstAdmin::openingFollowsTheKind()
{
    QFETCH(QString, kind);
    QFETCH(int, checked);
    QFETCH(bool, groupEnabled);
    QFETCH(bool, saveEnabled);
    QFETCH(QString, group);
    Session::instance().DatabaseKind = kind;
    TSetDataFm fm;
    QCOMPARE(fm.windowTitle(), QStringLiteral("数据库设置"));
    QCOMPARE(fm.RadioButton1->text(), QStringLiteral("本地数据库文件 (SQLite, 可以直接保存)"));
    QCOMPARE(fm.GroupBox1->title(), group);
    const QList<QRadioButton *> radios{fm.RadioButton1, fm.RadioButton2, fm.RadioButton3};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(radios[i]->isChecked(), checked == i + 1);
    QCOMPARE(fm.GroupBox1->isEnabled(), groupEnabled);
    QCOMPARE(fm.Button2->isEnabled(), saveEnabled);
    QCOMPARE(fm.Edit1->text(), QStringLiteral("srv"));
    QCOMPARE(fm.Edit3->text(), QStringLiteral("0")); // missing keys read as "0"
    if (checked == 0) {
        fm.RadioButton3->click();
        QCOMPARE(fm.GroupBox1->title(), QStringLiteral("PostgreSQL"));
        fm.RadioButton2->click();
        QCOMPARE(fm.GroupBox1->title(), QStringLiteral("SqlServer"));
        QVERIFY(fm.GroupBox1->isEnabled());
        QVERIFY(!fm.Button2->isEnabled());
        fm.RadioButton1->click();
        QVERIFY(!fm.GroupBox1->isEnabled());
        QVERIFY(fm.Button2->isEnabled());
    }
}

void TstAdmin::saveWithAccessWritesWithoutTest()
{
    Session::instance().DatabaseKind = QStringLiteral("a");
    TSetDataFm fm;
    fm.Edit3->setText(QStringLiteral("  sa "));
    fm.Button2->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("软件重启后生效!")});
    IniFile written(dir_.filePath(QStringLiteral("de.ini")));
    const QString s = QStringLiteral("part1");
    QCOMPARE(written.read(s, QStringLiteral("abc")), QStringLiteral("a"));
    QCOMPARE(written.read(s, QStringLiteral("ServerName")), QStringLiteral("srv"));
    QCOMPARE(written.read(s, QStringLiteral("DataBaseName")), QStringLiteral("book"));
    QCOMPARE(written.read(s, QStringLiteral("UserName")), QStringLiteral("sa"));
    QCOMPARE(written.read(s, QStringLiteral("PassWord")), QStringLiteral("0"));
    QCOMPARE(written.read(s, QStringLiteral("cs")), fm.testConnectionText());
    QVERIFY(written.read(s, QStringLiteral("cs")).startsWith(QStringLiteral("Provider=SQLOLEDB.1;")));
    QCOMPARE(written.read(s, QStringLiteral("csaccess")), QStringLiteral("Provider=SQLite;Data Source=book.db"));
}

void TstAdmin::exitWritesNothing()
{
    Session::instance().DatabaseKind = QStringLiteral("s");
    const QString before = iniText();
    TSetDataFm fm;
    fm.RadioButton1->click();
    fm.Button3->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("软件重启后生效!")});
    QCOMPARE(iniText(), before);
}

void TstAdmin::failedTestKeepsSaveDisabled_data()
{
    QTest::addColumn<int>("radio");
    QTest::newRow("sql server") << 2;
    QTest::newRow("postgresql") << 3;
}

void TstAdmin::failedTestKeepsSaveDisabled()
{
    QFETCH(int, radio);
    Session::instance().DatabaseKind = radio == 2 ? QStringLiteral("s") : QStringLiteral("p");
    TSetDataFm fm;
    // Nothing listens on port 1 of this machine.
    fm.Edit1->setText(radio == 2 ? QStringLiteral("127.0.0.1,1") : QStringLiteral("127.0.0.1:1"));
    fm.Edit2->setText(QStringLiteral("book"));
    fm.Edit3->setText(QStringLiteral("sa"));
    fm.Edit4->setText(QStringLiteral("pw"));
    QElapsedTimer timer;
    timer.start();
    fm.Button1->click();
    QVERIFY(timer.elapsed() < 15000);
    const QString provider = radio == 2 ? QStringLiteral("SQLOLEDB.1") : QStringLiteral("PostgreSQL");
    const QString expected = QStringLiteral("Provider=%1;Password=pw;Persist Security Info=True;User ID=sa;Initial Catalog=book;Data Source=%2;")
                                 .arg(provider, fm.Edit1->text());
    const QStringList messages = platform_->messages();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages.first(), expected);
    // "连接失败" and the driver's reason under it.
    QVERIFY2(messages.last().startsWith(QStringLiteral("连接失败\n")) && messages.last().size() > 10, qPrintable(messages.last()));
    QVERIFY(!fm.Button2->isEnabled());
    QCOMPARE(fm.testConnectionText(), expected);
}

void TstAdmin::successfulTestEnablesSave()
{
    LIBRARY_NEEDS_POSTGRES();
    TestLibrary pg(TestLibrary::EngineChoice::PostgreSQL);
    Session::instance().DatabaseKind = QStringLiteral("p");
    TSetDataFm fm;
    fm.Edit1->setText(pg.spec().host + QLatin1Char(':') + QString::number(pg.spec().port));
    fm.Edit2->setText(pg.spec().database);
    fm.Edit3->setText(pg.spec().user);
    fm.Edit4->setText(QString());
    fm.Button1->click();
    QCOMPARE(platform_->messages().last(), QStringLiteral("连接成功!"));
    QVERIFY(fm.Button2->isEnabled());
    // A second test closes the first connection before it opens again.
    fm.Button1->click();
    QCOMPARE(platform_->messages().last(), QStringLiteral("连接成功!"));
    fm.Button2->click();
    IniFile written(dir_.filePath(QStringLiteral("de.ini")));
    QCOMPARE(written.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("p"));
    QCOMPARE(written.read(QStringLiteral("part1"), QStringLiteral("cs")), fm.testConnectionText());
}

void TstAdmin::saveEmbeddedWritesACompleteConnection_data()
{
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("csaccess");
    QTest::newRow("no csaccess") << "[part1]\nabc=0\n" << "Provider=SQLite;Data Source=book.db";
    QTest::newRow("csaccess 0") << "[part1]\nabc=0\ncsaccess=0\n" << "Provider=SQLite;Data Source=book.db";
    QTest::newRow("no de.ini") << "" << "Provider=SQLite;Data Source=book.db";
    QTest::newRow("a file of the library's own stays")
        << "[part1]\nabc=s\ncsaccess=Provider=SQLite;Data Source=/srv/library/main.db\n"
        << "Provider=SQLite;Data Source=/srv/library/main.db";
}

void TstAdmin::saveEmbeddedWritesACompleteConnection()
{
    QFETCH(QString, ini);
    QFETCH(QString, csaccess);
    const QString path = dir_.filePath(QStringLiteral("de.ini"));
    QFile::remove(path);
    if (!ini.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ini.toUtf8());
    }
    ini_ = std::make_unique<IniFile>(path);
    Session::instance().ini = ini_.get();
    TSetDataFm fm;
    fm.RadioButton1->click();
    fm.Button2->click();
    IniFile written(path);
    QCOMPARE(written.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("a"));
    QCOMPARE(written.read(QStringLiteral("part1"), QStringLiteral("csaccess")), csaccess);
    // The next start reaches the embedded file with it.
    const db::ConnectionSpec spec = db::parseConnectionText(csaccess, dir_.path());
    QCOMPARE(spec.engine, db::Engine::SQLite);
}

void TstAdmin::delimitersInCredentialsSurvive_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("database");
    QTest::newRow("plain") << "sa" << "pw" << "book";
    QTest::newRow("semicolon") << "sa" << "a;b" << "book";
    QTest::newRow("apostrophe") << "O'Neil" << "it's" << "book";
    QTest::newRow("double quote") << "sa" << "say \"hi\"" << "book";
    QTest::newRow("all three") << "x;'\"y" << "\";'=;\"" << "lib;rary";
    QTest::newRow("a quote first") << "sa" << "'abc" << "book";
}

void TstAdmin::delimitersInCredentialsSurvive()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, database);
    Session::instance().DatabaseKind = QStringLiteral("p");
    TSetDataFm fm;
    fm.Edit1->setText(QStringLiteral("127.0.0.1:1"));
    fm.Edit2->setText(database);
    fm.Edit3->setText(user);
    fm.Edit4->setText(password);
    fm.Button1->click(); // nothing listens: the text is built all the same
    const db::ConnectionSpec spec = db::parseConnectionText(fm.testConnectionText(), QString());
    QCOMPARE(spec.engine, db::Engine::PostgreSQL);
    QCOMPARE(spec.password, password);
    QCOMPARE(spec.user, user);
    QCOMPARE(spec.database, database);
    QCOMPARE(spec.host, QStringLiteral("127.0.0.1"));
    QCOMPARE(spec.port, 1);
}

void TstAdmin::delimitersInCredentialsConnect()
{
    LIBRARY_NEEDS_POSTGRES();
    TestLibrary pg(TestLibrary::EngineChoice::PostgreSQL);
    // A login role whose name and password hold every delimiter of a connection text.
    const QString user = QStringLiteral("desk;'\"1");
    const QString password = QStringLiteral("p;w'\"=x");
    auto quotedName = [](QString s) { return QLatin1Char('"') + s.replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"'); };
    auto quotedText = [](QString s) { return QLatin1Char('\'') + s.replace(QLatin1String("'"), QLatin1String("''")) + QLatin1Char('\''); };
    // Statements about roles cannot be prepared: run as they are.
    auto admin = [&pg](const QString &statement) {
        QSqlQuery query(pg.db().handle());
        QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
    };
    admin(QStringLiteral("drop role if exists %1").arg(quotedName(user)));
    admin(QStringLiteral("create role %1 login password %2").arg(quotedName(user), quotedText(password)));
    Session::instance().DatabaseKind = QStringLiteral("p");
    {
        TSetDataFm fm;
        fm.Edit1->setText(pg.spec().host + QLatin1Char(':') + QString::number(pg.spec().port));
        fm.Edit2->setText(pg.spec().database);
        fm.Edit3->setText(user);
        fm.Edit4->setText(password);
        fm.Button1->click();
        QCOMPARE(platform_->messages().last(), QStringLiteral("连接成功!"));
        fm.Button2->click();
    }
    // The stored cs reaches the server as this role and gives the same password back.
    const QString cs = IniFile(dir_.filePath(QStringLiteral("de.ini"))).read(QStringLiteral("part1"), QStringLiteral("cs"));
    const db::ConnectionSpec spec = db::parseConnectionText(cs, dir_.path());
    QCOMPARE(spec.user, user);
    QCOMPARE(spec.password, password);
    {
        db::Database connection(spec, QStringLiteral("p"));
        db::Rows rows = connection.select(db::Sql("select current_user as who"));
        QVERIFY(rows.next());
        QCOMPARE(rows.text(QStringLiteral("who")), user);
    }
    admin(QStringLiteral("drop owned by %1").arg(quotedName(user)));
    admin(QStringLiteral("drop role %1").arg(quotedName(user)));
}

void TstAdmin::newMakesALibraryFile_data()
{
    QTest::addColumn<QString>("answer"); // the save dialog's answer, relative to the program folder
    QTest::addColumn<QString>("csaccess"); // %1: the program folder
    QTest::newRow("beside the program") << "book.db" << "Provider=SQLite;Data Source=book.db";
    QTest::newRow("no suffix typed") << "library" << "Provider=SQLite;Data Source=library.db";
    QTest::newRow("in a sub-folder") << "data/main.db" << "Provider=SQLite;Data Source=data/main.db";
    QTest::newRow("elsewhere: absolute") << "../elsewhere/lib.db" << "Provider=SQLite;Data Source=%1/../elsewhere/lib.db";
    QTest::newRow("a delimiter in the name") << "a;b.db" << "Provider=SQLite;Data Source=\"a;b.db\"";
}

void TstAdmin::newMakesALibraryFile()
{
    QFETCH(QString, answer);
    QFETCH(QString, csaccess);
    QTemporaryDir root;
    const QString program = root.filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(program + QStringLiteral("/data")));
    QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("elsewhere"))));
    setProgramFolder(program);
    Session::instance().DatabaseKind = QStringLiteral("s");
    TSetDataFm fm;
    QVERIFY(!fm.Button2->isEnabled());
    platform_->answers.enqueue(program + QLatin1Char('/') + answer);
    fm.Button4->click();
    QCOMPARE(platform_->texts(QStringLiteral("saveFile")), QStringList{QStringLiteral("新建图书馆数据库文件")});
    QCOMPARE(platform_->events.first().detail, program + QStringLiteral("/book.db")); // suggested
    QVERIFY(fm.RadioButton1->isChecked());
    QVERIFY(fm.Button2->isEnabled());
    QVERIFY(!fm.GroupBox1->isEnabled());
    QVERIFY(platform_->messages().last().startsWith(QStringLiteral("新的数据库文件已建立: ")));

    // The file holds a library with its required rows.
    const QString expected = csaccess.contains(QLatin1String("%1")) ? QDir::cleanPath(csaccess.arg(program)) : csaccess;
    QCOMPARE(fm.embeddedConnectionText(), expected);
    const db::ConnectionSpec spec = db::parseConnectionText(fm.embeddedConnectionText(), program);
    {
        db::Database made(spec, QStringLiteral("a"));
        db::Rows admin = made.select(db::Sql("select * from admin"));
        QVERIFY(admin.next());
        QCOMPARE(admin.text(QStringLiteral("AdminName")), QStringLiteral("超级管理员"));
        QVERIFY(made.select(db::Sql("select * from 系统设置")).next());
    }
    fm.Button2->click();
    IniFile written(dir_.filePath(QStringLiteral("de.ini")));
    QCOMPARE(written.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("a"));
    QCOMPARE(written.read(QStringLiteral("part1"), QStringLiteral("csaccess")), fm.embeddedConnectionText());
}

void TstAdmin::newNeverReplacesAFile()
{
    Session::instance().DatabaseKind = QStringLiteral("a");
    const QString existing = dir_.filePath(QStringLiteral("book.db"));
    {
        QFile f(existing);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("a library's only copy");
    }
    TSetDataFm fm;
    platform_->answers.enqueue(QString()); // cancelled: nothing made, nothing said
    fm.Button4->click();
    QVERIFY(platform_->messages().isEmpty());
    platform_->answers.enqueue(existing);
    fm.Button4->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("文件已存在,不能用它建立新的数据库: %1").arg(existing)});
    QFile f(existing);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("a library's only copy"));
    QCOMPARE(fm.embeddedConnectionText(), QString()); // csaccess stays as it is
}

void TstAdmin::inputsAnnounceTheirCaptions()
{
    Session::instance().DatabaseKind = QStringLiteral("s");
    TSetDataFm fm;
    fm.show();
    QVERIFY_INPUTS_LABELLED(&fm);
    QCOMPARE(spokenName(fm.Edit1), QStringLiteral("服务器名/ip地址:"));
    QCOMPARE(spokenName(fm.Edit2), QStringLiteral("数据库名:"));
    QCOMPARE(spokenName(fm.Edit3), QStringLiteral("用户名:"));
    QCOMPARE(spokenName(fm.Edit4), QStringLiteral("密码:"));
    fm.hide();
}

// --- administrators, password, library settings, backup, initialisation -----------------------

void TstAdmin::useLibrary(TestLibrary &library)
{
    setProgramFolder(library.folder());
    Session &session = Session::instance();
    session.ini = nullptr;
    session.database = &library.db();
    session.DatabaseKind = library.kind();
    session.adminname = QStringLiteral("超级管理员");
}

// Logs in through the login window as the next start would; the rights the Session then holds
// (empty when the login was refused). The library's own connection is the Session's again after.
static QStringList loginRights(TestLibrary &library, RecordingPlatform &platform, const QString &name,
                               const QString &password, bool *refused = nullptr)
{
    Session::instance().database = nullptr;
    QStringList rights;
    {
        TLoginFm fm;
        fm.ComboBox1->setEditText(name);
        fm.Edit1->setText(password);
        fm.Button1->click();
        if (refused)
            *refused = fm.mainWindow() == nullptr;
        if (fm.mainWindow()) {
            for (int i = 0; i < 14; ++i)
                if (Session::instance().at(i))
                    rights << QString::fromLatin1(Rights::columns()[i]);
            platform.answers.enqueue(true); // 确认要退出吗?
            fm.mainWindow()->close();
        }
    }
    Session::instance().database = &library.db();
    return rights;
}

static qint64 rowCount(db::Database &database, const QString &table)
{
    db::Rows rows = database.select(db::Sql::fixed(QStringLiteral("select count(*) as n from ") + table));
    return rows.next() ? rows.integer(QStringLiteral("n")) : -1;
}

static QString adminPassword(db::Database &database, const QString &name)
{
    db::Rows rows = database.select(db::Sql("select pwd from admin where AdminName=") + db::Sql::text(name));
    return rows.next() ? rows.text(QStringLiteral("pwd")) : QStringLiteral("<none>");
}

template <class W>
static std::unique_ptr<W> openWindow(const QString &windowClass)
{
    std::unique_ptr<W> fm(qobject_cast<W *>(FunctionWindows::factory(windowClass)(nullptr)));
    fm->show();
    return fm;
}

static void chooseAdministrator(TAdminFm &fm, const QString &name)
{
    for (int row = 0; row < fm.DBGrid1->rowCount(); ++row)
        if (fm.DBGrid1->value(row, QStringLiteral("AdminName")).toString() == name)
            fm.DBGrid1->setCurrentRow(row);
    QCOMPARE(fm.DBEdit1->text(), name);
}

void TstAdmin::newAdministratorsStartWithoutRights()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    auto fm = openWindow<TAdminFm>(QStringLiteral("TAdminFm"));
    QCOMPARE(fm->windowTitle(), QStringLiteral("系统管理员权限设置"));
    QVERIFY_INPUTS_LABELLED(fm.get());
    QCOMPARE(spokenName(fm->DBEdit1), QStringLiteral("用户名:"));
    QCOMPARE(fm->GroupBox2->title(), QStringLiteral("权限"));
    QVERIFY(!fm->GroupBox2->isEnabled());
    QVERIFY(!fm->DBEdit1->isEnabled());
    // The list shows the names only.
    QTableView *view = fm->DBGrid1->view();
    QStringList shown;
    for (int c = 0; c < view->model()->columnCount(); ++c)
        if (!view->isColumnHidden(c))
            shown << view->model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(shown, QStringList{QStringLiteral("AdminName")});
    // The twelve check boxes in their tab order, after the name.
    QStringList order;
    for (QWidget *w = fm->DBEdit1->nextInFocusChain(); w != fm->DBEdit1; w = w->nextInFocusChain())
        if (auto *check = qobject_cast<QCheckBox *>(w))
            order << check->text();
    QCOMPARE(order, (QStringList{"借阅", "归还", "读者资料管理", "期刊资料管理", "删除数据功能", "图书资料管理",
                                 "修改读者资料", "修改期刊资料", "修改图书资料", "管理员设置管理", "系统设置",
                                 "添加数据"}));
    // The super-administrator's row shows his rights.
    QVERIFY(fm->checkBox(QStringLiteral("qxSysSet"))->isChecked());

    fm->ToolButton1->click();
    QVERIFY(fm->GroupBox2->isEnabled());
    for (QCheckBox *check : fm->GroupBox2->findChildren<QCheckBox *>())
        QVERIFY2(!check->isChecked(), qPrintable(check->text()));
    fm->DBEdit1->setText(QStringLiteral("王五"));
    fm->ToolButton5->click();
    QVERIFY(!fm->GroupBox2->isEnabled());
    fm->ToolButton1->click();
    fm->DBEdit1->setText(QStringLiteral("李四"));
    fm->checkBox(QStringLiteral("qxborrow"))->setChecked(true);
    fm->checkBox(QStringLiteral("qxReturn"))->setChecked(true);
    fm->ToolButton5->click();
    QVERIFY(platform_->messages().isEmpty());

    for (const QString &name : {QStringLiteral("王五"), QStringLiteral("李四")}) {
        db::Rows rows = database.select(db::Sql("select * from admin where AdminName=") + db::Sql::text(name));
        QVERIFY(rows.next());
        QCOMPARE(rows.text(QStringLiteral("pwd")), QStringLiteral("7394"));
        for (const char *column : Rights::columns()) {
            const bool granted = name == QStringLiteral("李四")
                && (QLatin1String(column) == QLatin1String("qxborrow") || QLatin1String(column) == QLatin1String("qxreturn"));
            QCOMPARE(rows.yes(QString::fromLatin1(column)), granted);
        }
    }
    // They log in with the default password and hold what was ticked.
    QCOMPARE(loginRights(library, *platform_, QStringLiteral("王五"), QStringLiteral("7394")), QStringList());
    QCOMPARE(loginRights(library, *platform_, QStringLiteral("李四"), QStringLiteral("7394")),
             (QStringList{"qxborrow", "qxreturn"}));

    // 修改 changes the rights of the row chosen.
    chooseAdministrator(*fm, QStringLiteral("李四"));
    QVERIFY(fm->checkBox(QStringLiteral("qxborrow"))->isChecked());
    fm->ToolButton2->click();
    fm->checkBox(QStringLiteral("qxborrow"))->setChecked(false);
    fm->checkBox(QStringLiteral("qxSysSet"))->setChecked(true);
    fm->ToolButton5->click();
    QCOMPARE(loginRights(library, *platform_, QStringLiteral("李四"), QStringLiteral("7394")),
             (QStringList{"qxreturn", "qxsysset"}));
    // 取消 drops ticks.
    fm->ToolButton2->click();
    fm->checkBox(QStringLiteral("qxDel"))->setChecked(true);
    fm->ToolButton4->click();
    QVERIFY(!fm->checkBox(QStringLiteral("qxDel"))->isChecked());
    QCOMPARE(loginRights(library, *platform_, QStringLiteral("李四"), QStringLiteral("7394")),
             (QStringList{"qxreturn", "qxsysset"}));
}

void TstAdmin::superAdministratorCannotBeDeleted()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    auto fm = openWindow<TAdminFm>(QStringLiteral("TAdminFm"));
    chooseAdministrator(*fm, QStringLiteral("超级管理员"));
    fm->ToolButton3->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("超级管理员 不能删除！")});
    QCOMPARE(adminPassword(database, QStringLiteral("超级管理员")), QStringLiteral("7394"));
    // Renamed, the row is an ordinary one: asked for, and deleted on Yes, even as the last row.
    fm->ToolButton2->click();
    fm->DBEdit1->setText(QStringLiteral("老管理员"));
    fm->ToolButton5->click();
    platform_->answers.enqueue(true);
    fm->ToolButton3->click();
    QCOMPARE(platform_->texts(QStringLiteral("question")), QStringList{QStringLiteral("您是否要删除\" 老管理员\"")});
    QCOMPARE(adminPassword(database, QStringLiteral("老管理员")), QStringLiteral("<none>"));
    QCOMPARE(fm->DBGrid1->rowCount(), 0);
}

void TstAdmin::passwordChange_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("fresh");
    QTest::addColumn<QString>("again");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("after");
    QList<int> engines{int(TestLibrary::EngineChoice::SQLite)};
    if (TestLibrary::postgresAvailable())
        engines << int(TestLibrary::EngineChoice::PostgreSQL);
    const QString ok = QStringLiteral("修改成功！");
    const QString wrong = QStringLiteral("旧密码输入错误！");
    const QString mismatch = QStringLiteral("两次输入的新密码不一致！");
    for (int engine : engines) {
        const char *e = engine ? "postgresql" : "sqlite";
        QTest::addRow("%s changed", e) << engine << "7394" << "7394" << "neu" << "neu" << ok << "neu";
        QTest::addRow("%s wrong old", e) << engine << "7394" << "7395" << "neu" << "neu" << wrong << "7394";
        QTest::addRow("%s old with blanks", e) << engine << "7394" << " 7394" << "neu" << "neu" << wrong << "7394";
        QTest::addRow("%s a quote trick is a wrong old", e)
            << engine << "7394" << "\" or \"\"=\"" << "neu" << "neu" << wrong << "7394";
        QTest::addRow("%s an apostrophe trick is a wrong old", e)
            << engine << "7394" << "' or ''='" << "neu" << "neu" << wrong << "7394";
        QTest::addRow("%s quotes in the passwords", e) << engine << "a'b\"c" << "a'b\"c" << "x\"'y" << "x\"'y" << ok << "x\"'y";
        QTest::addRow("%s mismatch", e) << engine << "7394" << "7394" << "neu" << "neu " << mismatch << "7394";
        QTest::addRow("%s empty new", e) << engine << "7394" << "7394" << "" << "" << ok << "";
        QTest::addRow("%s blanks kept", e) << engine << "7394" << "7394" << " x " << " x " << ok << " x ";
    }
}

void TstAdmin::passwordChange()
{
    QFETCH(QString, stored);
    QFETCH(QString, old);
    QFETCH(QString, fresh);
    QFETCH(QString, again);
    QFETCH(QString, message);
    QFETCH(QString, after);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    const QString me = QStringLiteral("李四");
    database.insert(QStringLiteral("admin"), {{QStringLiteral("AdminName"), me}, {QStringLiteral("pwd"), stored}});
    Session::instance().adminname = me;
    auto fm = openWindow<TChangePwdFm>(QStringLiteral("TChangePwdFm"));
    QPointer<TChangePwdFm> alive = fm.get();
    QCOMPARE(fm->windowTitle(), QStringLiteral("修改密码"));
    QVERIFY_INPUTS_LABELLED(fm.get());
    QCOMPARE(fm->Label2->text(), me);
    for (QLineEdit *e : {fm->Edit1, fm->Edit2, fm->Edit3}) {
        QCOMPARE(e->echoMode(), QLineEdit::Password);
        QCOMPARE(e->text(), QString());
    }
    fm->Edit1->setText(old);
    fm->Edit2->setText(fresh);
    fm->Edit3->setText(again);
    fm->Button1->click();
    QCOMPARE(platform_->messages(), QStringList{message});
    QCOMPARE(adminPassword(database, me), after);
    QCOMPARE(adminPassword(database, QStringLiteral("超级管理员")), QStringLiteral("7394"));
    QCOMPARE(Session::instance().adminname, me);
    const bool changed = message == QStringLiteral("修改成功！");
    QCOMPARE(fm->isVisible(), !changed);
    if (!changed) {
        QCOMPARE(fm->Edit1->text(), old); // the boxes keep what was typed
        return;
    }
    // The next login needs the new password.
    bool refused = false;
    loginRights(library, *platform_, me, stored, &refused);
    QVERIFY(refused || stored == after);
    loginRights(library, *platform_, me, after, &refused);
    QVERIFY(!refused);
}

// Which radio button the window shows for the stored return focus, and what a save stores then.
void TstAdmin::returnFocusRadioButtons_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QList<bool>>("stored"); // 条形码, 图书编号, 读者编号
    QTest::addColumn<int>("shown");          // radio 1..3, 0 none
    QTest::addColumn<int>("chosen");         // clicked before saving, 0 none
    QTest::addColumn<QList<bool>>("saved");
    QList<int> engines{int(TestLibrary::EngineChoice::SQLite)};
    if (TestLibrary::postgresAvailable())
        engines << int(TestLibrary::EngineChoice::PostgreSQL);
    for (int engine : engines) {
        const char *e = engine ? "postgresql" : "sqlite";
        QTest::addRow("%s barcode", e) << engine << QList<bool>{true, false, false} << 1 << 0 << QList<bool>{true, false, false};
        QTest::addRow("%s two set: the last wins", e)
            << engine << QList<bool>{true, false, true} << 3 << 0 << QList<bool>{false, false, true};
        QTest::addRow("%s none set", e) << engine << QList<bool>{false, false, false} << 0 << 0 << QList<bool>{false, false, false};
        QTest::addRow("%s book number chosen", e)
            << engine << QList<bool>{true, false, false} << 1 << 2 << QList<bool>{false, true, false};
    }
}

static const QStringList focusColumns{QStringLiteral("归还焦点条形码"), QStringLiteral("归还焦点图书编号"),
                                      QStringLiteral("归还焦点读者编号")};

static QList<bool> storedFocus(db::Database &database)
{
    db::Rows rows = database.select(db::Sql("select * from 系统设置"));
    rows.next();
    QList<bool> out;
    for (const QString &c : focusColumns)
        out << rows.yes(c);
    return out;
}

void TstAdmin::returnFocusRadioButtons()
{
    QFETCH(QList<bool>, stored);
    QFETCH(int, shown);
    QFETCH(int, chosen);
    QFETCH(QList<bool>, saved);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    db::Fields fields;
    for (int i = 0; i < 3; ++i)
        fields.append({focusColumns[i], stored[i]});
    database.update(QStringLiteral("系统设置"), fields, db::Sql());
    auto fm = openWindow<TSysInfoSetFm>(QStringLiteral("TSysInfoSetFm"));
    QCOMPARE(fm->windowTitle(), QStringLiteral("系统设置"));
    QVERIFY_INPUTS_LABELLED(fm.get());
    QCOMPARE(fm->GroupBox1->title(), QStringLiteral("归还焦点"));
    const QList<QRadioButton *> radios{fm->RadioButton1, fm->RadioButton2, fm->RadioButton3};
    QCOMPARE((QStringList{radios[0]->text(), radios[1]->text(), radios[2]->text()}), (QStringList{"条形码", "图书编号", "读者编号"}));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(radios[i]->isChecked(), shown == i + 1);
    if (chosen)
        radios[chosen - 1]->click();
    fm->Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("新的设置重启软件后生效!")});
    QVERIFY(!fm->isVisible());
    QCOMPARE(storedFocus(database), saved);
}

void TstAdmin::feeMustBeFilled()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    auto fm = openWindow<TSysInfoSetFm>(QStringLiteral("TSysInfoSetFm"));
    QCOMPARE(fm->Edit1->text(), QStringLiteral("图书馆"));
    QCOMPARE(fm->Edit8->text(), QStringLiteral("0.00"));
    QCOMPARE(spokenName(fm->Edit8), QStringLiteral("开户费"));
    fm->Edit1->setText(QStringLiteral("新馆"));
    fm->Edit8->clear();
    fm->Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("开户费必须填写, \" 0 \" 代表不收取.")});
    QCOMPARE(fm->focusWidget(), fm->Edit8);
    QVERIFY(fm->isVisible());
    // Letters where a number belongs: the conversion's refusal, nothing stored, still open.
    fm->Edit8->setText(QStringLiteral("0"));
    fm->Edit6->setText(QStringLiteral("abc"));
    fm->Button1->click();
    QCOMPARE(platform_->errors().size(), 1);
    QVERIFY2(platform_->errors().first().contains(QStringLiteral("超期每日罚金")), qPrintable(platform_->errors().first()));
    QVERIFY(fm->isVisible());
    db::Rows rows = database.select(db::Sql("select * from 系统设置"));
    QVERIFY(rows.next());
    QCOMPARE(rows.text(QStringLiteral("图书馆名")), QStringLiteral("图书馆"));
    // "0" is a fee of nothing.
    fm->Edit6->setText(QStringLiteral("0.5"));
    fm->Button1->click();
    QVERIFY(!fm->isVisible());
    rows = database.select(db::Sql("select * from 系统设置"));
    QVERIFY(rows.next());
    QCOMPARE(rows.text(QStringLiteral("图书馆名")), QStringLiteral("新馆"));
    QCOMPARE(rows.money(QStringLiteral("开户费")), db::Money());
    QCOMPARE(rows.floating(QStringLiteral("超期每日罚金")), 0.5);
}

// The switches and values the login copies into the Session take effect at the next login;
// 取消 stores nothing.
void TstAdmin::settingsAreReadByTheNextLogin()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    {
        auto fm = openWindow<TSysInfoSetFm>(QStringLiteral("TSysInfoSetFm"));
        fm->CheckBox6->setChecked(true);
        fm->Edit1->setText(QStringLiteral("取消的名字"));
        fm->Button2->click();
        QVERIFY(!fm->isVisible());
    }
    QCOMPARE(rowCount(database, QStringLiteral("系统设置")), 1);
    db::Rows kept = database.select(db::Sql("select 图书馆名 from 系统设置"));
    QVERIFY(kept.next());
    QCOMPARE(kept.text(QStringLiteral("图书馆名")), QStringLiteral("图书馆"));
    loginRights(library, *platform_, QStringLiteral("超级管理员"), QStringLiteral("7394"));
    QCOMPARE(Session::instance().libraryName, QStringLiteral("图书馆"));
    QVERIFY(!Session::instance().rentEnabled);

    auto fm = openWindow<TSysInfoSetFm>(QStringLiteral("TSysInfoSetFm"));
    QStringList captions;
    for (QCheckBox *b : {fm->CheckBox1, fm->CheckBox2, fm->CheckBox3, fm->CheckBox4, fm->CheckBox5, fm->CheckBox6})
        captions << b->text();
    QCOMPARE(captions, (QStringList{"借出时打印清单", "借阅数量限制功能", "启用超期罚金", "启用读者租金",
                                    "启用读者有效期", "启用租金功能"}));
    fm->Edit1->setText(QStringLiteral("城东图书馆"));
    fm->CheckBox2->setChecked(true);
    fm->CheckBox4->setChecked(true);
    fm->CheckBox5->setChecked(true);
    fm->CheckBox6->setChecked(true);
    fm->Edit8->setText(QStringLiteral("12.5"));
    fm->Memo1->setPlainText(QStringLiteral("遗失请交还\n第二行"));
    fm->Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("新的设置重启软件后生效!")});
    // The running Session is not changed by the save.
    QCOMPARE(Session::instance().libraryName, QStringLiteral("图书馆"));

    loginRights(library, *platform_, QStringLiteral("超级管理员"), QStringLiteral("7394"));
    const Session &session = Session::instance();
    QCOMPARE(session.libraryName, QStringLiteral("城东图书馆"));
    QVERIFY(session.loanLimit);
    QVERIFY(session.readerRent);
    QVERIFY(session.readerValidity);
    QVERIFY(session.rentEnabled);
    QCOMPARE(session.openingFee, db::Money::fromRaw(125000));
    auto again = openWindow<TSysInfoSetFm>(QStringLiteral("TSysInfoSetFm"));
    QVERIFY(!again->CheckBox1->isChecked());
    QVERIFY(!again->CheckBox3->isChecked());
    QCOMPARE(again->Memo1->toPlainText(), QStringLiteral("遗失请交还\n第二行"));
    QCOMPARE(again->Edit8->text(), QStringLiteral("12.50"));
}

// Rows in the five data tables, the lookup lists and admin.
static void fillLibrary(db::Database &database)
{
    database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QStringLiteral("B1")}, {QStringLiteral("名称"), QStringLiteral("书")}});
    database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QStringLiteral("B2")}});
    database.insert(QStringLiteral("期刊"), {{QStringLiteral("编号"), QStringLiteral("Q1")}});
    database.insert(QStringLiteral("读者库"), {{QStringLiteral("读者编号"), QStringLiteral("R1")}});
    database.insert(QStringLiteral("借出记录"), {{QStringLiteral("读者编号"), QStringLiteral("R1")}, {QStringLiteral("编号"), QStringLiteral("B1")}});
    database.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QStringLiteral("充值")}, {QStringLiteral("金额"), QStringLiteral("10")}});
    database.insert(QStringLiteral("分类"), {{QStringLiteral("名称"), QStringLiteral("文学")}});
}

static const QStringList allTables{QStringLiteral("图书"), QStringLiteral("期刊"), QStringLiteral("读者库"),
                                   QStringLiteral("借出记录"), QStringLiteral("收入"), QStringLiteral("admin"),
                                   QStringLiteral("系统设置"), QStringLiteral("分类"), QStringLiteral("读者类别"),
                                   QStringLiteral("租金级别"), QStringLiteral("币种")};

static QMap<QString, qint64> tableCounts(db::Database &database)
{
    QMap<QString, qint64> counts;
    for (const QString &t : allTables)
        counts.insert(t, rowCount(database, t));
    return counts;
}

static std::unique_ptr<db::Database> openCopy(const TestLibrary &library, const QString &file)
{
    db::ConnectionSpec spec = library.spec();
    spec.file = file;
    return std::make_unique<db::Database>(spec, library.kind());
}

void TstAdmin::backupRefusesTheProgramFolder_data()
{
    QTest::addColumn<QString>("typed"); // %1: the program folder
    QTest::newRow("as it is") << "%1";
    QTest::newRow("trailing separator") << "%1/";
    QTest::newRow("dot") << "%1/./";
    QTest::newRow("up and down") << "%1/sub/..";
    QTest::newRow("a link to it") << "link";
    QTest::newRow("the database's own folder elsewhere") << "data";
}

void TstAdmin::backupRefusesTheProgramFolder()
{
    QFETCH(QString, typed);
    TestLibrary library;
    useLibrary(library);
    const QString program = library.folder();
    QVERIFY(QDir(program).mkpath(QStringLiteral("sub")));
    QTemporaryDir elsewhere;
    std::unique_ptr<db::Database> moved;
    if (typed == QLatin1String("link")) {
        typed = elsewhere.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(program, typed));
    } else if (typed == QLatin1String("data")) {
        // A library file outside the program folder: its own folder is refused too.
        QVERIFY(QFile::copy(library.spec().file, elsewhere.filePath(QStringLiteral("lib.db"))));
        moved = openCopy(library, elsewhere.filePath(QStringLiteral("lib.db")));
        Session::instance().database = moved.get();
        typed = elsewhere.path() + QStringLiteral("/");
    } else {
        typed = typed.arg(program);
    }
    const QStringList before = QDir(program).entryList(QDir::Files);
    auto fm = openWindow<TBackUpAccessFm>(QStringLiteral("TBackUpAccessFm"));
    fm->Edit1->setText(typed);
    fm->Button1->click();
    QCOMPARE(platform_->messages(),
             QStringList{QStringLiteral("不能在本软件的当前目录下备份,那样会破坏原数据库文件,请选择其他地方备份!")});
    QCOMPARE(QDir(program).entryList(QDir::Files), before);
    QCOMPARE(QDir(elsewhere.path()).entryList({QStringLiteral("*.part")}, QDir::Files), QStringList());
}

void TstAdmin::backupIsAWorkingCopy()
{
    TestLibrary library;
    useLibrary(library);
    db::Database &database = library.db();
    fillLibrary(database);
    auto fm = openWindow<TBackUpAccessFm>(QStringLiteral("TBackUpAccessFm"));
    QCOMPARE(fm->windowTitle(), QStringLiteral("备份数据"));
    QVERIFY_INPUTS_LABELLED(fm.get());
    QCOMPARE(fm->Label2->text(), QStringLiteral("还原数据就是把备份好的数据文件拷贝到图书管理软件的安装目录下,覆盖book.db就可以了."));
    QVERIFY(fm->Label3->text().contains(QDir::toNativeSeparators(library.spec().file)));

    // The folder comes from the folder dialog; the list shows the library's files there.
    QTemporaryDir target;
    QFile other(target.filePath(QStringLiteral("notes.txt")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();
    platform_->answers.enqueue(target.path());
    fm->Button3->click();
    QCOMPARE(platform_->texts(QStringLiteral("folder")), QStringList{QStringLiteral("请选择好要备份的位置")});
    QCOMPARE(fm->Edit1->text(), QDir::toNativeSeparators(target.path()));
    QCOMPARE(fm->FileListBox1->count(), 0);
    fm->Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("备份成功!")});
    QCOMPARE(fm->FileListBox1->count(), 1);
    QCOMPARE(fm->FileListBox1->item(0)->text(), QStringLiteral("book.db"));
    const QString copy = target.filePath(QStringLiteral("book.db"));
    QCOMPARE(tableCounts(*openCopy(library, copy)), tableCounts(database));

    // The program works on; a second backup replaces the first without a question.
    database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QStringLiteral("B3")}});
    QCOMPARE(rowCount(database, QStringLiteral("图书")), 3);
    platform_->clear();
    fm->Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("备份成功!")});
    QVERIFY(platform_->texts(QStringLiteral("question")).isEmpty());
    QCOMPARE(rowCount(*openCopy(library, copy), QStringLiteral("图书")), 3);
    QCOMPARE(QDir(target.path()).entryList(QDir::Files), (QStringList{"book.db", "notes.txt"}));
    QCOMPARE(rowCount(database, QStringLiteral("图书")), 3);
}

// Another desk writes while the backup is taken: its finished writes are in the copy, its
// unfinished transaction is not and does not hold the backup up; the copy is a sound database.
void TstAdmin::backupWhileAnotherDeskWrites()
{
    TestLibrary library;
    useLibrary(library);
    db::Database &database = library.db();
    fillLibrary(database);
    db::Database desk(library.spec(), library.kind());
    for (int i = 0; i < 20; ++i)
        desk.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QStringLiteral("已提交")}});
    db::Transaction unfinished(desk);
    desk.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QStringLiteral("未提交")}});
    desk.exec(db::Sql("update 图书 set 数量 = 数量 + 5"));

    QTemporaryDir target;
    auto fm = openWindow<TBackUpAccessFm>(QStringLiteral("TBackUpAccessFm"));
    fm->Edit1->setText(target.path());
    fm->Button1->click();
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("备份成功!")});
    unfinished.commit();

    auto copy = openCopy(library, target.filePath(QStringLiteral("book.db")));
    db::Rows check = copy->select(db::Sql("pragma integrity_check"));
    QVERIFY(check.next());
    QCOMPARE(check.query().value(0).toString(), QStringLiteral("ok"));
    QCOMPARE(rowCount(*copy, QStringLiteral("收入")), 21);
    db::Rows books = copy->select(db::Sql("select sum(数量) as n from 图书"));
    QVERIFY(books.next());
    QCOMPARE(books.integer(QStringLiteral("n")), 0);
    QCOMPARE(rowCount(database, QStringLiteral("收入")), 22);
}

void TstAdmin::failedBackupSaysWhy()
{
    TestLibrary library;
    useLibrary(library);
    auto fm = openWindow<TBackUpAccessFm>(QStringLiteral("TBackUpAccessFm"));
    {
        ReadOnlyFolder target;
        fm->Edit1->setText(target.path());
        fm->Button1->click();
        QCOMPARE(platform_->messages().size(), 1);
        QVERIFY2(platform_->errors().value(0).startsWith(QStringLiteral("备份失败!\n")), qPrintable(platform_->messages().first()));
        QVERIFY(QDir(target.path()).entryList(QDir::Files).isEmpty());
    }
    platform_->clear();
    QTemporaryDir missing;
    fm->Edit1->setText(missing.filePath(QStringLiteral("不存在")));
    fm->Button1->click();
    QCOMPARE(platform_->errors(), QStringList{QStringLiteral("备份失败!\n文件夹不存在: %1").arg(missing.filePath(QStringLiteral("不存在")))});
    QVERIFY(!platform_->messages().contains(QStringLiteral("备份成功!")));
}

void TstAdmin::initialisationNeedsThePassword_data()
{
    QTest::addColumn<QVariant>("answer");
    QTest::newRow("wrong") << QVariant(QStringLiteral("123456"));
    QTest::newRow("cancelled") << QVariant();
    QTest::newRow("empty") << QVariant(QString());
    QTest::newRow("letter case") << QVariant(QStringLiteral("KQT583920174"));
    QTest::newRow("a blank") << QVariant(QStringLiteral("kqt583920174 "));
}

void TstAdmin::initialisationNeedsThePassword()
{
    QFETCH(QVariant, answer);
    TestLibrary library;
    useLibrary(library);
    fillLibrary(library.db());
    const auto before = tableCounts(library.db());
    auto fm = openWindow<TCleanDataFm>(QStringLiteral("TCleanDataFm"));
    QCOMPARE(fm->windowTitle(), QStringLiteral("清理数据"));
    for (QCheckBox *b : {fm->CheckBox1, fm->CheckBox2, fm->CheckBox3, fm->CheckBox4, fm->CheckBox5}) {
        QVERIFY(!b->isChecked());
        b->setChecked(true);
    }
    platform_->answers.enqueue(answer);
    fm->Button1->click();
    QCOMPARE(platform_->texts(QStringLiteral("input")), QStringList{QStringLiteral("输入正确的密码后才能执行删除任务:")});
    QCOMPARE(platform_->events.first().title, QStringLiteral("输入密码"));
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("密码错误!")});
    QCOMPARE(tableCounts(library.db()), before);
    QVERIFY(!QFileInfo::exists(QDir(library.folder()).filePath(QStringLiteral("backups"))));
}

void TstAdmin::initialisationWithoutABoxDoesNothing()
{
    TestLibrary library;
    useLibrary(library);
    fillLibrary(library.db());
    const auto before = tableCounts(library.db());
    auto fm = openWindow<TCleanDataFm>(QStringLiteral("TCleanDataFm"));
    platform_->answers.enqueue(TCleanDataFm::Password);
    fm->Button1->click();
    QCOMPARE(platform_->texts(QStringLiteral("input")).size(), 1);
    QCOMPARE(platform_->messages(), QStringList());
    QCOMPARE(tableCounts(library.db()), before);
    QVERIFY(!QFileInfo::exists(QDir(library.folder()).filePath(QStringLiteral("backups"))));
}

void TstAdmin::eachBoxDeletesItsTableOnly_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("done");
    QList<int> engines{int(TestLibrary::EngineChoice::SQLite)};
    if (TestLibrary::postgresAvailable())
        engines << int(TestLibrary::EngineChoice::PostgreSQL);
    const char *rows[][3] = {{"删除图书信息", "图书", "删除图书数据完毕!"},
                             {"删除期刊信息", "期刊", "删除期刊数据完毕!"},
                             {"删除读者信息", "读者库", "删除读者数据完毕!"},
                             {"删除借阅记录", "借出记录", "删除借阅记录数据完毕!"},
                             {"删除资金记录", "收入", "删除资金记录数据完毕!"}};
    for (int engine : engines)
        for (int i = 0; i < 5; ++i)
            QTest::addRow("%s %s", engine ? "postgresql" : "sqlite", rows[i][0])
                << engine << i + 1 << QString::fromUtf8(rows[i][1]) << QString::fromUtf8(rows[i][2]);
}

void TstAdmin::eachBoxDeletesItsTableOnly()
{
    QFETCH(int, box);
    QFETCH(QString, table);
    QFETCH(QString, done);
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    fillLibrary(database);
    auto expected = tableCounts(database);
    expected[table] = 0;
    auto fm = openWindow<TCleanDataFm>(QStringLiteral("TCleanDataFm"));
    fm->findChild<QCheckBox *>(QStringLiteral("CheckBox%1").arg(box))->setChecked(true);
    platform_->answers.enqueue(TCleanDataFm::Password);
    const bool server = library.kind() != QLatin1String("a");
    if (server)
        platform_->answers.enqueue(true); // backed up with the server's tool
    fm->Button1->click();
    QCOMPARE(tableCounts(database), expected);
    const QStringList messages = platform_->messages();
    if (server) {
        QCOMPARE(messages, QStringList{done});
        QVERIFY2(platform_->texts(QStringLiteral("question")).value(0).contains(QStringLiteral("pg_dump")),
                 qPrintable(platform_->texts(QStringLiteral("question")).value(0)));
    } else {
        QCOMPARE(messages.size(), 2);
        QVERIFY2(messages[0].startsWith(QStringLiteral("删除之前已自动备份数据到:")), qPrintable(messages[0]));
        QCOMPARE(messages[1], done);
    }
    QVERIFY(fm->isVisible());
    QVERIFY(fm->findChild<QCheckBox *>(QStringLiteral("CheckBox%1").arg(box))->isChecked());
}

// The automatic backup is taken, whole, before anything is deleted, into a dated file beside the
// database; pressing again makes a second one.
void TstAdmin::initialisationBacksUpFirst()
{
    TestLibrary library;
    useLibrary(library);
    db::Database &database = library.db();
    fillLibrary(database);
    const auto before = tableCounts(database);
    auto fm = openWindow<TCleanDataFm>(QStringLiteral("TCleanDataFm"));
    for (QCheckBox *b : {fm->CheckBox1, fm->CheckBox2, fm->CheckBox3, fm->CheckBox4, fm->CheckBox5})
        b->setChecked(true);
    platform_->answers.enqueue(TCleanDataFm::Password);
    fm->Button1->click();
    const QString first = QDir(library.folder()).filePath(QStringLiteral("backups/book-20250616-103000.db"));
    QCOMPARE(platform_->messages(),
             (QStringList{QStringLiteral("删除之前已自动备份数据到:\n%1").arg(first), "删除图书数据完毕!", "删除期刊数据完毕!",
                          "删除读者数据完毕!", "删除借阅记录数据完毕!", "删除资金记录数据完毕!"}));
    QCOMPARE(tableCounts(*openCopy(library, first)), before);
    for (const char *t : {"图书", "期刊", "读者库", "借出记录", "收入"})
        QCOMPARE(rowCount(database, QString::fromUtf8(t)), 0);
    QCOMPARE(rowCount(database, QStringLiteral("admin")), 1);
    QCOMPARE(rowCount(database, QStringLiteral("分类")), 1);

    platform_->clear();
    platform_->answers.enqueue(TCleanDataFm::Password);
    fm->Button1->click();
    const QString second = QDir(library.folder()).filePath(QStringLiteral("backups/book-20250616-103000-2.db"));
    QCOMPARE(platform_->messages().value(0), QStringLiteral("删除之前已自动备份数据到:\n%1").arg(second));
    QCOMPARE(platform_->messages().size(), 6);
    QCOMPARE(tableCounts(*openCopy(library, first)), before);
    QCOMPARE(rowCount(*openCopy(library, second), QStringLiteral("图书")), 0);
}

void TstAdmin::initialisationStopsWhenTheBackupFails()
{
    TestLibrary library;
    useLibrary(library);
    fillLibrary(library.db());
    const auto before = tableCounts(library.db());
    // A file where the backups folder belongs.
    QFile blocker(QDir(library.folder()).filePath(QStringLiteral("backups")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto fm = openWindow<TCleanDataFm>(QStringLiteral("TCleanDataFm"));
    fm->CheckBox1->setChecked(true);
    platform_->answers.enqueue(TCleanDataFm::Password);
    fm->Button1->click();
    QCOMPARE(platform_->errors().size(), 1);
    QVERIFY2(platform_->errors().first().contains(QStringLiteral("没有删除任何数据")), qPrintable(platform_->errors().first()));
    QCOMPARE(platform_->messages().size(), 1);
    QCOMPARE(tableCounts(library.db()), before);
}

void TstAdmin::serverInitialisationNamesItsBackupTool()
{
    LIBRARY_NEEDS_POSTGRES();
    TestLibrary library(TestLibrary::EngineChoice::PostgreSQL);
    useLibrary(library);
    fillLibrary(library.db());
    const auto before = tableCounts(library.db());
    auto fm = openWindow<TCleanDataFm>(QStringLiteral("TCleanDataFm"));
    fm->CheckBox3->setChecked(true);
    platform_->answers.enqueue(TCleanDataFm::Password);
    platform_->answers.enqueue(false);
    fm->Button1->click();
    QCOMPARE(platform_->texts(QStringLiteral("question")).size(), 1);
    QVERIFY(platform_->texts(QStringLiteral("question")).first().contains(QStringLiteral("pg_dump")));
    QCOMPARE(platform_->messages(), QStringList());
    QCOMPARE(tableCounts(library.db()), before);
}

// The windows of the 系统设置 menu, "修改密码" and the tool button "设置".
// 数据一致性检查: the counters against the loan rows, listed, exported, and repaired after a
// backup (the file's own copy, or on a server the administrator's word).
void TstAdmin::consistencyCheckRepairsAfterABackup()
{
    LIBRARY_FOR_ENGINE();
    useLibrary(library);
    database.insert(QStringLiteral("读者库"), {{QStringLiteral("读者编号"), QStringLiteral("R1")}, {QStringLiteral("未还数量"), 2}});
    database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QStringLiteral("B1")}, {QStringLiteral("数量"), -1}});
    auto fm = openWindow<TBookCheckFm>(QStringLiteral("TBookCheckFm"));
    QVERIFY_INPUTS_LABELLED(fm.get());
    QVERIFY(!fm->Button3->isEnabled());
    fm->Button1->click();
    QCOMPARE(fm->Grid1->rowCount(), 2);
    QCOMPARE(fm->Label1->text(), QStringLiteral("发现 2 个问题, 其中 1 个计数可以修复。"));

    const QString exported = QDir(library.folder()).filePath(QStringLiteral("清单.csv"));
    platform_->answers.enqueue(exported);
    fm->Button2->click();
    QFile csv(exported);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll().count("\r\n"), 3);

    platform_->clear();
    platform_->answers.enqueue(false); // not now: nothing is copied or changed
    fm->Button3->click();
    QCOMPARE(fm->Grid1->rowCount(), 2);
    platform_->answers.enqueue(true);
    fm->Button3->click();
    QCOMPARE(fm->Grid1->rowCount(), 1);
    QCOMPARE(fm->Grid1->item(0, 0)->text(), QStringLiteral("数量为负"));
    QVERIFY(!fm->Button3->isEnabled());
    db::Rows reader = database.select(db::Sql("select 未还数量 from 读者库 where 读者编号=") + db::Sql::text(QStringLiteral("R1")));
    QVERIFY(reader.next());
    QCOMPARE(reader.integer(QStringLiteral("未还数量")), 0);
    const QStringList questions = platform_->texts(QStringLiteral("question"));
    QCOMPARE(questions.size(), 2);
    const QString message = platform_->messages().value(0);
    QVERIFY2(message.startsWith(QStringLiteral("已修复 1 个计数。")), qPrintable(message));
    if (library.kind() == QLatin1String("a")) {
        QVERIFY(message.contains(QStringLiteral("修复之前已备份数据到")));
        const QStringList copies = QDir(QDir(library.folder()).filePath(QStringLiteral("backups"))).entryList(QDir::Files);
        QCOMPARE(copies.size(), 1); // the refused repair took none
    } else {
        QVERIFY2(questions.first().contains(QStringLiteral("pg_dump")), qPrintable(questions.first()));
    }
}

void TstAdmin::menuOpensTheWindows()
{
    TestLibrary library;
    useLibrary(library);
    Session::instance().setAll(true);
    TMainFm main;
    main.show();
    const std::pair<QAction *, const char *> entries[] = {
        {main.AdminItem, "TAdminFm"},           {main.SysInfoItem, "TSysInfoSetFm"},   {main.CleanDataItem, "TCleanDataFm"},
        {main.BackUpItem, "TBackUpAccessFm"},   {main.RdKindItem, "TRdKindFm"},        {main.RentLevelItem, "TRentLevelFm"},
        {main.BkKindItem, "TBkKindFm"},         {main.Bk2KindItem, "TBk2KindFm"},      {main.PubItem, "TPubFm"},
        {main.DepartMentItem, "TDepartMentFm"}, {main.PlaceItem, "TPlaceFm"},          {main.PaperItem, "TPaperFm"},
        {main.SecretLevelItem, "TSecretLevelFm"}, {main.MoneyKindItem, "TMoneyKindFm"}, {main.ChangePwdItem, "TChangePwdFm"},
        {main.BookCheckItem, "TBookCheckFm"},
    };
    for (const auto &[action, windowClass] : entries) {
        action->trigger();
        QWidget *opened = main.lastOpened();
        QVERIFY2(opened, windowClass);
        QCOMPARE(opened->metaObject()->className(), windowClass);
        QVERIFY(opened->isModal());
        delete opened;
    }
    main.ToolButton5->click();
    QVERIFY(qobject_cast<TSysInfoSetFm *>(main.lastOpened()));
    delete main.lastOpened();
    QCOMPARE(platform_->messages(), QStringList());
    platform_->answers.enqueue(true);
    main.close();
}

QTEST_MAIN(TstAdmin)
#include "tst_admin.moc"
