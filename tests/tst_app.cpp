// Start-up and login: the Session, the rights, the pre-fill, failed connections, one instance.
#include "InputLabels.h"
#include "RecordingPlatform.h"
#include "TestLibrary.h"
#include "admin/SetDataUt.h"
#include "app/IniFile.h"
#include "app/LoginUt.h"
#include "app/MainUt.h"
#include "common/ProgramFolder.h"
#include "app/Session.h"
#include "app/SingleInstance.h"
#include "app/StartUp.h"
#include "common/ElidedLabel.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using db::Sql;

class TstApp : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void administratorsListedAndPasswordPrefilled();
    void superAdministratorAlwaysHoldsAllRights();
    void ordinaryAdministratorGetsHisRights();
    void wrongPasswordKeepsTheWindow_data();
    void wrongPasswordKeepsTheWindow();
    void libraryValuesCopiedOnEveryAttempt();
    void delimitersInNameAndPassword();
    void failedConnectionOffersSettingsThenEnds_data();
    void failedConnectionOffersSettingsThenEnds();
    void newcomerWithoutDeIniStartsWithANewFile();
    void applicationSetUp();
    void loginWindowHasAFixedSize();
    void loginInputsAreLabelled();
    void secondInstanceRestoresTheFirst();
    void loginOnPostgres();

private:
    void login(TLoginFm &fm, const QString &name, const QString &password);
    std::unique_ptr<TestLibrary> library_;
    RecordingPlatform *platform_ = nullptr;
};

void TstApp::init()
{
    Session::reset();
    platform_ = &RecordingPlatform::install();
    library_ = std::make_unique<TestLibrary>();
    setProgramFolder(library_->folder());
}

void TstApp::cleanup()
{
    QVERIFY2(platform_->unanswered.isEmpty(), qPrintable(platform_->unanswered.join(" | ")));
    library_.reset();
}

void TstApp::login(TLoginFm &fm, const QString &name, const QString &password)
{
    fm.ComboBox1->setEditText(name);
    fm.Edit1->setText(password);
    fm.Button1->click();
}

static void addAdministrator(db::Database &database, const QString &name, const QString &pwd, const QStringList &rights = {})
{
    db::Fields fields{{QStringLiteral("AdminName"), name}, {QStringLiteral("pwd"), pwd}};
    for (const char *column : Rights::columns())
        fields.append({QString::fromLatin1(column), rights.contains(QString::fromLatin1(column))});
    database.insert(QStringLiteral("admin"), fields);
}

void TstApp::administratorsListedAndPasswordPrefilled()
{
    addAdministrator(library_->db(), QStringLiteral("李四"), QStringLiteral("7394"));
    {
        TLoginFm fm;
        QVERIFY(fm.connected());
        QCOMPARE(fm.windowTitle(), QStringLiteral("系统登录"));
        QCOMPARE(fm.Label3->text(), QStringLiteral("测试图书馆管理系统"));
        QCOMPARE(fm.ComboBox1->currentText(), QStringLiteral("超级管理员"));
        QCOMPARE(fm.ComboBox1->count(), 2);
        QCOMPARE(fm.ComboBox1->itemText(0), QStringLiteral("超级管理员"));
        QCOMPARE(fm.ComboBox1->itemText(1), QStringLiteral("李四"));
        fm.show();
        QCOMPARE(fm.Edit1->text(), QStringLiteral("7394"));
        fm.hide();
    }
    // Once the super-administrator has his own password, the box starts empty for everybody.
    library_->db().update(QStringLiteral("admin"), {{QStringLiteral("pwd"), QStringLiteral("secret")}},
                          Sql(" where AdminName=") + Sql::text(QStringLiteral("超级管理员")));
    TLoginFm fm;
    fm.ComboBox1->setEditText(QStringLiteral("李四"));
    fm.show();
    QCOMPARE(fm.Edit1->text(), QString());
    fm.hide();
}

