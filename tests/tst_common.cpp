// Pinyin initials, de.ini, the platform's window opener, Qt's Chinese texts, file errors,
// input captions, and the PostgreSQL rows of the test library.
#include "InputLabels.h"
#include "RecordingPlatform.h"
#include "TestLibrary.h"
#include "app/IniFile.h"
#include "common/ErrorDisplay.h"
#include "common/FileProblem.h"
#include "common/LibraryWindow.h"
#include "common/Pinyin.h"
#include "common/QtPlatform.h"
#include "common/ScanBurst.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QVBoxLayout>
#include <unistd.h>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

class TstCommon : public QObject {
    Q_OBJECT
private slots:
    void pinyinInitialBounds_data();
    void pinyinInitialBounds();
    void initialsRule_data();
    void initialsRule();
    void iniReadsMissingKeysAsZero();
    void iniWriteKeepsEncodingAndOrder_data();
    void iniWriteKeepsEncodingAndOrder();
    void iniWriteFailureNamesTheFileInChinese();
    void openWindowShowsModalWithoutBlocking();
    void openedWindowIsRecorded();
    void messageBoxButtonsInChinese_data();
    void messageBoxButtonsInChinese();
    void fileErrorTexts_data();
    void fileErrorTexts();
    void labelInputsGivesEveryBoxItsCaption();
    void postgresRows_data();
    void postgresRows();
    void questionIsNotAnsweredByAScan();
    void scanBurst_data();
    void scanBurst();
    void messageHandsAScanToTheFocus_data();
    void messageHandsAScanToTheFocus();
};

static QByteArray piece(int code)
{
    QByteArray b;
    b.append(char(code >> 8));
    b.append(char(code & 0xFF));
    return b;
}

void TstCommon::pinyinInitialBounds_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("letter");
    QTest::newRow("one below the table") << 0xB0A0 << " ";
    QTest::newRow("first code") << 0xB0A1 << "A";
    QTest::newRow("阿") << 0xB0A2 << "A";
    QTest::newRow("last A") << 0xB0C4 << "A";
    QTest::newRow("first B") << 0xB0C5 << "B";
    QTest::newRow("last H") << 0xBBF6 << "H";
    QTest::newRow("first J (no I)") << 0xBBF7 << "J";
    QTest::newRow("last T") << 0xCDD9 << "T";
    QTest::newRow("first W (no U, V)") << 0xCDDA << "W";
    QTest::newRow("座, the last code") << 0xD7F9 << "Z";
    QTest::newRow("one above the table") << 0xD7FA << " ";
    QTest::newRow("second level") << 0xD8A1 << " ";
    QTest::newRow("ascii pair") << 0x6162 << " ";
}

void TstCommon::pinyinInitialBounds()
{
    QFETCH(int, code);
    QFETCH(QString, letter);
    QCOMPARE(QString(PinyinInitial(piece(code))), letter);
}

void TstCommon::initialsRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("initials");
    QTest::newRow("图书") << QStringLiteral("图书") << "TS";
    QTest::newRow("中国") << QStringLiteral("中国") << "ZG";
    QTest::newRow("empty") << QString() << "";
    QTest::newRow("two letters, one blank") << QStringLiteral("ab") << " ";
    QTest::newRow("ascii only") << QStringLiteral("abc123") << "   ";
    QTest::newRow("odd last byte dropped") << QStringLiteral("图a") << "T";
    QTest::newRow("pairs across characters") << QStringLiteral("a图书") << " J";
    QTest::newRow("a blank shifts the pairs") << QStringLiteral("数据库 设计") << "SJK  ";
}

void TstCommon::initialsRule()
{
    QFETCH(QString, text);
    QFETCH(QString, initials);
    QCOMPARE(PinyinInitials(text), initials);
}

void TstCommon::iniReadsMissingKeysAsZero()
{
    QTemporaryDir dir;
    IniFile missing(dir.filePath(QStringLiteral("de.ini")));
    QCOMPARE(missing.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("0"));

    QFile f(dir.filePath(QStringLiteral("x.ini")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[Part1]\r\nAbc = s \r\n; comment=1\r\n[other]\r\ntel=2\r\n");
    f.close();
    IniFile ini(f.fileName());
    QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("abc")), QStringLiteral("s"));
    QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("tel")), QStringLiteral("0"));
    QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("; comment")), QStringLiteral("0"));
}

