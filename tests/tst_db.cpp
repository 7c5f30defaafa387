// The database layer: Money, display texts, bound statements on each engine, transactions,
// connection texts.
#include "TestLibrary.h"
#include "db/Amounts.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Money.h"
#include "db/Quote.h"
#include "db/Sql.h"
#include "db/Transaction.h"

#include "DeskWrites.h"
#include "tools/DatabaseCreator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <functional>
#include <limits>
#include <atomic>
#include <optional>
#include <thread>

using db::Money;
using db::Sql;

namespace QTest {
template <>
char *toString(const Money &m)
{
    return qstrdup(m.toPlainString().toUtf8().constData());
}
} // namespace QTest

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
    void errorTextIsReadable();
    void connectionText_data();
    void connectionText();
    void accessTextIsRefused();
    void missingOrForeignFileIsNotOpened();

    void moneyRoundTrip_data();
    void moneyRoundTrip();
    void notAnAmountIsRefused_data();
    void notAnAmountIsRefused();
    void typedBoxText_data();
    void typedBoxText();
    void amountsInStatements_data();
    void amountsInStatements();
    void nestedScopeWithoutCommitRollsBackAll_data() { engines_data(); }
    void nestedScopeWithoutCommitRollsBackAll();
    void savepointUndoesOnlyItsOwnWrites_data() { engines_data(); }
    void savepointUndoesOnlyItsOwnWrites();
    void unfinishedRowsReadOnAcrossOtherStatements_data() { engines_data(); }
    void unfinishedRowsReadOnAcrossOtherStatements();
    void unfinishedRowsReadOnAcrossSchemaLookups_data() { engines_data(); }
    void unfinishedRowsReadOnAcrossSchemaLookups();
    void rowEditSurvivesAnotherDesk_data() { engines_data(); }
    void rowEditSurvivesAnotherDesk();
    void rowChangeThatIsNotOneRowChangesNothing_data() { engines_data(); }
    void rowChangeThatIsNotOneRowChangesNothing();
    void embeddedFileIsWrittenInWal();
    void desksWritingAtOnceLoseNothing_data() { engines_data(); }
    void desksWritingAtOnceLoseNothing();
    void processesWritingAtOnceLoseNothing_data() { engines_data(); }
    void processesWritingAtOnceLoseNothing();
    void backupIsOneSnapshotWhileDesksWrite();
    void backupReplacesAnEarlierCopyWhole();
    void backupIsRefused_data();
    void backupIsRefused();
    void containsSearchIgnoresLetterCase_data() { engines_data(); }
    void containsSearchIgnoresLetterCase();
    void connectionTextQuotesValues_data();
    void connectionTextQuotesValues();
    void oddCredentialsConnect_data() { engines_data(); }
    void oddCredentialsConnect();
    void schemaFilesDescribeOneSchema();
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
    QTest::newRow("groups of three") << "1,234,567.5" << true << 12345675000LL << "1234567.50";
    QTest::newRow("misplaced separators") << "1,2,3" << false << 0LL << "";
    QTest::newRow("group of two") << "12,34.5" << false << 0LL << "";
    QTest::newRow("separator first") << ",123" << false << 0LL << "";
    QTest::newRow("largest amount") << "922337203685477.5807" << true << std::numeric_limits<qlonglong>::max()
                                    << "922337203685477.58";
    QTest::newRow("one ten-thousandth too many") << "922337203685477.5808" << false << 0LL << "";
    QTest::newRow("sixteen digits") << "1000000000000000" << false << 0LL << "";
    QTest::newRow("twenty digits") << "99999999999999999999" << false << 0LL << "";
    QTest::newRow("leading zeros") << "0000000000000000012.5" << true << 125000LL << "12.50";
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
    // name, 4: row limit, 5: values bound with Sql::value
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
    QTest::newRow("a values") << "a" << 5 << "update 读者库 set 读者姓名=\"O'Brien\", 有效期=#2500-01-01#, 未还数量=2";
    QTest::newRow("s values") << "s" << 5 << "update 读者库 set 读者姓名='O''Brien', 有效期='2500-01-01', 未还数量=2";
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
    case 5:
        // Values bound as values still show as literals of their kind.
        return Sql("update 读者库 set 读者姓名=") + Sql::value(QStringLiteral("O'Brien")) + ", 有效期="
            + Sql::value(QDate(2500, 1, 1)) + ", 未还数量=" + Sql::value(2);
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
    LIBRARY_CHECK_ENGINE(engine);
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

// --- money on every engine ------------------------------------------------------------------

// The engines of the test library's table, for tables that cross them with other cases.
static QList<QPair<QByteArray, int>> engineChoices()
{
    QList<QPair<QByteArray, int>> engines{{"sqlite", int(TestLibrary::EngineChoice::SQLite)}};
    if (TestLibrary::postgresAvailable())
        engines.append({"postgresql", int(TestLibrary::EngineChoice::PostgreSQL)});
    return engines;
}

static QVariant money(const char *text) { return QVariant::fromValue(*Money::parse(QString::fromUtf8(text))); }

static qint64 count(db::Database &database, const QString &table)
{
    db::Rows rows = database.select(Sql::fixed(QStringLiteral("select count(*) as n from %1").arg(table)));
    rows.next();
    return rows.integer(QStringLiteral("n"));
}

// The first column of every row, as text ("null" for none).
static QStringList column(db::Database &database, const Sql &select)
{
    QStringList values;
    db::Rows rows = database.select(select);
    while (rows.next())
        values.append(rows.query().isNull(0) ? QStringLiteral("null") : rows.query().value(0).toString());
    return values;
}

// The only value of a money column, as grids and reports read it.
static Money amount(db::Database &database, const QString &table, const QString &column)
{
    db::Rows rows = database.select(Sql::fixed(QStringLiteral("select %1 from %2").arg(column, table)));
    if (!rows.next())
        return Money::fromRaw(-424242);
    const QVariant typed = rows.typed(0);
    if (typed.metaType() != QMetaType::fromType<Money>())
        return Money::fromRaw(-434343);
    return typed.value<Money>();
}

