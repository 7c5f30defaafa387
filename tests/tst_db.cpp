// The database layer: Money, display texts, bound statements on each engine, transactions,
// connection texts.
#include "TestLibrary.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Money.h"
#include "db/Quote.h"
#include "db/Sql.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using db::Money;
using db::Sql;

class TstDb : public QObject {
    Q_OBJECT
private slots:
    void moneyParse_data();
    void moneyParse();
    void moneyArithmeticIsExact();
    void displayText_data();
    void displayText();
    void engines_data();
    void boundValuesRoundTrip_data() { engines_data(); }
    void boundValuesRoundTrip();
    void dateComparisonAndRowLimit_data() { engines_data(); }
    void dateComparisonAndRowLimit();
    void balanceArithmeticStaysExact_data() { engines_data(); }
    void balanceArithmeticStaysExact();
    void transactionRollsBackOnException_data() { engines_data(); }
    void transactionRollsBackOnException();
    void uniqueBookNumberIsRefused_data() { engines_data(); }
    void uniqueBookNumberIsRefused();
    void identifiersAreCheckedAgainstSchema();
    void connectionText_data();
    void connectionText();
    void accessTextIsRefused();
    void missingOrForeignFileIsNotOpened();
};

void TstDb::moneyParse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qlonglong>("raw");
    QTest::addColumn<QString>("shown");
    QTest::newRow("whole") << "12" << true << 120000LL << "12.00";
    QTest::newRow("four decimals") << "0.1234" << true << 1234LL << "0.12";
    QTest::newRow("negative") << "-3.5" << true << -35000LL << "-3.50";
    QTest::newRow("separators") << "1,234.50" << true << 12345000LL << "1234.50";
    QTest::newRow("trailing zeros beyond four") << "2.500000" << true << 25000LL << "2.50";
    QTest::newRow("five decimals") << "0.12345" << false << 0LL << "";
    QTest::newRow("letters") << "12a" << false << 0LL << "";
    QTest::newRow("empty") << "" << false << 0LL << "";
    QTest::newRow("half rounds away") << "-0.005" << true << -50LL << "-0.01";
}

void TstDb::moneyParse()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const auto m = Money::parse(text);
    QCOMPARE(m.has_value(), valid);
    if (valid) {
        QFETCH(qlonglong, raw);
        QFETCH(QString, shown);
        QCOMPARE(qlonglong(m->raw()), raw);
        QCOMPARE(m->toString(), shown);
    }
}

void TstDb::moneyArithmeticIsExact()
{
    Money sum;
    for (int i = 0; i < 10; ++i)
        sum += *Money::parse(QStringLiteral("0.1"));
    QCOMPARE(sum, Money::fromInt(1));
    QCOMPARE(Money::fromDouble(0.1 + 0.2), *Money::parse(QStringLiteral("0.3")));
    QCOMPARE((*Money::parse(QStringLiteral("0.35")) * 3).toPlainString(), QStringLiteral("1.05"));
}

void TstDb::displayText_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("statement");
    QTest::addColumn<QString>("expected");
    // 0: reader by number, 1: overdue loans, 2: contains-search, 3: login with a delimiter in the
    // name, 4: row limit
    QTest::newRow("a reader") << "a" << 0 << "select * from 读者库 where 读者编号=\"R001\"";
    QTest::newRow("s reader") << "s" << 0 << "select * from 读者库 where 读者编号='R001'";
    QTest::newRow("a overdue") << "a" << 1 << "select * from 借出记录 where 应还日期 <=#2009-03-01# and 已还=\"否\" ";
    QTest::newRow("s overdue") << "s" << 1 << "select * from 借出记录 where 应还日期 <='2009-03-01' and 已还='否' ";
    QTest::newRow("a like") << "a" << 2 << "select * from 图书 where 名称 like \"%数据库%\"";
    QTest::newRow("s like") << "s" << 2 << "select * from 图书 where 名称 like '%数据库%'";
    QTest::newRow("a delimiter doubled") << "a" << 3 << "select * from admin where adminname =\"a\"\"b'c\" and pwd=\"x\"";
    QTest::newRow("s delimiter doubled") << "s" << 3 << "select * from admin where adminname ='a\"b''c' and pwd='x'";
    QTest::newRow("other kind, no delimiters") << "0" << 0 << "select * from 读者库 where 读者编号=R001";
    QTest::newRow("a top") << "a" << 4 << "select top 200 * from 读者库 where 读者姓名 like \"%张%\"";
    QTest::newRow("s top") << "s" << 4 << "select top 200 * from 读者库 where 读者姓名 like '%张%'";
    QTest::newRow("p limit") << "p" << 4 << "select * from 读者库 where 读者姓名 like '%张%' limit 200";
}

