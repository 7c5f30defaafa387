// Database settings: opening per kind, save, exit, the connection test, a new library file.
#include "InputLabels.h"
#include "RecordingPlatform.h"
#include "TestLibrary.h"
#include "admin/SetDataUt.h"
#include "app/IniFile.h"
#include "common/ProgramFolder.h"
#include "app/Session.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>
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

private:
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

QTEST_MAIN(TstAdmin)
#include "tst_admin.moc"