static db::Fields withRequired(const QString &table, db::Fields fields, const QString &number)
{
    if (table == QStringLiteral("图书"))
        fields.append({QStringLiteral("编号"), number}); // not null and unique
    return fields;
}

void TstDb::moneyRoundTrip_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("first");
    QTest::addColumn<QString>("firstStored");
    QTest::addColumn<QVariant>("second");
    QTest::addColumn<QString>("secondStored");
    struct Input {
        const char *name;
        QVariant first;
        const char *firstStored;
        QVariant second;
        const char *secondStored;
    };
    const QList<Input> inputs{
        {"double", 12.5, "12.5", 7.25, "7.25"},
        {"text", QStringLiteral("12.5"), "12.5", QStringLiteral("1,234.5"), "1234.5"},
        {"Money", money("12.5"), "12.5", money("0.0001"), "0.0001"},
        {"integer", 12, "12", qlonglong(3), "3"},
    };
    const QList<QPair<const char *, const char *>> columns{
        {"图书", "价格"}, {"借出记录", "租金"}, {"读者库", "卡内金额"}, {"收入", "金额"}};
    for (const auto &[engineName, engine] : engineChoices())
        for (const auto &[table, column] : columns)
            for (const Input &in : inputs)
                QTest::addRow("%s %s.%s %s", engineName.constData(), table, column, in.name)
                    << engine << QString::fromUtf8(table) << QString::fromUtf8(column) << in.first
                    << QString::fromUtf8(in.firstStored) << in.second << QString::fromUtf8(in.secondStored);
}

// A double, a text or a whole number written into a money column keeps its amount; a sum of the
// column, declared as money, reads back exact.
void TstDb::moneyRoundTrip()
{
    QFETCH(int, engine);
    LIBRARY_CHECK_ENGINE(engine);
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(QVariant, first);
    QFETCH(QString, firstStored);
    QFETCH(QVariant, second);
    QFETCH(QString, secondStored);
    TestLibrary library(static_cast<TestLibrary::EngineChoice>(engine));
    db::Database &database = library.db();

    database.insert(table, withRequired(table, {{column, first}}, QStringLiteral("M1")));
    QCOMPARE(amount(database, table, column), *Money::parse(firstStored));
    QCOMPARE(database.update(table, {{column, second}}, Sql()), 1);
    QCOMPARE(amount(database, table, column), *Money::parse(secondStored));

    database.insert(table, withRequired(table, {{column, money("0.1")}}, QStringLiteral("M2")));
    Sql sum = Sql::fixed(QStringLiteral("select sum(%1) as 合计 from %2").arg(column, table));
    sum.kind(QStringLiteral("合计"), db::ColumnKind::Money);
    db::Rows rows = database.select(sum);
    QVERIFY(rows.next());
    QCOMPARE(rows.kindOf(0), db::ColumnKind::Money);
    QCOMPARE(rows.typed(0).value<Money>(), *Money::parse(secondStored) + *Money::parse("0.1"));
}

void TstDb::notAnAmountIsRefused_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QString>("text");
    for (const auto &[engineName, engine] : engineChoices())
        for (const char *text : {"abc", "1,2,3", "12.34567", "9999999999999999"})
            QTest::addRow("%s %s", engineName.constData(), text) << engine << QString::fromLatin1(text);
}

// What an entry box's text stores in a column of each kind, and the text it shows again.
void TstDb::typedBoxText_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("stored"); // invalid: refused
    QTest::addColumn<QString>("shown");
    const QVariant refused;
    QTest::newRow("empty text is null") << "名称" << "" << QVariant(QMetaType(QMetaType::QString)) << "";
    QTest::newRow("text as typed") << "名称" << " 普通 " << QVariant(QStringLiteral(" 普通 ")) << " 普通 ";
    QTest::newRow("empty number is null") << "借阅天数" << "" << QVariant(QMetaType(QMetaType::QString)) << "";
    QTest::newRow("whole number") << "借阅天数" << " 30 " << QVariant(qlonglong(30)) << "30";
    QTest::newRow("not a whole number") << "借阅天数" << "3.5" << refused << "";
    QTest::newRow("letters for a number") << "借阅数量限制" << "abc" << refused << "";
    QTest::newRow("floating") << "超期每日罚金" << "0.25" << QVariant(0.25) << "0.25";
    QTest::newRow("floating without decimals") << "押金倍数" << "2" << QVariant(2.0) << "2";
    QTest::newRow("letters for a floating") << "押金倍数" << "x" << refused << "";
    QTest::newRow("amount") << "租金" << "0.35" << QVariant::fromValue(Money::fromRaw(3500)) << "0.35";
    QTest::newRow("amount in whole yuan") << "开户费" << "5" << QVariant::fromValue(Money::fromInt(5)) << "5.00";
    QTest::newRow("amount of four decimals") << "租金" << "1.2345" << QVariant::fromValue(Money::fromRaw(12345)) << "1.2345";
    QTest::newRow("amount of five decimals") << "租金" << "1.23456" << refused << "";
    QTest::newRow("blanks for an amount") << "开户费" << "  " << refused << "";
}

void TstDb::typedBoxText()
{
    QFETCH(QString, column);
    QFETCH(QString, text);
    QFETCH(QVariant, stored);
    QFETCH(QString, shown);
    if (!stored.isValid()) {
        try {
            db::typedFieldValue(column, text);
            QFAIL("the text should be refused");
        } catch (const db::DbError &e) {
            QVERIFY2(e.text().contains(column) && e.text().contains(text), qPrintable(e.text()));
        }
        return;
    }
    const QVariant value = db::typedFieldValue(column, text);
    if (stored.isNull()) {
        QVERIFY(value.isNull());
    } else {
        QCOMPARE(value.metaType(), stored.metaType());
        QCOMPARE(value, stored);
    }
    QCOMPARE(db::fieldText(value), shown);
}