void TstCommon::iniWriteKeepsEncodingAndOrder_data()
{
    QTest::addColumn<QString>("encoding");
    QTest::newRow("GBK") << "GBK";
    QTest::newRow("UTF-8") << "UTF-8";
}

void TstCommon::iniWriteKeepsEncodingAndOrder()
{
    QFETCH(QString, encoding);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("de.ini"));
    const QString original = QStringLiteral("[part1]\r\nsoftname=图书管理系统\r\nabc=a\r\n\r\ncs=0\r\n[more]\r\nx=1\r\n");
    QStringEncoder encoder(encoding == QLatin1String("GBK") ? "GBK" : "UTF-8");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(encoder.encode(original));
    }
    IniFile ini(path);
    QCOMPARE(ini.read(QStringLiteral("part1"), QStringLiteral("softname")), QStringLiteral("图书管理系统"));
    ini.write(QStringLiteral("part1"), QStringLiteral("abc"), QStringLiteral("s"));
    ini.write(QStringLiteral("part1"), QStringLiteral("ServerName"), QStringLiteral("服务器"));

    // The write reached the file at once, in its own encoding, lines in their order.
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QStringDecoder decoder(encoding == QLatin1String("GBK") ? "GBK" : "UTF-8");
    const QString written = decoder.decode(f.readAll());
    QVERIFY(!decoder.hasError());
    QCOMPARE(written, QStringLiteral("[part1]\r\nsoftname=图书管理系统\r\nabc=s\r\n\r\ncs=0\r\nServerName=服务器\r\n[more]\r\nx=1\r\n"));
    QCOMPARE(IniFile(path).read(QStringLiteral("part1"), QStringLiteral("servername")), QStringLiteral("服务器"));
}

void TstCommon::iniWriteFailureNamesTheFileInChinese()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("gone"));
    IniFile ini(folder + QStringLiteral("/de.ini"));
    try {
        ini.write(QStringLiteral("part1"), QStringLiteral("abc"), QStringLiteral("a"));
        QFAIL("the write into a missing folder went through");
    } catch (const std::runtime_error &e) {
        const QString text = QString::fromUtf8(e.what());
        QCOMPARE(text, QStringLiteral("配置文件没有保存。\n无法打开文件 %1/de.ini: 文件夹 %1 不存在").arg(folder));
    }
}

void TstCommon::openWindowShowsModalWithoutBlocking()
{
    QWidget owner;
    owner.show();
    int closed = 0;
    QPointer<QDialog> window = new QDialog(&owner);
    Platform::instance().openWindow(window, [&closed] { ++closed; });
    // Back here while the window is open: nothing blocked.
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowModality(), Qt::ApplicationModal);
    QVERIFY(window->isWindow());
    QCOMPARE(QApplication::activeModalWidget(), window.data());
    QCOMPARE(closed, 0);
    window->close();
    QTRY_VERIFY(!window); // deleted once closed
    QCOMPARE(closed, 1);
}

void TstCommon::openedWindowIsRecorded()
{
    RecordingPlatform &platform = RecordingPlatform::install();
    int closed = 0;
    auto *window = new QDialog;
    window->setWindowTitle(QStringLiteral("子窗口"));
    Platform::instance().openWindow(window, [&closed] { ++closed; });
    QCOMPARE(platform.lastWindow<QDialog>(), window);
    QCOMPARE(platform.texts(QStringLiteral("window")), QStringList{QStringLiteral("QDialog")});
    QCOMPARE(platform.events.last().title, QStringLiteral("子窗口"));
    QVERIFY(window->isVisible());
    window->reject(); // 取消 closes it like the title bar
    QTRY_COMPARE(closed, 1);
    QVERIFY(!platform.lastWindow<QDialog>());
    Platform::install(std::make_unique<QtPlatform>());
}

void TstCommon::messageBoxButtonsInChinese_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("caption");
    QTest::newRow("yes") << int(QMessageBox::Yes) << QStringLiteral("是");
    QTest::newRow("no") << int(QMessageBox::No) << QStringLiteral("否");
    QTest::newRow("ok") << int(QMessageBox::Ok) << QStringLiteral("确定");
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << QStringLiteral("取消");
}

