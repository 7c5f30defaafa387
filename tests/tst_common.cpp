// Pinyin initials and de.ini.
#include "app/IniFile.h"
#include "common/Pinyin.h"

#include <QFile>
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

QTEST_APPLESS_MAIN(TstCommon)
#include "tst_common.moc"