void TstDb::notAnAmountIsRefused()
{
    QFETCH(int, engine);
    LIBRARY_CHECK_ENGINE(engine);
    QFETCH(QString, text);
    TestLibrary library(static_cast<TestLibrary::EngineChoice>(engine));
    db::Database &database = library.db();
    const QString balance = QStringLiteral("卡内金额");
    try {
        database.insert(QStringLiteral("读者库"), {{QStringLiteral("读者编号"), QStringLiteral("R1")}, {balance, text}});
        QFAIL("the insert should be refused");
    } catch (const db::DbError &e) {
        QVERIFY2(e.text().contains(balance), qPrintable(e.text()));
    }
    QCOMPARE(count(database, QStringLiteral("读者库")), 0);

    database.insert(QStringLiteral("读者库"), {{QStringLiteral("读者编号"), QStringLiteral("R1")}, {balance, money("5")}});
    QVERIFY_THROWS_EXCEPTION(db::DbError, database.update(QStringLiteral("读者库"), {{balance, text}}, Sql()));
    QCOMPARE(amount(database, QStringLiteral("读者库"), balance), Money::fromInt(5));
}

void TstDb::amountsInStatements_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QVariant>("step");
    QTest::addColumn<QString>("afterTen");
    for (const auto &[engineName, engine] : engineChoices()) {
        QTest::addRow("%s Sql::money", engineName.constData()) << engine << money("0.1") << "1";
        QTest::addRow("%s double", engineName.constData()) << engine << QVariant(0.1) << "1";
        QTest::addRow("%s text", engineName.constData()) << engine << QVariant(QStringLiteral("0.1")) << "1";
        QTest::addRow("%s integer", engineName.constData()) << engine << QVariant(2) << "20";
    }
}

// A value bound beside a money column in a statement of the program's own (a top-up, a balance
// set) is an amount, whatever its type; a factor stays a factor.
void TstDb::amountsInStatements()
{
    QFETCH(int, engine);
    LIBRARY_CHECK_ENGINE(engine);
    QFETCH(QVariant, step);
    QFETCH(QString, afterTen);
    TestLibrary library(static_cast<TestLibrary::EngineChoice>(engine));
    db::Database &database = library.db();
    const QString balance = QStringLiteral("卡内金额");
    const Sql bound = step.metaType() == QMetaType::fromType<Money>() ? Sql::money(step.value<Money>()) : Sql::value(step);
    database.insert(QStringLiteral("读者库"), {{QStringLiteral("读者编号"), QStringLiteral("R1")}});
    for (int i = 0; i < 10; ++i)
        database.exec(Sql("update 读者库 set 卡内金额=卡内金额+") + bound + " where 读者编号=" + Sql::text(QStringLiteral("R1")));
    QCOMPARE(amount(database, QStringLiteral("读者库"), balance), *Money::parse(afterTen));
    database.exec(Sql("update 读者库 set 卡内金额 = 卡内金额 - ") + bound);
    database.exec(Sql("update 读者库 set 卡内金额 = ") + bound + " where 读者编号=" + Sql::text(QStringLiteral("R1")));
    QCOMPARE(amount(database, QStringLiteral("读者库"), balance), Money::fromVariant(step));

    database.insert(QStringLiteral("借出记录"), {{QStringLiteral("租金"), money("0.5")}});
    database.exec(Sql("update 借出记录 set 实际租期=") + Sql::value(3) + ", 实际租金=租金*" + Sql::value(3));
    QCOMPARE(amount(database, QStringLiteral("借出记录"), QStringLiteral("实际租金")), *Money::parse("1.5"));
}

// --- transactions ---------------------------------------------------------------------------

void TstDb::nestedScopeWithoutCommitRollsBackAll()
{
    LIBRARY_FOR_ENGINE();
    const auto addIncome = [&](const char *what) {
        database.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QString::fromUtf8(what)}});
    };
    {
        db::Transaction outer(database);
        addIncome("外");
        try {
            db::Transaction inner(database);
            addIncome("内");
            throw db::DbError(QStringLiteral("拒绝")); // a refusal half-way through the inner operation
        } catch (const db::DbError &) {
        }
        addIncome("之后");
        QVERIFY_THROWS_EXCEPTION(db::DbError, outer.commit());
    }
    QCOMPARE(count(database, QStringLiteral("收入")), 0);

    db::Transaction next(database); // the connection is usable again
    addIncome("下一次");
    next.commit();
    QCOMPARE(count(database, QStringLiteral("收入")), 1);
}

void TstDb::embeddedFileIsWrittenInWal()
{
    TestLibrary library;
    db::Database second(library.spec(), library.kind());
    for (db::Database *database : {&library.db(), &second}) {
        QCOMPARE(column(*database, Sql("pragma journal_mode")), QStringList{QStringLiteral("wal")});
        QVERIFY(column(*database, Sql("pragma busy_timeout")).value(0).toInt() >= 2000);
    }
}

static void addDeskCounter(db::Database &database)
{
    database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), DeskWrites::Item}, {QStringLiteral("数量"), 1000}});
}

static void checkDeskCounter(db::Database &database, int writes)
{
    db::Rows rows = database.select(Sql("select 数量 from 图书 where 编号=") + Sql::text(DeskWrites::Item));
    QVERIFY(rows.next());
    QCOMPARE(rows.integer(QStringLiteral("数量")), 1000 - writes);
    QCOMPARE(count(database, QStringLiteral("收入")), writes);
}

// Two desks on one library (threads with a connection each): a read, a counter and a ledger row
// in each transaction, as a loan does. Nobody is told "database is locked"; nothing is lost.
void TstDb::desksWritingAtOnceLoseNothing()
{
    LIBRARY_FOR_ENGINE();
    addDeskCounter(database);
    const int rounds = 150;
    QStringList failures[2];
    std::thread desks[2];
    for (int d = 0; d < 2; ++d)
        desks[d] = std::thread([&, d] {
            try {
                db::Database own(library.spec(), library.kind());
                DeskWrites::run(own, rounds, QStringLiteral("desk %1").arg(d));
            } catch (const db::DbError &e) {
                failures[d].append(e.text());
            }
        });
    for (std::thread &desk : desks)
        desk.join();
    QCOMPARE(failures[0] + failures[1], QStringList());
    checkDeskCounter(database, 2 * rounds);
}