void TstApp::superAdministratorAlwaysHoldsAllRights()
{
    db::Fields none;
    for (const char *column : Rights::columns())
        none.append({QString::fromLatin1(column), false});
    library_->db().update(QStringLiteral("admin"), none, Sql(" where AdminName=") + Sql::text(QStringLiteral("超级管理员")));

    TLoginFm fm;
    fm.show();
    fm.Button1->click(); // the pre-filled name and password
    const Session &session = Session::instance();
    QCOMPARE(session.adminname, QStringLiteral("超级管理员"));
    for (int i = 0; i < 14; ++i)
        QVERIFY2(session.at(i), Rights::columns()[i]);
    QVERIFY(!fm.isVisible());
    QVERIFY(fm.mainWindow());
    QVERIFY(fm.mainWindow()->isVisible());
    QCOMPARE(fm.mainWindow()->windowTitle(), QStringLiteral("测试图书馆管理系统"));
    QCOMPARE(fm.mainWindow()->StatusPanel2->text(), QStringLiteral("010-12345678"));
    QVERIFY(platform_->messages().isEmpty());
    platform_->answers.enqueue(true); // 确认要退出吗?
    fm.mainWindow()->close();
}

void TstApp::ordinaryAdministratorGetsHisRights()
{
    addAdministrator(library_->db(), QStringLiteral("李四"), QStringLiteral("pw"),
                     {QStringLiteral("qxborrow"), QStringLiteral("qxreturn")});
    TLoginFm fm;
    fm.show();
    login(fm, QStringLiteral("  李四 "), QStringLiteral("pw"));
    // The query takes the name as typed: with blanks around it no row matches.
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("密码不正确!")});
    login(fm, QStringLiteral("李四"), QStringLiteral("pw"));
    const Session &session = Session::instance();
    QCOMPARE(session.adminname, QStringLiteral("李四"));
    for (int i = 0; i < 14; ++i) {
        const QString column = QString::fromLatin1(Rights::columns()[i]);
        QCOMPARE(session.at(i), column == QLatin1String("qxborrow") || column == QLatin1String("qxreturn"));
    }
    platform_->answers.enqueue(true);
    fm.mainWindow()->close();
}

void TstApp::wrongPasswordKeepsTheWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::newRow("wrong password") << "超级管理员" << "7395";
    QTest::newRow("unknown name") << "王五" << "7394";
    QTest::newRow("blank name") << "" << "7394";
}

void TstApp::wrongPasswordKeepsTheWindow()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    TLoginFm fm;
    fm.show();
    login(fm, name, password);
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("密码不正确!")});
    QVERIFY(fm.isVisible());
    QVERIFY(!fm.mainWindow());
    QCOMPARE(fm.Edit1->selectedText(), password);
    QCOMPARE(Session::instance().adminname, QString());
}

void TstApp::libraryValuesCopiedOnEveryAttempt()
{
    auto setLibrary = [this](bool rent, const char *fee, const QString &name) {
        library_->db().update(QStringLiteral("系统设置"),
                              {{QStringLiteral("启用租金功能"), rent},
                               {QStringLiteral("启用读者有效期"), rent},
                               {QStringLiteral("开户费"), QVariant::fromValue(*db::Money::parse(QString::fromLatin1(fee)))},
                               {QStringLiteral("图书馆名"), name}},
                              Sql());
    };
    setLibrary(true, "5.5", QStringLiteral("第一图书馆"));
    TLoginFm fm;
    fm.show();
    login(fm, QStringLiteral("超级管理员"), QStringLiteral("wrong"));
    const Session &session = Session::instance();
    QVERIFY(session.rentEnabled);
    QVERIFY(session.readerValidity);
    QVERIFY(!session.readerRent);
    QCOMPARE(session.openingFee, *db::Money::parse(QStringLiteral("5.5")));
    QCOMPARE(session.libraryName, QStringLiteral("第一图书馆"));

    setLibrary(false, "0", QStringLiteral("第二图书馆"));
    login(fm, QStringLiteral("超级管理员"), QStringLiteral("7394"));
    QVERIFY(!session.rentEnabled);
    QCOMPARE(session.openingFee, db::Money());
    QCOMPARE(session.libraryName, QStringLiteral("第二图书馆"));
    platform_->answers.enqueue(true);
    fm.mainWindow()->close();
}

void TstApp::delimitersInNameAndPassword()
{
    addAdministrator(library_->db(), QStringLiteral("O\"Neil"), QStringLiteral("a'b\"c"));
    TLoginFm fm;
    fm.show();
    // A text that would rewrite a spliced statement is just a wrong name here.
    login(fm, QStringLiteral("x\" or \"\"=\""), QStringLiteral("\" or \"\"=\""));
    QCOMPARE(platform_->messages(), QStringList{QStringLiteral("密码不正确!")});
    login(fm, QStringLiteral("O\"Neil"), QStringLiteral("a'b\"c"));
    QCOMPARE(Session::instance().adminname, QStringLiteral("O\"Neil"));
    QCOMPARE(platform_->messages().size(), 1);
    platform_->answers.enqueue(true);
    fm.mainWindow()->close();
}