void TstCommon::messageBoxButtonsInChinese()
{
    QFETCH(int, button);
    QFETCH(QString, caption);
    static const bool loaded = installChineseTranslation(*qApp);
    QVERIFY2(loaded, "qtbase_zh_CN.qm is not installed (qt6-translations-l10n)");
    QMessageBox box(QMessageBox::Question, QStringLiteral("请确认"), QStringLiteral("确认要退出吗?"),
                    QMessageBox::StandardButtons(button));
    QAbstractButton *shown = box.button(QMessageBox::StandardButton(button));
    QVERIFY(shown);
    // Without its access key: "是(&Y)" reads 是.
    const QString text = shown->text().remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));
    QCOMPARE(text, caption);
    QCOMPARE(QLocale().dayName(1), QStringLiteral("星期一")); // the date pickers' calendar
}

void TstCommon::fileErrorTexts_data()
{
    QTest::addColumn<QString>("file");   // relative to a fresh folder
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("writing");
    QTest::addColumn<QString>("expected"); // %1: the file, %2: the fresh folder
    QTest::newRow("missing file") << "book.db" << int(QFileDevice::OpenError) << false << "无法打开文件 %1: 文件不存在";
    QTest::newRow("missing folder") << "gone/de.ini" << int(QFileDevice::OpenError) << true
                                    << "无法打开文件 %1: 文件夹 %2/gone 不存在";
    QTest::newRow("a folder") << "." << int(QFileDevice::OpenError) << false << "无法打开文件 %1: 这是一个文件夹,不是文件";
    QTest::newRow("read-only file") << "readonly.ini" << int(QFileDevice::OpenError) << true
                                    << "无法打开文件 %1: 文件是只读的,没有写入权限";
    QTest::newRow("disk full") << "book.db" << int(QFileDevice::ResourceError) << true
                               << "写入文件 %1 时资源不足 (磁盘已满?)";
    QTest::newRow("no error") << "book.db" << int(QFileDevice::NoError) << false << "";
}

void TstCommon::fileErrorTexts()
{
    QFETCH(QString, file);
    QFETCH(int, error);
    QFETCH(bool, writing);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    if (file == QLatin1String("readonly.ini")) {
        if (geteuid() == 0)
            QSKIP("root may write any file");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner));
        QVERIFY(!f.open(QIODevice::WriteOnly));
        QCOMPARE(f.error(), QFileDevice::OpenError);
    }
    const QString text = fileErrorText(path, QFileDevice::FileError(error), writing ? QIODevice::WriteOnly : QIODevice::ReadOnly);
    if (expected.contains(QLatin1String("%2")))
        expected = expected.arg(path, dir.path());
    else if (expected.contains(QLatin1String("%1")))
        expected = expected.arg(path);
    QCOMPARE(text, expected);
}

void TstCommon::labelInputsGivesEveryBoxItsCaption()
{
    LibraryWindow window;
    auto *group = new QGroupBox(QStringLiteral("SqlServer"), &window);
    auto *form = new QFormLayout(group);
    auto *server = new QLineEdit(group);
    server->setObjectName(QStringLiteral("server"));
    form->addRow(new QLabel(QStringLiteral("服务器名/ip地址:"), group), server);
    auto *user = new QLineEdit(group);
    user->setObjectName(QStringLiteral("user"));
    auto *userLabel = new QLabel(QStringLiteral("用户名(&U):"), &window); // in another parent than its box
    userLabel->setBuddy(user);
    form->addRow(user);
    auto *search = new QLineEdit(&window);
    search->setObjectName(QStringLiteral("search"));
    search->setAccessibleName(QStringLiteral("查找"));
    auto *loose = new QLineEdit(&window);
    loose->setObjectName(QStringLiteral("loose"));
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(userLabel);
    layout->addWidget(group);
    layout->addWidget(search);
    layout->addWidget(loose);

    // Before: the group's title stands for the server box, nothing for the other two.
    QCOMPARE(spokenName(server), QStringLiteral("SqlServer"));
    QCOMPARE(unlabelledInputs(&window), (QStringList{"server (QLineEdit)", "user (QLineEdit)", "loose (QLineEdit)"}));
    window.show();
    QCOMPARE(spokenName(server), QStringLiteral("服务器名/ip地址:"));
    QCOMPARE(spokenName(user), QStringLiteral("用户名(U):"));
    QCOMPARE(spokenName(search), QStringLiteral("查找")); // its own name stays
    QCOMPARE(unlabelledInputs(&window), QStringList{"loose (QLineEdit)"});
    loose->hide();
    QVERIFY(unlabelledInputs(&window).isEmpty());
}