// The same with two programs.
void TstDb::processesWritingAtOnceLoseNothing()
{
    LIBRARY_FOR_ENGINE();
    addDeskCounter(database);
    const int rounds = 150;
    QProcess desks[2];
    for (int d = 0; d < 2; ++d)
        desks[d].start(QStringLiteral(DESK_WRITER), {library.folder(), library.connectionText(), library.kind(),
                                                     QString::number(rounds), QStringLiteral("desk %1").arg(d)});
    for (QProcess &desk : desks) {
        QVERIFY(desk.waitForFinished(120000));
        QVERIFY2(desk.exitStatus() == QProcess::NormalExit && desk.exitCode() == 0,
                 desk.readAllStandardError().constData());
    }
    checkDeskCounter(database, 2 * rounds);
}

// A desk lends (takes a copy off 图书 and books a ledger row in one transaction) while the
// backup is taken: the copy opens as a sound database in which every loan is whole, and the
// program's connection goes on working.
void TstDb::backupIsOneSnapshotWhileDesksWrite()
{
    TestLibrary library;
    db::Database &database = library.db();
    addDeskCounter(database);
    // Written and committed, still only in the WAL: a copy of the file alone would miss them.
    DeskWrites::run(database, 40, QStringLiteral("before"));

    QStringList failures;
    std::atomic<bool> started = false;
    std::thread desk([&] {
        try {
            db::Database own(library.spec(), library.kind());
            DeskWrites::run(own, 1, QStringLiteral("desk"));
            started = true;
            DeskWrites::run(own, 300, QStringLiteral("desk"));
        } catch (const db::DbError &e) {
            failures.append(e.text());
        }
    });
    while (!started && failures.isEmpty())
        QThread::msleep(1);
    QTemporaryDir target;
    const QString copy = target.filePath(QStringLiteral("book.db"));
    database.backupTo(copy);
    desk.join();
    QCOMPARE(failures, QStringList());
    QCOMPARE(QDir(target.path()).entryList(QDir::Files), QStringList{QStringLiteral("book.db")});

    db::ConnectionSpec spec = library.spec();
    spec.file = copy;
    db::Database opened(spec, library.kind());
    QCOMPARE(column(opened, Sql("pragma integrity_check")), QStringList{QStringLiteral("ok")});
    const qint64 loans = count(opened, QStringLiteral("收入"));
    QVERIFY2(loans >= 41 && loans <= 341, qPrintable(QString::number(loans)));
    checkDeskCounter(opened, int(loans));
    QCOMPARE(count(opened, QStringLiteral("admin")), 1);

    DeskWrites::run(database, 1, QStringLiteral("after"));
    checkDeskCounter(database, 342);
}

void TstDb::backupReplacesAnEarlierCopyWhole()
{
    TestLibrary library;
    db::Database &database = library.db();
    QTemporaryDir target;
    const QString copy = target.filePath(QStringLiteral("book.db"));
    database.backupTo(copy);
    // The first copy was opened and left its side files beside it.
    {
        db::ConnectionSpec spec = library.spec();
        spec.file = copy;
        db::Database opened(spec, library.kind());
        opened.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QStringLiteral("in the old copy")}});
    }
    QFile stale(copy + QStringLiteral("-wal"));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray(4096, 'x'));
    stale.close();
    database.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QStringLiteral("second")}});
    // Another desk in the middle of a write neither holds the backup up nor gets into it.
    db::Database other(library.spec(), library.kind());
    db::Transaction unfinished(other);
    other.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QStringLiteral("not committed")}});
    database.backupTo(copy);
    QVERIFY(!QFile::exists(copy + QStringLiteral("-wal")));
    db::ConnectionSpec spec = library.spec();
    spec.file = copy;
    db::Database opened(spec, library.kind());
    QCOMPARE(column(opened, Sql("select 项目 from 收入")), QStringList{QStringLiteral("second")});
}

void TstDb::backupIsRefused_data()
{
    QTest::addColumn<QString>("where"); // own, missing folder, transaction, server
    QTest::newRow("the database's own file") << "own";
    QTest::newRow("a folder that is not there") << "missing";
    QTest::newRow("inside a transaction") << "transaction";
    QTest::newRow("a server database") << "server";
}

void TstDb::backupIsRefused()
{
    QFETCH(QString, where);
    if (where == QLatin1String("server") && !TestLibrary::postgresAvailable())
        QSKIP("the test script starts PostgreSQL");
    TestLibrary library(where == QLatin1String("server") ? TestLibrary::EngineChoice::PostgreSQL
                                                         : TestLibrary::EngineChoice::SQLite);
    db::Database &database = library.db();
    database.insert(QStringLiteral("收入"), {{QStringLiteral("项目"), QStringLiteral("kept")}});
    QTemporaryDir target;
    QString path = target.filePath(QStringLiteral("book.db"));
    if (where == QLatin1String("own"))
        path = QDir(library.folder()).filePath(QStringLiteral("./book.db"));
    if (where == QLatin1String("missing"))
        path = target.filePath(QStringLiteral("no such folder/book.db"));
    std::optional<db::Transaction> open;
    if (where == QLatin1String("transaction"))
        open.emplace(database);
    QVERIFY_THROWS_EXCEPTION(db::DbError, database.backupTo(path));
    open.reset();
    QCOMPARE(QDir(target.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(count(database, QStringLiteral("收入")), 1);
}

static QStringList bookNumbers(db::Database &database)
{
    return column(database, Sql("select 编号 from 图书 order by 编号"));
}

void TstDb::savepointUndoesOnlyItsOwnWrites()
{
    LIBRARY_FOR_ENGINE();
    const auto addBook = [&](const char *number) {
        database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QString::fromLatin1(number)}});
    };
    const auto failedInner = [&](const char *number) {
        try {
            db::Transaction inner(database);
            addBook(number);
            throw db::DbError(QStringLiteral("拒绝"));
        } catch (const db::DbError &) {
        }
    };
    {
        db::Transaction transaction(database);
        addBook("B1");
        {
            db::Savepoint line(database);
            addBook("B2");
        }
        {
            db::Savepoint line(database);
            QVERIFY_THROWS_EXCEPTION(db::DbError, addBook("B1")); // the unique key; PostgreSQL carries on after it
        }
        {
            db::Savepoint line(database);
            failedInner("B3"); // spoils only the part it is in
        }
        {
            db::Savepoint line(database);
            failedInner("B4");
            QVERIFY_THROWS_EXCEPTION(db::DbError, line.release());
        }
        {
            db::Savepoint line(database);
            addBook("B5");
            line.release();
        }
        {
            db::Savepoint outer(database); // nested parts: each undoes what lies inside it
            addBook("B6");
            {
                db::Savepoint inner(database);
                addBook("B7");
            }
            {
                db::Savepoint inner(database);
                addBook("B8");
                inner.release();
            }
            outer.release();
        }
        {
            db::Savepoint outer(database);
            {
                db::Savepoint inner(database);
                addBook("B9");
                inner.release();
            }
        }
        transaction.commit();
    }
    QCOMPARE(bookNumbers(database),
             (QStringList{QStringLiteral("B1"), QStringLiteral("B5"), QStringLiteral("B6"), QStringLiteral("B8")}));
    QVERIFY_THROWS_EXCEPTION(db::DbError, db::Savepoint{database}); // only inside a transaction
    database.reopen(); // the statements prepared before do not outlive the connection
    addBook("B10");
    QCOMPARE(bookNumbers(database).size(), 5);
}