void TstApp::failedConnectionOffersSettingsThenEnds_data()
{
    QTest::addColumn<QString>("ini"); // "-": no de.ini at all
    QTest::addColumn<QString>("reason"); // %1: the program folder
    QTest::newRow("no de.ini") << "-" << "找不到配置文件 %1/de.ini";
    QTest::newRow("no connection text") << "[part1]\nabc=a\n" << "配置文件 %1/de.ini 中没有数据库连接 (csaccess)";
    QTest::newRow("server kind without cs") << "[part1]\nabc=p\ncsaccess=Provider=SQLite;Data Source=book.db\n"
                                            << "配置文件 %1/de.ini 中没有数据库连接 (cs)";
    QTest::newRow("missing file") << "[part1]\nabc=a\ncsaccess=Provider=SQLite;Data Source=gone.db\n"
                                  << "数据库文件不存在: %1/gone.db";
    QTest::newRow("not a library database") << "[part1]\nabc=a\ncsaccess=Provider=SQLite;Data Source=other.db\n"
                                            << "不是图书管理系统的数据库文件: %1/other.db";
    QTest::newRow("access text")
        << "[part1]\nabc=a\ncsaccess=Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=book.mdb\n"
        << db::accessNotSupportedMessage();
    // Nothing listens on port 1 of this machine; the driver's reason follows the server's name.
    QTest::newRow("server down")
        << "[part1]\nabc=p\ncs=Provider=PostgreSQL;Password=pw;User ID=lib;Initial Catalog=book;Data Source=127.0.0.1:1\n"
        << "无法连接PostgreSQL 服务器 127.0.0.1:1 上的数据库 book:\n";
}

void TstApp::failedConnectionOffersSettingsThenEnds()
{
    QFETCH(QString, ini);
    QFETCH(QString, reason);
    const QDir folder(library_->folder());
    QFile file(folder.filePath(QStringLiteral("de.ini")));
    if (ini == QLatin1String("-")) {
        QVERIFY(file.remove());
    } else {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(ini.toUtf8());
        file.close();
    }
    {
        // A database of another program: no table admin.
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(folder.filePath(QStringLiteral("other.db")));
        QVERIFY(other.open());
        QSqlQuery(other).exec(QStringLiteral("create table notes (text varchar(10))"));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));

    TLoginFm fm;
    QSignalSpy ended(&fm, &TLoginFm::programEnded);
    QVERIFY(!fm.connected());
    QCOMPARE(fm.ComboBox1->count(), 0);
    QVERIFY(!Session::instance().database);
    // Which file or server and why, before the settings window.
    const QStringList messages = platform_->messages();
    QCOMPARE(messages.size(), 1);
    const QString expected = QStringLiteral("数据库连接失败,请选择数据库.\n\n") + (reason.contains(QLatin1String("%1")) ? reason.arg(folder.path()) : reason);
    QVERIFY2(messages.first().startsWith(expected), qPrintable(messages.first()));
    if (ini.contains(QLatin1String("127.0.0.1:1")))
        QVERIFY2(messages.first().size() > expected.size() + 10, "the driver's reason"); // e.g. Connection refused

    auto *settings = platform_->lastWindow<TSetDataFm>();
    QVERIFY(settings);
    QVERIFY(settings->isVisible());
    QVERIFY(settings->isModal());
    QCOMPARE(ended.count(), 0);
    settings->Button3->click();
    QTRY_COMPARE(ended.count(), 1); // the settings closed: the program ends
    QCOMPARE(platform_->messages().last(), QStringLiteral("软件重启后生效!"));
}