void TstCommon::postgresRows_data()
{
    QTest::addColumn<QString>("settings"); // LIBRARY_TEST_PG
    QTest::addColumn<QString>("ci");
    QTest::addColumn<QString>("problem"); // what reaching the server answers
    QTest::addColumn<bool>("rows");
    QTest::addColumn<QString>("failure"); // the start of the failure text
    const QString server = QStringLiteral("host=127.0.0.1 port=55443 user=postgres");
    QTest::newRow("server answers") << server << "" << "" << true << "";
    QTest::newRow("server answers under CI") << server << "true" << "" << true << "";
    QTest::newRow("no server outside CI: SQLite only") << "" << "" << "" << false << "";
    QTest::newRow("no server under CI") << "" << "true" << "" << true << "CI=true but LIBRARY_TEST_PG is not set";
    QTest::newRow("server down") << server << "" << "Connection refused" << true
                                 << "The PostgreSQL test server of LIBRARY_TEST_PG=\"" + server + "\" is unreachable: Connection refused";
    QTest::newRow("server down under CI") << server << "true" << "Connection refused" << true
                                          << "The PostgreSQL test server of LIBRARY_TEST_PG";
    QTest::newRow("CI other than true") << "" << "false" << "" << false << "";
}

void TstCommon::postgresRows()
{
    QFETCH(QString, settings);
    QFETCH(QString, ci);
    QFETCH(QString, problem);
    QFETCH(bool, rows);
    QFETCH(QString, failure);
    QProcessEnvironment environment;
    if (!settings.isEmpty())
        environment.insert(QStringLiteral("LIBRARY_TEST_PG"), settings);
    if (!ci.isEmpty())
        environment.insert(QStringLiteral("CI"), ci);
    QStringList asked;
    const auto plan = TestLibrary::postgresPlan(environment, [&](const QString &s) {
        asked << s;
        return problem;
    });
    QCOMPARE(plan.rows, rows);
    QCOMPARE(plan.failure.isEmpty(), failure.isEmpty());
    QVERIFY2(failure.isEmpty() || plan.failure.startsWith(failure), qPrintable(plan.failure));
    QCOMPARE(asked, settings.isEmpty() ? QStringList{} : QStringList{settings});
}

// Keys as "text@ms" ("\\n" Enter, "<esc>" Escape, "<ctrl-c>"); the verdict of each, in order
// (H held, P passed to the box, S scan).
void TstCommon::scanBurst_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("verdicts");
    QTest::addColumn<QString>("scanned");
    QTest::newRow("scanner") << QStringList{"B@0", "1@4", "2@8", "\\n@12"} << "HHHS" << "B12";
    QTest::newRow("a person's Enter") << QStringList{"\\n@0"} << "P" << "";
    QTest::newRow("a person typing") << QStringList{"B@0", "1@150", "2@310", "\\n@480"} << "HHHP" << "";
    QTest::newRow("Enter after a pause") << QStringList{"B@0", "1@5", "2@10", "\\n@300"} << "HHHP" << "";
    QTest::newRow("one key is no scan") << QStringList{"7@0", "\\n@5"} << "HP" << "";
    QTest::newRow("slow start, then a scan") << QStringList{"x@0", "A@500", "9@505", "\\n@509"} << "HHHS" << "A9";
    QTest::newRow("space inside a code") << QStringList{"A@0", " @3", "B@6", "\\n@9"} << "HHHS" << "A B";
    QTest::newRow("a person's space") << QStringList{" @0"} << "P" << "";
    QTest::newRow("escape ends it") << QStringList{"A@0", "B@3", "<esc>@5", "\\n@7"} << "HHPP" << "";
    QTest::newRow("control keys are no code") << QStringList{"<ctrl-c>@0", "\\n@3"} << "PP" << "";
    QTest::newRow("two scans") << QStringList{"A@0", "1@3", "\\n@6", "B@900", "2@903", "\\n@906"} << "HHSHHS" << "B2";
}