// A list read half-way when a transaction begins, or while a statement runs for each of its rows,
// reads on to its end with every accessor (its rest is taken into memory where the engine would
// otherwise block the write or cut the list short).
void TstDb::unfinishedRowsReadOnAcrossOtherStatements()
{
    LIBRARY_FOR_ENGINE();
    for (const char *number : {"B1", "B2", "B3"})
        database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QString::fromLatin1(number)},
                                                 {QStringLiteral("价格"), money("0.5")}});
    db::Rows started = database.select(Sql("select 编号, 价格 from 图书 order by 编号"));
    db::Rows notStarted = database.select(Sql("select 编号 from 图书 order by 编号"));
    QVERIFY(started.next());
    db::Transaction transaction(database);
    QStringList seen;
    do {
        QCOMPARE(started.money(QStringLiteral("价格")), *Money::parse("0.5"));
        QCOMPARE(started.typed(1).value<Money>(), *Money::parse("0.5"));
        QCOMPARE(started.record().fieldName(1), QStringLiteral("价格"));
        seen.append(started.text(QStringLiteral("编号")));
        database.exec(Sql("update 图书 set 数量 = 数量 + 1 where 编号=") + Sql::text(seen.last()));
    } while (started.next());
    QVERIFY(!started.isValid());
    transaction.commit();
    while (notStarted.next()) {
        db::Rows copies = database.select(Sql("select 数量 from 图书 where 编号=") + Sql::text(notStarted.text(QStringLiteral("编号"))));
        QVERIFY(copies.next());
        seen.append(notStarted.text(QStringLiteral("编号")) + QLatin1Char(':') + copies.text(QStringLiteral("数量")));
    }
    QCOMPARE(seen.join(QLatin1Char(' ')), QStringLiteral("B1 B2 B3 B1:1 B2:1 B3:1"));
}

// The schema lookups a window makes between the rows of a list (which column names a row, whether
// a typed column exists) read the server's catalogue on the same connection: the list reads on.
void TstDb::unfinishedRowsReadOnAcrossSchemaLookups()
{
    LIBRARY_FOR_ENGINE();
    for (const char *number : {"B1", "B2", "B3"})
        database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QString::fromLatin1(number)}});
    db::Rows books = database.select(Sql("select 编号 from 图书 order by 编号"));
    QStringList seen;
    while (books.next()) {
        seen.append(books.text(QStringLiteral("编号")));
        QVERIFY(database.hasColumn(QStringLiteral("读者库"), QStringLiteral("读者姓名")));
        QVERIFY(database.hasTable(QStringLiteral("收入")));
        QCOMPARE(database.rowIdentity(QStringLiteral("收入")), QStringLiteral("id"));
    }
    QCOMPARE(seen, (QStringList{QStringLiteral("B1"), QStringLiteral("B2"), QStringLiteral("B3")}));
}

static QStringList periodicals(db::Database &database)
{
    return column(database, Sql("select 名称 || ' ' || coalesce(状态, '-') || ' ' || cast(数量 as text) as r from 期刊 order by 名称"));
}

// An edit by the row's identity after another desk changed the row (on PostgreSQL the row then
// lies elsewhere: a new ctid) changes that row and keeps the other desk's change; 编号 of 期刊
// is the same in both rows.
void TstDb::rowEditSurvivesAnotherDesk()
{
    LIBRARY_FOR_ENGINE();
    for (const char *name : {"甲", "乙"})
        database.insert(QStringLiteral("期刊"), {{QStringLiteral("编号"), QStringLiteral("Q1")},
                                                 {QStringLiteral("名称"), QString::fromUtf8(name)},
                                                 {QStringLiteral("数量"), 5}});
    const QString identity = database.rowIdentity(QStringLiteral("期刊"));
    db::Rows listed = database.select(Sql::fixed(QStringLiteral("select %1 as rid from 期刊 where 名称=").arg(identity))
                                      + Sql::text(QStringLiteral("甲")));
    QVERIFY(listed.next());
    const QVariant rowId = listed.value(QStringLiteral("rid"));

    db::Database otherDesk(library.spec(), library.kind());
    otherDesk.exec(Sql("update 期刊 set 数量 = 数量 - 1 where 名称=") + Sql::text(QStringLiteral("甲")));
    database.updateRow(QStringLiteral("期刊"), rowId, {{QStringLiteral("状态"), QStringLiteral("修补")}});
    QCOMPARE(periodicals(database), (QStringList{QStringLiteral("乙 - 5"), QStringLiteral("甲 修补 4")}));

    const QVariant loan = database.insert(QStringLiteral("借出记录"), {{QStringLiteral("读者编号"), QStringLiteral("R1")}},
                                          QStringLiteral("id"));
    database.insert(QStringLiteral("借出记录"), {{QStringLiteral("读者编号"), QStringLiteral("R2")}});
    QCOMPARE(database.rowIdentity(QStringLiteral("借出记录")), QStringLiteral("id"));
    database.updateRow(QStringLiteral("借出记录"), loan, {{QStringLiteral("已还"), QStringLiteral("是")}, {QStringLiteral("实际租金"), 1.5}});
    QCOMPARE(column(database, Sql("select 读者编号 || coalesce(已还, '-') from 借出记录 order by 读者编号")),
             (QStringList{QStringLiteral("R1是"), QStringLiteral("R2-")}));
    db::Rows rent = database.select(Sql("select 实际租金 from 借出记录 where id=") + Sql::value(loan));
    QVERIFY(rent.next());
    QCOMPARE(rent.money(QStringLiteral("实际租金")), *Money::parse("1.5"));
    database.deleteRow(QStringLiteral("借出记录"), loan);
    QCOMPARE(column(database, Sql("select 读者编号 from 借出记录")), QStringList{QStringLiteral("R2")});
}

