// Desks working one library at once, some killed in the middle of their work: nothing is lost.
#include "TestLibrary.h"
#include "db/Database.h"
#include "db/Sql.h"
#include "tools/ConsistencyCheck.h"

#include <QProcess>
#include <QtTest>

using db::Sql;

class TstLoad : public QObject {
    Q_OBJECT
private slots:
    void killedDesksLoseNothing_data() { TestLibrary::addEngineRows(); }
    void killedDesksLoseNothing();
};

static qint64 count(db::Database &database, const Sql &statement)
{
    db::Rows rows = database.select(statement);
    return rows.next() ? rows.integer(QStringLiteral("n")) : -1;
}

void TstLoad::killedDesksLoseNothing()
{
    LIBRARY_FOR_ENGINE();
    const QString target = database.engine() == db::Engine::SQLite ? database.spec().file : library.connectionText();
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QStringLiteral(DESK_LOAD), {QStringLiteral("--desks"), QStringLiteral("3"), QStringLiteral("--ops"), QStringLiteral("300"),
                                          QStringLiteral("--kills"), QStringLiteral("4"), target});
    QVERIFY(run.waitForFinished(300000));
    const QString output = QString::fromUtf8(run.readAll());
    QVERIFY2(run.exitCode() == 0, qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("杀掉并重启 4 次")), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("不变量全部成立")), qPrintable(output));

    // Checked here again, apart from the run's own report: the desks did work, and what they
    // left agrees with the rows.
    QVERIFY(count(database, Sql("select count(*) as n from 借出记录")) > 20);
    QVERIFY(count(database, Sql("select count(*) as n from 借出记录 where 已还=") + Sql::text(QStringLiteral("是"))) > 10);
    QVERIFY(count(database, Sql("select count(*) as n from 收入")) > 10);
    const QList<tools::Finding> findings = tools::checkLibrary(database);
    QVERIFY2(findings.isEmpty(), qPrintable(tools::findingsText(findings)));
    QCOMPARE(count(database, Sql("select count(*) as n from 图书 where 数量 < 0")), 0);
}

QTEST_GUILESS_MAIN(TstLoad)
#include "tst_load.moc"
