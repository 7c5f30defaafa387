// Database settings: opening per kind, save, exit, the connection test.
#include "RecordingPlatform.h"
#include "TestLibrary.h"
#include "admin/SetDataUt.h"
#include "app/IniFile.h"
#include "common/ProgramFolder.h"
#include "app/Session.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
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
    QTest::newRow("a") << "a" << 1 << false << true;
    QTest::newRow("s") << "s" << 2 << true << false;
    QTest::newRow("p") << "p" << 3 << true << false;
    QTest::newRow("0 after a missing de.ini") << "0" << 0 << false << false;
}

void TstAdmin::openingFollowsTheKind()
{
    QFETCH(QString, kind);
    QFETCH(int, checked);
    QFETCH(bool, groupEnabled);
    QFETCH(bool, saveEnabled);
    Session::instance().DatabaseKind = kind;
    TSetDataFm fm;
    QCOMPARE(fm.windowTitle(), QStringLiteral("数据库设置"));
    const QList<QRadioButton *> radios{fm.RadioButton1, fm.RadioButton2, fm.RadioButton3};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(radios[i]->isChecked(), checked == i + 1);
    QCOMPARE(fm.GroupBox1->isEnabled(), groupEnabled);
    QCOMPARE(fm.Button2->isEnabled(), saveEnabled);
    QCOMPARE(fm.Edit1->text(), QStringLiteral("srv"));
    QCOMPARE(fm.Edit3->text(), QStringLiteral("0")); // missing keys read as "0"
    if (checked == 0) {
        fm.RadioButton2->click();
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
    QCOMPARE(platform_->messages(), (QStringList{expected, QStringLiteral("连接失败")}));
    QVERIFY(!fm.Button2->isEnabled());
    QCOMPARE(fm.testConnectionText(), expected);
}

void TstAdmin::successfulTestEnablesSave()
{
    if (!TestLibrary::postgresAvailable())
        QSKIP("the test script starts PostgreSQL");
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

QTEST_MAIN(TstAdmin)
#include "tst_admin.moc"