// A change that would touch no row (another desk deleted it) or several is refused with its
// reason and leaves every row as it was; inside a transaction only that change is undone.
void TstDb::rowChangeThatIsNotOneRowChangesNothing()
{
    LIBRARY_FOR_ENGINE();
    for (const char *name : {"甲", "乙"})
        database.insert(QStringLiteral("期刊"), {{QStringLiteral("编号"), QStringLiteral("Q1")},
                                                 {QStringLiteral("名称"), QString::fromUtf8(name)},
                                                 {QStringLiteral("数量"), 5}});
    const QStringList before = periodicals(database);
    const Sql bothRows = Sql(" where 编号=") + Sql::text(QStringLiteral("Q1"));
    const auto refusal = [&](const std::function<void()> &change) {
        try {
            change();
        } catch (const db::DbError &e) {
            return e.text();
        }
        return QStringLiteral("(not refused)");
    };
    QCOMPARE(refusal([&] { database.updateOne(QStringLiteral("期刊"), {{QStringLiteral("状态"), QStringLiteral("下架")}}, bothRows); }),
             QStringLiteral("条件匹配多条记录 (2 条), 未保存。"));
    QCOMPARE(refusal([&] { database.deleteOne(QStringLiteral("期刊"), bothRows); }), QStringLiteral("条件匹配多条记录 (2 条), 未删除。"));
    QCOMPARE(periodicals(database), before);

    db::Rows listed = database.select(Sql("select rowid as rid from 期刊 where 名称=") + Sql::text(QStringLiteral("甲")));
    QVERIFY(listed.next());
    const QVariant rowId = listed.value(QStringLiteral("rid"));
    db::Database otherDesk(library.spec(), library.kind());
    otherDesk.exec(Sql("delete from 期刊 where 名称=") + Sql::text(QStringLiteral("甲")));
    const QString gone = QStringLiteral("该记录已不存在 (可能已被其他用户删除), 未%1。");
    QCOMPARE(refusal([&] { database.updateRow(QStringLiteral("期刊"), rowId, {{QStringLiteral("数量"), 9}}); }), gone.arg(QStringLiteral("保存")));
    QCOMPARE(refusal([&] { database.deleteRow(QStringLiteral("期刊"), rowId); }), gone.arg(QStringLiteral("删除")));
    QCOMPARE(periodicals(database), QStringList{QStringLiteral("乙 - 5")});

    {
        db::Transaction transaction(database);
        database.insert(QStringLiteral("期刊"), {{QStringLiteral("编号"), QStringLiteral("Q2")}, {QStringLiteral("名称"), QStringLiteral("丙")}});
        database.insert(QStringLiteral("期刊"), {{QStringLiteral("编号"), QStringLiteral("Q2")}, {QStringLiteral("名称"), QStringLiteral("丁")}});
        QVERIFY_THROWS_EXCEPTION(db::DbError, database.deleteOne(QStringLiteral("期刊"), Sql(" where 编号=") + Sql::text(QStringLiteral("Q2"))));
        transaction.commit();
    }
    QCOMPARE(periodicals(database).size(), 3);
}

// --- PostgreSQL like the others -------------------------------------------------------------

void TstDb::containsSearchIgnoresLetterCase()
{
    LIBRARY_FOR_ENGINE();
    database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QStringLiteral("B1")},
                                             {QStringLiteral("名称"), QStringLiteral("ABC数据库")},
                                             {QStringLiteral("py"), QStringLiteral("ABCSJK")}});
    database.insert(QStringLiteral("期刊"), {{QStringLiteral("编号"), QStringLiteral("Q1")},
                                             {QStringLiteral("名称"), QStringLiteral("Qt Weekly")},
                                             {QStringLiteral("py"), QStringLiteral("QTWEEKLY")}});
    database.insert(QStringLiteral("读者库"), {{QStringLiteral("读者编号"), QStringLiteral("R1")},
                                               {QStringLiteral("读者姓名"), QStringLiteral("Tom 张")},
                                               {QStringLiteral("py"), QStringLiteral("TZ")}});
    const QList<std::array<const char *, 3>> searches{{"图书", "名称", "abc"},    {"图书", "py", "sjk"},
                                                      {"期刊", "名称", "WEEK"},   {"期刊", "py", "tw"},
                                                      {"读者库", "读者姓名", "tOM"}, {"读者库", "py", "tz"}};
    for (const auto &[table, column, search] : searches) {
        db::Rows rows = database.select(Sql::fixed(QStringLiteral("select count(*) as n from %1 where %2 like ")
                                                       .arg(QString::fromUtf8(table), QString::fromUtf8(column)))
                                        + Sql::like(QString::fromUtf8(search)));
        QVERIFY(rows.next());
        QVERIFY2(rows.integer(QStringLiteral("n")) == 1, search);
    }
}


void TstDb::connectionTextQuotesValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << "secret";
    QTest::newRow("semicolon") << "p;w";
    QTest::newRow("apostrophe") << "it's";
    QTest::newRow("double quotes") << "say \"hi\"";
    QTest::newRow("all three") << "a\"b;c'd";
    QTest::newRow("starts with a quote") << "\"x";
    QTest::newRow("blanks at the ends") << "  spaced  ";
    QTest::newRow("equals sign") << "k=v";
    QTest::newRow("empty") << "";
}