void TstApp::newcomerWithoutDeIniStartsWithANewFile()
{
    const QDir folder(library_->folder());
    QVERIFY(QFile::remove(folder.filePath(QStringLiteral("de.ini"))));
    QVERIFY(QFile::remove(folder.filePath(QStringLiteral("book.db"))));
    {
        TLoginFm fm;
        QVERIFY(!fm.connected());
        auto *settings = platform_->lastWindow<TSetDataFm>();
        QVERIFY(settings);
        platform_->answers.enqueue(folder.filePath(QStringLiteral("book.db"))); // the save dialog
        settings->Button4->click();                                             // 新建
        QVERIFY(QFileInfo::exists(folder.filePath(QStringLiteral("book.db"))));
        QVERIFY(settings->RadioButton1->isChecked());
        QVERIFY(settings->Button2->isEnabled());
        settings->Button2->click(); // 保存
    }
    IniFile written(folder.filePath(QStringLiteral("de.ini")));
    QCOMPARE(written.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("a"));
    QCOMPARE(written.read(QStringLiteral("part1"), QStringLiteral("csaccess")), QStringLiteral("Provider=SQLite;Data Source=book.db"));

    // The next start opens the new library.
    platform_->clear();
    TLoginFm again;
    QVERIFY(again.connected());
    QCOMPARE(again.ComboBox1->currentText(), QStringLiteral("超级管理员"));
    QVERIFY(platform_->messages().isEmpty());
}

void TstApp::applicationSetUp()
{
    setUpApplication(*qobject_cast<QApplication *>(QCoreApplication::instance()));
    QCOMPARE(QApplication::applicationName(), QStringLiteral("图书管理系统"));
    const QIcon icon = QApplication::windowIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
    QVERIFY(icon.availableSizes().contains(QSize(256, 256)));
    TLoginFm fm;
    QCOMPARE(fm.windowIcon().cacheKey(), icon.cacheKey()); // every window shows it
    QCOMPARE(QLocale().language(), QLocale::Chinese);
}

void TstApp::loginWindowHasAFixedSize()
{
    TLoginFm fm;
    fm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fm));
    QCOMPARE(fm.minimumSize(), fm.maximumSize());
    QCOMPARE(fm.size(), fm.minimumSize());
    QVERIFY(fm.width() >= 380);
    fm.hide();
    // A long title widens it, and it stays fixed.
    IniFile(QDir(library_->folder()).filePath(QStringLiteral("de.ini")))
        .write(QStringLiteral("part1"), QStringLiteral("softname"), QStringLiteral("北京市海淀区某某大学图书馆图书借阅与期刊管理系统"));
    TLoginFm wide;
    wide.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wide));
    QVERIFY(wide.width() > fm.width());
    QVERIFY(wide.width() >= wide.Label3->sizeHint().width());
    QCOMPARE(wide.minimumSize(), wide.maximumSize());
    wide.hide();
}

void TstApp::loginInputsAreLabelled()
{
    TLoginFm fm;
    fm.show();
    QVERIFY_INPUTS_LABELLED(&fm);
    QCOMPARE(spokenName(fm.ComboBox1), QStringLiteral("用户名(U):"));
    QCOMPARE(spokenName(fm.Edit1), QStringLiteral("密  码(P):"));
    fm.hide();
}

void TstApp::secondInstanceRestoresTheFirst()
{
    const QString title = QStringLiteral("图书管理系统-test-%1").arg(QCoreApplication::applicationPid());
    SingleInstance first(title);
    QVERIFY(!first.activateRunning());
    int restored = 0;
    QVERIFY(first.listen([&restored] { ++restored; }));

    SingleInstance second(title);
    QVERIFY(second.activateRunning());
    QTRY_COMPARE(restored, 1);

    SingleInstance other(title + QStringLiteral("-other"));
    QVERIFY(!other.activateRunning());
}

void TstApp::loginOnPostgres()
{
    LIBRARY_NEEDS_POSTGRES();
    TestLibrary pg(TestLibrary::EngineChoice::PostgreSQL);
    setProgramFolder(pg.folder());
    addAdministrator(pg.db(), QStringLiteral("O'Neil"), QStringLiteral("it's"), {QStringLiteral("qxbk")});
    TLoginFm fm;
    QVERIFY(fm.connected());
    QCOMPARE(Session::instance().DatabaseKind, QStringLiteral("p"));
    QCOMPARE(fm.ComboBox1->count(), 2);
    fm.show();
    QCOMPARE(fm.Edit1->text(), QStringLiteral("7394"));
    login(fm, QStringLiteral("O'Neil"), QStringLiteral("it's"));
    QVERIFY(platform_->messages().isEmpty());
    QVERIFY(Session::instance().qxbk);
    QVERIFY(!Session::instance().qxsysset);
    platform_->answers.enqueue(true);
    fm.mainWindow()->close();
}

QTEST_MAIN(TstApp)
#include "tst_app.moc"