static Sql sampleStatement(int which)
{
    switch (which) {
    case 0:
        return Sql("select * from 读者库 where 读者编号=") + Sql::text(QStringLiteral("R001"));
    case 1:
        return Sql("select * from 借出记录 where 应还日期 <=") + Sql::date(QDate(2009, 3, 1)) + " and 已还="
            + Sql::text(QStringLiteral("否")) + " ";
    case 2:
        return Sql("select * from 图书 where 名称 like ") + Sql::like(QStringLiteral("数据库"));
    case 3:
        return Sql("select * from admin where adminname =") + Sql::text(QStringLiteral("a\"b'c")) + " and pwd="
            + Sql::text(QStringLiteral("x"));
    default:
        return (Sql("select * from 读者库 where 读者姓名 like ") + Sql::like(QStringLiteral("张"))).limit(200);
    }
}

void TstDb::displayText()
{
    QFETCH(QString, kind);
    QFETCH(int, statement);
    QFETCH(QString, expected);
    QCOMPARE(sampleStatement(statement).displayText(kind), expected);
}

void TstDb::engines_data() { TestLibrary::addEngineRows(); }

void TstDb::boundValuesRoundTrip()
{
    LIBRARY_FOR_ENGINE();
    const QString tricky = QStringLiteral("O'Brien \"引号\" ?; drop table admin; --");
    database.insert(QStringLiteral("读者库"), {{QStringLiteral("读者编号"), tricky},
                                               {QStringLiteral("读者姓名"), QStringLiteral("张三")},
                                               {QStringLiteral("登记日期"), QDate(2024, 2, 29)},
                                               {QStringLiteral("卡内金额"), QVariant::fromValue(*Money::parse("12.3456"))}});
    db::Rows rows = database.select(Sql("select * from 读者库 where 读者编号=") + Sql::text(tricky));
    QVERIFY(rows.next());
    QCOMPARE(rows.text(QStringLiteral("读者姓名")), QStringLiteral("张三"));
    QCOMPARE(rows.date(QStringLiteral("登记日期")), QDate(2024, 2, 29));
    QCOMPARE(rows.money(QStringLiteral("卡内金额")), *Money::parse("12.3456"));
    QCOMPARE(rows.integer(QStringLiteral("未还数量")), 0); // the schema's default
    QVERIFY(!rows.next());
    QVERIFY(database.hasTable(QStringLiteral("admin")));

    db::Rows admin = database.select(Sql("select * from admin where AdminName=") + Sql::text(QStringLiteral("超级管理员")));
    QVERIFY(admin.next());
    QVERIFY(admin.yes(QStringLiteral("qxsysset")));
    QCOMPARE(admin.text(QStringLiteral("pwd")), QStringLiteral("7394"));

    const QVariant id = database.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QStringLiteral("充值")}},
                                        QStringLiteral("id"));
    QVERIFY(id.toLongLong() > 0);
}