void TstDb::connectionTextQuotesValues()
{
    QFETCH(QString, value);
    const QString text = db::connectionText({{QStringLiteral("Provider"), QStringLiteral("PostgreSQL")},
                                             {QStringLiteral("Password"), value},
                                             {QStringLiteral("User ID"), value},
                                             {QStringLiteral("Initial Catalog"), QStringLiteral("book")},
                                             {QStringLiteral("Data Source"), QStringLiteral("dbhost:5433")}});
    QCOMPARE(db::connectionTextValue(text, QStringLiteral("Password")), value);
    const db::ConnectionSpec spec = db::parseConnectionText(text, QStringLiteral("/prog"));
    QCOMPARE(spec.password, value);
    QCOMPARE(spec.user, value);
    QCOMPARE(spec.database, QStringLiteral("book"));
    QCOMPARE(spec.port, 5433);
}

static QString quotedName(QString name) { return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"'); }
static QString quotedText(QString text) { return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\''); }

// A user name and a password (PostgreSQL), or a file name (SQLite), holding ; ' and " connect
// through a connection text built with db::connectionText.
void TstDb::oddCredentialsConnect()
{
    LIBRARY_FOR_ENGINE();
    const QString odd = QStringLiteral("a;b'c\"d %1").arg(QCoreApplication::applicationPid());
    if (library.spec().engine == db::Engine::SQLite) {
        const QString text = db::connectionText({{QStringLiteral("Provider"), QStringLiteral("SQLite")},
                                                 {QStringLiteral("Data Source"), odd + QStringLiteral(".db")}});
        const db::ConnectionSpec spec = db::parseConnectionText(text, library.folder());
        QCOMPARE(QFileInfo(spec.file).fileName(), odd + QStringLiteral(".db"));
        tools::createDatabase(spec);
        db::Database opened(spec, QStringLiteral("a"));
        QCOMPARE(count(opened, QStringLiteral("admin")), 1);
        return;
    }
    // Roles are made by statements that take no bound values.
    const auto run = [&](const QString &statement) {
        QSqlQuery query(database.handle());
        QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
    };
    const QString role = quotedName(odd);
    run(QStringLiteral("create role %1 login password %2").arg(role, quotedText(odd + QStringLiteral("';\""))));
    const auto dropRole = qScopeGuard([&] {
        run(QStringLiteral("revoke select on admin from %1").arg(role));
        run(QStringLiteral("drop role %1").arg(role));
    });
    run(QStringLiteral("grant select on admin to %1").arg(role));
    const db::ConnectionSpec &server = library.spec();
    const QString text = db::connectionText({{QStringLiteral("Provider"), QStringLiteral("PostgreSQL")},
                                             {QStringLiteral("Password"), odd + QStringLiteral("';\"")},
                                             {QStringLiteral("User ID"), odd},
                                             {QStringLiteral("Initial Catalog"), server.database},
                                             {QStringLiteral("Data Source"), QStringLiteral("%1:%2").arg(server.host).arg(server.port)}});
    {
        db::Database opened(db::parseConnectionText(text, library.folder()), QStringLiteral("p"));
        QCOMPARE(column(opened, Sql("select current_user")), QStringList{odd});
        QCOMPARE(count(opened, QStringLiteral("admin")), 1);
    }
}

// --- one schema, three engines --------------------------------------------------------------