void TstCommon::scanBurst()
{
    QFETCH(QStringList, keys);
    QFETCH(QString, verdicts);
    QFETCH(QString, scanned);
    ScanBurst burst;
    QString actual, last;
    for (const QString &k : keys) {
        const QString text = k.section(QLatin1Char('@'), 0, 0);
        const qint64 at = k.section(QLatin1Char('@'), 1).toLongLong();
        ScanBurst::Key key{0, Qt::NoModifier, text};
        if (text == QLatin1String("\\n"))
            key = {Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")};
        else if (text == QLatin1String("<esc>"))
            key = {Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b")};
        else if (text == QLatin1String("<ctrl-c>"))
            key = {Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03")};
        else if (text == QLatin1String(" "))
            key.key = Qt::Key_Space;
        else
            key.key = text.at(0).toUpper().unicode();
        const ScanBurst::Verdict v = burst.press(key, at);
        actual += v == ScanBurst::Verdict::Held ? QLatin1Char('H') : v == ScanBurst::Verdict::Pass ? QLatin1Char('P') : QLatin1Char('S');
        if (v == ScanBurst::Verdict::Scan) {
            last.clear();
            for (const ScanBurst::Key &held : burst.keys())
                last += held.text;
        }
    }
    QCOMPARE(actual, verdicts);
    QCOMPARE(last, scanned);
}

void TstCommon::messageHandsAScanToTheFocus_data()
{
    QTest::addColumn<int>("delay"); // between two keys
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("entered");
    QTest::newRow("a scanner") << 0 << "A123" << 1;
    QTest::newRow("a person") << 120 << "" << 0;
}

// A window whose one box has the focus, as a desk's number box has when a message comes up.
struct ScanBoxWindow : QDialog {
    QLineEdit *box = new QLineEdit(this);
    bool showWithFocus()
    {
        (new QVBoxLayout(this))->addWidget(box);
        show();
        if (!QTest::qWaitForWindowActive(this))
            return false;
        box->setFocus();
        return true;
    }
};

// The real platform: a message box open over a scan box.
void TstCommon::messageHandsAScanToTheFocus()
{
    QFETCH(int, delay);
    QFETCH(QString, typed);
    QFETCH(int, entered);
    Platform::install(std::make_unique<QtPlatform>());
    ScanBoxWindow window;
    QVERIFY(window.showWithFocus());
    QLineEdit *box = window.box;
    QSignalSpy enter(box, &QLineEdit::returnPressed);
    bool closedByEnter = false;
    QTimer::singleShot(0, [&] {
        auto *message = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!message)
            return;
        QTest::keyClicks(message, QStringLiteral("A123"), Qt::NoModifier, delay);
        if (delay)
            QTest::qWait(delay);
        QTest::keyClick(message, Qt::Key_Return);
        closedByEnter = !message->isVisible();
    });
    Platform::instance().message(QStringLiteral("没有找到该图书的数据,请重新输入."));
    QVERIFY(closedByEnter);
    QVERIFY(!QApplication::activeModalWidget());
    QTRY_COMPARE(enter.count(), entered);
    QTest::qWait(20);
    QCOMPARE(box->text(), typed);
    QCOMPARE(enter.count(), entered);
}

// A scan while a question is open answers nothing: the question waits for the person, and the
// scan reaches the box that had the focus afterwards.
void TstCommon::questionIsNotAnsweredByAScan()
{
    Platform::install(std::make_unique<QtPlatform>());
    ScanBoxWindow window;
    QVERIFY(window.showWithFocus());
    QLineEdit *box = window.box;
    QSignalSpy enter(box, &QLineEdit::returnPressed);
    bool openAfterScans = false;
    QTimer::singleShot(0, [&] {
        auto *question = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!question)
            return;
        for (const char *code : {"B001", "B002"}) {
            QTest::keyClicks(question, QString::fromLatin1(code));
            QTest::keyClick(question, Qt::Key_Return);
        }
        openAfterScans = question->isVisible();
        question->button(QMessageBox::Yes)->click();
    });
    QVERIFY(Platform::instance().question(QStringLiteral("确定要删除吗?")));
    QVERIFY(openAfterScans);
    QTRY_COMPARE(enter.count(), 2);
    QCOMPARE(box->text(), QStringLiteral("B001B002")); // a real box would take each on its Enter
}

QTEST_MAIN(TstCommon)
#include "tst_common.moc"