void TstDb::dateComparisonAndRowLimit()
{
    LIBRARY_FOR_ENGINE();
    const QDate today(2026, 12, 9);
    for (int offset : {-1, 0, 1})
        database.insert(QStringLiteral("借出记录"), {{QStringLiteral("编号"), QString::number(offset)},
                                                     {QStringLiteral("应还日期"), today.addDays(offset)},
                                                     {QStringLiteral("已还"), QStringLiteral("否")}});
    database.insert(QStringLiteral("借出记录"), {{QStringLiteral("编号"), QStringLiteral("returned")},
                                                 {QStringLiteral("应还日期"), today.addDays(-5)},
                                                 {QStringLiteral("已还"), QStringLiteral("是")}});
    db::Rows rows = database.select(Sql("select * from 借出记录 where 应还日期 <=") + Sql::date(today) + " and 已还="
                                    + Sql::text(QStringLiteral("否")) + " order by 编号");
    QStringList numbers;
    while (rows.next())
        numbers << rows.text(QStringLiteral("编号"));
    QCOMPARE(numbers, (QStringList{QStringLiteral("-1"), QStringLiteral("0")}));

    db::Rows limited = database.select(Sql("select * from 借出记录 order by 编号").limit(2));
    int count = 0;
    while (limited.next())
        ++count;
    QCOMPARE(count, 2);
}

void TstDb::balanceArithmeticStaysExact()
{
    LIBRARY_FOR_ENGINE();
    database.insert(QStringLiteral("读者库"), {{QStringLiteral("读者编号"), QStringLiteral("R1")}});
    for (int i = 0; i < 10; ++i)
        database.exec(Sql("update 读者库 set 卡内金额=卡内金额+") + Sql::value(QVariant::fromValue(*Money::parse("0.1")))
                      + " where 读者编号=" + Sql::text(QStringLiteral("R1")));
    database.exec(Sql("update 读者库 set 卡内金额=卡内金额-") + Sql::value(QVariant::fromValue(*Money::parse("1.0001")))
                  + " where 读者编号=" + Sql::text(QStringLiteral("R1")));
    db::Rows rows = database.select(Sql("select sum(卡内金额) as s, 卡内金额 from 读者库 group by 卡内金额"));
    QVERIFY(rows.next());
    QCOMPARE(rows.money(QStringLiteral("卡内金额")), Money::fromRaw(-1));
    QCOMPARE(rows.money(QStringLiteral("s")), Money::fromRaw(-1));
}

void TstDb::transactionRollsBackOnException()
{
    LIBRARY_FOR_ENGINE();
    try {
        db::Transaction transaction(database);
        database.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QStringLiteral("充值")}});
        database.exec(Sql("update 没有这个表 set x=1"));
        transaction.commit();
        QFAIL("the bad statement should throw");
    } catch (const db::DbError &e) {
        QVERIFY(!e.text().isEmpty());
    }
    db::Rows rows = database.select(Sql("select count(*) as n from 收入"));
    QVERIFY(rows.next());
    QCOMPARE(rows.integer(QStringLiteral("n")), 0);

    {
        db::Transaction transaction(database);
        database.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QStringLiteral("充值")}});
        transaction.commit();
    }
    db::Rows after = database.select(Sql("select count(*) as n from 收入"));
    QVERIFY(after.next());
    QCOMPARE(after.integer(QStringLiteral("n")), 1);
}

void TstDb::uniqueBookNumberIsRefused()
{
    LIBRARY_FOR_ENGINE();
    database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QStringLiteral("B1")}});
    QVERIFY_THROWS_EXCEPTION(db::DbError, database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QStringLiteral("B1")}}));
    // 期刊.编号 carries no unique key.
    database.insert(QStringLiteral("期刊"), {{QStringLiteral("编号"), QStringLiteral("Q1")}});
    database.insert(QStringLiteral("期刊"), {{QStringLiteral("编号"), QStringLiteral("Q1")}});
}