namespace {

// A schema file read back into what matters to the program: per table its columns (name, kind,
// default, not null) and its indexes, in a form the same on every engine.
struct SchemaDescription {
    QStringList tables;
    QStringList columns;       // "图书.价格 money default 0", in file order
    QStringList indexes;       // "unique 图书_编号 on 图书 (编号)", sorted
    QStringList hiddenRowIds;  // tables with the servers' hidden rowid column
    QStringList unknownTypes;
};

QStringList splitTopLevel(const QString &list)
{
    QStringList parts;
    int depth = 0;
    QString current;
    for (const QChar c : list) {
        if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        if (c == u',' && depth == 0) {
            parts.append(current.simplified());
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.simplified().isEmpty())
        parts.append(current.simplified());
    return parts;
}

QString kindOfType(const QString &definition)
{
    const QString d = definition.toUpper();
    if (d.contains(QLatin1String("AUTOINCREMENT")) || d.contains(QLatin1String("IDENTITY")))
        return QStringLiteral("autonumber");
    static const QList<QPair<QRegularExpression, QString>> types{
        {QRegularExpression(QStringLiteral("^(TEXT|NVARCHAR\\(255\\)|NVARCHAR\\(MAX\\))(\\s|$)")), QStringLiteral("text")},
        {QRegularExpression(QStringLiteral("^(INTEGER|INT)\\b")), QStringLiteral("integer")},
        {QRegularExpression(QStringLiteral("^(REAL|DOUBLE PRECISION|FLOAT)\\b")), QStringLiteral("floating")},
        {QRegularExpression(QStringLiteral("^(MONEY|NUMERIC\\(19,4\\))")), QStringLiteral("money")},
        {QRegularExpression(QStringLiteral("^DATE\\b")), QStringLiteral("date")},
        {QRegularExpression(QStringLiteral("^(BOOLEAN|BIT)\\b")), QStringLiteral("yes/no")}};
    for (const auto &[pattern, kind] : types)
        if (pattern.match(d).hasMatch())
            return kind;
    return {};
}

QString defaultOf(const QString &definition)
{
    static const QRegularExpression re(QStringLiteral("\\bDEFAULT\\s+(\\S+)"), QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(definition);
    if (!m.hasMatch())
        return {};
    const QString value = m.captured(1).toUpper();
    if (value == QLatin1String("FALSE"))
        return QStringLiteral(" default 0");
    if (value == QLatin1String("TRUE"))
        return QStringLiteral(" default 1");
    return QStringLiteral(" default ") + value;
}

SchemaDescription describe(db::Engine engine)
{
    static const QRegularExpression table(QStringLiteral("^CREATE TABLE (\\S+) \\((.*)\\)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression index(QStringLiteral("^CREATE (UNIQUE )?INDEX (\\S+) ON (\\S+) \\((.*)\\)$"));
    SchemaDescription out;
    for (const QString &raw : tools::schemaStatements(engine)) {
        QString statement = raw.simplified();
        if (statement.endsWith(QLatin1Char(';')))
            statement.chop(1);
        if (const auto m = index.match(statement); m.hasMatch()) {
            QStringList columns = m.captured(4).split(QLatin1Char(','));
            for (QString &c : columns) {
                c = c.trimmed();
                // PostgreSQL orders nulls lowest in its indexes, as the other engines do by themselves.
                if (c.endsWith(QLatin1String(" NULLS FIRST"), Qt::CaseInsensitive))
                    c.chop(12);
            }
            // ... and ends a sort index on the row identity, which the other engines' indexes carry
            // implicitly (SQLite's rowid, SQL Server's clustered key).
            if (columns.size() > 1
                && (columns.last().compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0
                    || columns.last().compare(QLatin1String("id"), Qt::CaseInsensitive) == 0))
                columns.removeLast();
            out.indexes.append(QStringLiteral("%1%2 on %3 (%4)")
                                   .arg(m.captured(1).isEmpty() ? QString() : QStringLiteral("unique "), m.captured(2),
                                        m.captured(3), columns.join(QStringLiteral(", "))));
            continue;
        }
        const auto m = table.match(statement);
        if (!m.hasMatch()) {
            out.unknownTypes.append(QStringLiteral("statement: ") + statement.left(60));
            continue;
        }
        const QString name = m.captured(1);
        out.tables.append(name);
        for (const QString &definition : splitTopLevel(m.captured(2))) {
            const QString column = definition.section(QLatin1Char(' '), 0, 0);
            const QString rest = definition.section(QLatin1Char(' '), 1);
            const QString kind = kindOfType(rest);
            if (kind.isEmpty())
                out.unknownTypes.append(name + QLatin1Char('.') + definition);
            if (engine != db::Engine::SQLite && column == QLatin1String("rowid") && kind == QLatin1String("autonumber")) {
                out.hiddenRowIds.append(name);
                continue;
            }
            const bool notNull = rest.contains(QLatin1String("NOT NULL"), Qt::CaseInsensitive);
            const QString byDefault = kind == QLatin1String("autonumber") ? QString() : defaultOf(rest);
            out.columns.append(QStringLiteral("%1.%2 %3%4%5")
                                   .arg(name, column, kind, notNull ? QStringLiteral(" not null") : QString(), byDefault));
        }
    }
    out.indexes.sort();
    return out;
}

// The first line where two descriptions part, readable in the test's output.
QByteArray difference(const QStringList &actual, const QStringList &expected)
{
    for (qsizetype i = 0; i < std::max(actual.size(), expected.size()); ++i) {
        const QString a = actual.value(i, QStringLiteral("(nothing)"));
        const QString e = expected.value(i, QStringLiteral("(nothing)"));
        if (a != e)
            return (QStringLiteral("\n  this file: ") + a + QStringLiteral("\n  sqlite.sql: ") + e).toUtf8();
    }
    return {};
}

db::ColumnKind programKind(const QString &schemaKind)
{
    if (schemaKind == QLatin1String("integer") || schemaKind == QLatin1String("autonumber"))
        return db::ColumnKind::Integer;
    if (schemaKind == QLatin1String("floating"))
        return db::ColumnKind::Floating;
    if (schemaKind == QLatin1String("money"))
        return db::ColumnKind::Money;
    if (schemaKind == QLatin1String("date"))
        return db::ColumnKind::Date;
    if (schemaKind == QLatin1String("yes/no"))
        return db::ColumnKind::YesNo;
    return db::ColumnKind::Text;
}

} // namespace

// The three schema files declare the same tables, columns, kinds, defaults and indexes; the
// servers add their hidden rowid to exactly the tables without an autonumber; the program's own
// table of kinds and of names as written agrees with them.
void TstDb::schemaFilesDescribeOneSchema()
{
    const SchemaDescription sqlite = describe(db::Engine::SQLite);
    QCOMPARE(sqlite.unknownTypes, QStringList());
    QCOMPARE(sqlite.tables, db::schemaTables());
    QStringList withoutAutonumber;
    for (const QString &table : sqlite.tables)
        if (!sqlite.columns.filter(QRegularExpression(QStringLiteral("^%1\\.\\S+ autonumber").arg(table))).size())
            withoutAutonumber.append(table);
    for (const db::Engine server : {db::Engine::PostgreSQL, db::Engine::SqlServer}) {
        const SchemaDescription other = describe(server);
        QCOMPARE(other.unknownTypes, QStringList());
        for (const auto &[actual, expected] : {std::pair{other.tables, sqlite.tables}, std::pair{other.columns, sqlite.columns},
                                               std::pair{other.indexes, sqlite.indexes},
                                               std::pair{other.hiddenRowIds, withoutAutonumber}}) {
            const QByteArray where = difference(actual, expected);
            QVERIFY2(where.isEmpty(), (tools::schemaFileName(server) + QStringLiteral(".sql")).toUtf8() + where);
        }
    }

    for (const QString &line : sqlite.columns) {
        const QString column = line.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('.'), 1);
        const QString kind = line.section(QLatin1Char(' '), 1, 1);
        QVERIFY2(db::columnKind(column) == programKind(kind), qPrintable(line));
        // PostgreSQL hands names back in lower case; the program writes them as the schema does.
        // (ID and id are both autonumbers, shown as written by nobody but the grid's row key.)
        if (column.compare(QLatin1String("id"), Qt::CaseInsensitive) != 0)
            QVERIFY2(db::canonicalColumnName(column.toLower()) == column, qPrintable(line));
    }
}

QTEST_GUILESS_MAIN(TstDb)
// The server's hint lines come without their tab indent; the statement follows after a blank line.
void TstDb::errorTextIsReadable()
{
    const QSqlError error(QStringLiteral("QPSQL: 无法连接"),
                          QStringLiteral("connection refused\n\tIs the server running?"), QSqlError::ConnectionError);
    QCOMPARE(db::errorText(error, QStringLiteral("select 1")),
             QStringLiteral("connection refused\nIs the server running?\nQPSQL: 无法连接\n\nselect 1"));
}

#include "tst_db.moc"