void TstDb::identifiersAreCheckedAgainstSchema()
{
    TestLibrary library;
    db::Database &database = library.db();
    database.select(Sql("select ") + Sql::identifier(QStringLiteral("名称")) + " from " + Sql::identifier(QStringLiteral("图书")));
    QVERIFY_THROWS_EXCEPTION(db::DbError, database.select(Sql("select * from ") + Sql::identifier(QStringLiteral("图书; drop table admin"))));
    QVERIFY(database.hasTable(QStringLiteral("admin")));
}

void TstDb::connectionText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("target"); // file, or host:port/database@user
    QTest::addColumn<QString>("password");
    QTest::newRow("sqlite relative") << "Provider=SQLite;Data Source=book.db" << int(db::Engine::SQLite) << "/prog/book.db" << "";
    QTest::newRow("sqlite absolute") << "provider=sqlite; data source = /data/lib.db" << int(db::Engine::SQLite) << "/data/lib.db" << "";
    QTest::newRow("sql server")
        << "Provider=SQLOLEDB.1;Password=p;w;Persist Security Info=True;User ID=sa;Initial Catalog=book;Data Source=10.0.0.5,1500;"
        << int(db::Engine::SqlServer) << "10.0.0.5:1500/book@sa" << "p";
    QTest::newRow("sql server quoted password")
        << "Provider=SQLOLEDB.1;Password=\"p;w\";User ID=sa;Initial Catalog=book;Data Source=(local)"
        << int(db::Engine::SqlServer) << "127.0.0.1:0/book@sa" << "p;w";
    QTest::newRow("postgresql") << "Provider=PostgreSQL;Password=x;User ID=lib;Initial Catalog=book;Data Source=dbhost:5433;"
                                << int(db::Engine::PostgreSQL) << "dbhost:5433/book@lib" << "x";
}

void TstDb::connectionText()
{
    QFETCH(QString, text);
    QFETCH(int, engine);
    QFETCH(QString, target);
    QFETCH(QString, password);
    const db::ConnectionSpec spec = db::parseConnectionText(text, QStringLiteral("/prog"));
    QCOMPARE(int(spec.engine), engine);
    if (spec.engine == db::Engine::SQLite) {
        QCOMPARE(spec.file, target);
    } else {
        QCOMPARE(QStringLiteral("%1:%2/%3@%4").arg(spec.host).arg(spec.port).arg(spec.database, spec.user), target);
        QCOMPARE(spec.password, password);
    }
    if (spec.engine == db::Engine::SqlServer) {
        const QString odbc = db::odbcConnectString(spec);
        QVERIFY(odbc.contains(QStringLiteral("DATABASE=book;")));
        QVERIFY(odbc.contains(QStringLiteral("UID=sa;PWD=") + (password.contains(';') ? "{p;w}" : password) + ";"));
    }
}

void TstDb::accessTextIsRefused()
{
    const QString jet = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=book.mdb;Mode=Share Deny None;"
                                       "Jet OLEDB:Database Password=583920174;Jet OLEDB:Engine Type=5");
    try {
        db::parseConnectionText(jet, QStringLiteral("/prog"));
        QFAIL("an Access text must be refused");
    } catch (const db::DbError &e) {
        QCOMPARE(e.text(), db::accessNotSupportedMessage());
        QVERIFY(e.text().contains(QStringLiteral("book.mdb")));
    }
    QVERIFY_THROWS_EXCEPTION(db::DbError, db::parseConnectionText(QStringLiteral("0"), QStringLiteral("/prog")));
}

void TstDb::missingOrForeignFileIsNotOpened()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("book.db"));
    db::ConnectionSpec spec = db::parseConnectionText(QStringLiteral("Provider=SQLite;Data Source=book.db"), dir.path());
    QVERIFY_THROWS_EXCEPTION(db::DbError, db::Database(spec, QStringLiteral("a")));
    QVERIFY(!QFile::exists(missing)); // opening never creates an empty file

    QFile foreign(missing);
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.close();
    QVERIFY_THROWS_EXCEPTION(db::DbError, db::Database(spec, QStringLiteral("a")));
}

QTEST_GUILESS_MAIN(TstDb)
#include "tst_db.moc"
