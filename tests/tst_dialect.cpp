// Every statement the windows run, rendered for SQL Server and checked as text: no server of that
// kind runs here, so what it would refuse is found by what the texts contain.
#include "InputLabels.h"
#include "RecordingPlatform.h"
#include "TestLibrary.h"

#include "app/FunctionWindows.h"
#include "app/Session.h"
#include "circulation/BkBorrowUt.h"
#include "circulation/BkReturnUt.h"
#include "CirculationFixture.h"
#include "components/DataGrid.h"
#include "components/GridQuery.h"
#include "db/Database.h"
#include "db/Driver.h"
#include "tools/DatabaseCreator.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QPointer>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QtTest>

using db::Sql;

namespace {

// A statement as a window ran it, with the window that ran it.
struct Walked {
    QString window;
    Sql statement;
};

// The text without its quoted literals ('..', with '' inside), which may hold anything.
QString withoutLiterals(const QString &text)
{
    static const QRegularExpression literal(QStringLiteral("'(?:[^']|'')*'"));
    QString out = text;
    return out.replace(literal, QStringLiteral("''"));
}

// What SQL Server refuses or reads otherwise, in a text without its literals.
QStringList refusedConstructs(const QString &text)
{
    static const QList<QPair<QString, QRegularExpression>> refused = [] {
        QList<QPair<QString, QRegularExpression>> list;
        const auto add = [&list](const char *what, const char *pattern) {
            list.append({QString::fromLatin1(what),
                         QRegularExpression(QString::fromUtf8(pattern), QRegularExpression::CaseInsensitiveOption)});
        };
        add("limit", "\\blimit\\s+\\d");
        add("offset without fetch", "\\boffset\\s+\\d++(?!\\s+rows)");
        add("ilike", "\\bilike\\b");
        add("returning", "\\breturning\\b");
        add("nulls first/last", "\\bnulls\\s+(first|last)\\b");
        add("|| concatenation", "\\|\\|");
        add("true/false literal", "\\b(true|false)\\b");
        add("begin immediate", "\\bbegin\\s+immediate\\b");
        add("vacuum", "\\bvacuum\\b");
        add("double-quoted name or text", "\"");
        add("cast as text", "\\bas\\s+text\\s*\\)");
        add("SQLite function", "\\b(ifnull|substr|instr|strftime|julianday|group_concat|length|printf|total|datetime)\\s*\\(");
        add("date('now')", "\\bdate\\s*\\(");
        add("limit without rows", "\\btop\\s+\\?");
        return list;
    }();
    const QString bare = withoutLiterals(text);
    QStringList found;
    for (const auto &[what, pattern] : refused)
        if (pattern.match(bare).hasMatch())
            found.append(what);
    return found;
}

// "CREATE TABLE name (column TYPE ..., ...)" of the SQL Server script: column names by table,
// all lower case.
QHash<QString, QSet<QString>> declaredColumns()
{
    static const QRegularExpression create(QStringLiteral("create\\s+table\\s+(\\S+)\\s*\\((.*)\\)"),
                                           QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::DotMatchesEverythingOption);
    QHash<QString, QSet<QString>> tables;
    for (const QString &statement : tools::schemaStatements(db::Engine::SqlServer)) {
        const auto m = create.match(statement);
        if (!m.hasMatch())
            continue;
        QSet<QString> &columns = tables[m.captured(1).toLower()];
        const QString body = m.captured(2);
        int depth = 0;
        QString part;
        const auto take = [&columns](const QString &definition) {
            const QString name = definition.trimmed().section(QRegularExpression(QStringLiteral("\\s+")), 0, 0);
            if (!name.isEmpty())
                columns.insert(name.toLower());
        };
        for (const QChar c : body) {
            if (c == u'(')
                ++depth;
            else if (c == u')')
                --depth;
            if (c == u',' && depth == 0) {
                take(part);
                part.clear();
            } else {
                part += c;
            }
        }
        take(part);
    }
    return tables;
}

// The grids of a window ran their pages in SQLite's dialect: the same grids built for SQL Server.
QList<Walked> serverGrids(db::Database &database, const QWidget &window, const QString &windowClass)
{
    static const db::MssqlDriver mssql;
    QList<Walked> out;
    for (DataGrid *grid : window.findChildren<DataGrid *>()) {
        if (!grid->isOpen())
            continue;
        const QString key = grid->keyTable();
        GridQuery local(database.driver(), grid->statement(), key, key.isEmpty() ? QString() : database.rowIdentity(key));
        QStringList columns;
        const QSqlRecord record = database.select(local.shape()).record();
        for (int i = 0; i < record.count(); ++i)
            if (record.fieldName(i).compare(GridQuery::RowIdAlias, Qt::CaseInsensitive) != 0)
                columns.append(record.fieldName(i));
        GridQuery server(mssql, grid->statement(), key, key.isEmpty() ? QString() : mssql.rowIdColumn());
        server.setColumns(columns);
        if (!columns.isEmpty())
            server.setSort(columns.first(), true);
        for (const Sql &s : {server.shape(), server.page(0, 100), server.result()})
            out.append({windowClass + QStringLiteral(" (grid)"), s});
    }
    return out;
}

// What SQL Server would refuse in the walked statements, rendered in its dialect and as shown;
// and the tables they name that its script lacks, or lacks a column of. `windows` and `texts`
// receive the windows that ran statements and the prepared texts.
QStringList sqlServerProblems(const QList<Walked> &walked, db::Database &database, QSet<QString> &windows,
                              QSet<QString> &texts)
{
    QStringList problems;
    const db::MssqlDriver mssql;
    const QHash<QString, QSet<QString>> declared = declaredColumns();
    for (const Walked &w : walked) {
        const QString text = w.statement.preparedText();
        // Grid pages built on SQLite's dialect are checked in their SQL Server form instead.
        if (!w.window.endsWith(QStringLiteral("(grid)")) && text.contains(GridQuery::Alias))
            continue;
        windows.insert(w.window.section(QLatin1Char(' '), 0, 0));
        const QString prepared = db::Database::preparedText(w.statement, mssql);
        const QString shown = w.statement.displayText(QStringLiteral("s"));
        texts.insert(prepared);
        for (const QString &what : refusedConstructs(prepared))
            problems.append(QStringLiteral("%1: %2: %3").arg(w.window, what, prepared));
        for (const QString &what : refusedConstructs(shown))
            problems.append(QStringLiteral("%1: shown: %2: %3").arg(w.window, what, shown));
        const qsizetype marks = withoutLiterals(prepared).count(QLatin1Char('?'));
        if (marks != w.statement.boundValues().size())
            problems.append(QStringLiteral("%1: %2 marks for %3 values: %4").arg(w.window).arg(marks).arg(w.statement.boundValues().size()).arg(prepared));
    }
    // Every table the statements name, with every column SQLite has for it, is in the SQL Server script.
    const QSqlDatabase handle = database.handle();
    for (const QString &table : handle.tables()) {
        const QString key = table.toLower();
        bool named = false;
        for (const QString &text : std::as_const(texts))
            named = named || text.contains(QRegularExpression(QStringLiteral("\\b(from|join|into|update)\\s+") + QRegularExpression::escape(table) + QStringLiteral("\\b"), QRegularExpression::CaseInsensitiveOption));
        if (!named)
            continue;
        if (!declared.contains(key)) {
            problems.append(QStringLiteral("table %1 not in the SQL Server script").arg(table));
            continue;
        }
        const QSqlRecord record = handle.record(table);
        for (int i = 0; i < record.count(); ++i)
            if (!declared.value(key).contains(record.fieldName(i).toLower()))
                problems.append(QStringLiteral("column %1.%2 not in the SQL Server script").arg(table, record.fieldName(i)));
    }
    return problems;
}

} // namespace

class TstDialect : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void observerSeesEveryStatementAndCostsNothingUnset_data() { TestLibrary::addEngineRows(); }
    void observerSeesEveryStatementAndCostsNothingUnset();
    void knownTextsInSqlServersDialect();
    void everyWindowsStatementsAreSqlServerTexts_data() { TestLibrary::addEngineRows(); }
    void everyWindowsStatementsAreSqlServerTexts();
    void theDesksWritesAreSqlServerTexts_data() { TestLibrary::addEngineRows(); }
    void theDesksWritesAreSqlServerTexts();
    void refusedConstructsAreFound_data();
    void refusedConstructsAreFound();

private:
    // Opens every registered window on a small library, presses its search and statistics
    // buttons, and returns the statements run, the grids' statements rebuilt for SQL Server.
    QList<Walked> walkWindows(TestLibrary &library, QStringList &problems);

    RecordingPlatform *platform_ = nullptr;
};

void TstDialect::init()
{
    Session::reset();
    platform_ = &RecordingPlatform::install();
    Session &s = Session::instance();
    s.DatabaseKind = QStringLiteral("a");
    s.adminname = QStringLiteral("admin");
    s.setAll(true);
}

void TstDialect::cleanup()
{
    Session::instance().database = nullptr;
    platform_->clear();
}

void TstDialect::observerSeesEveryStatementAndCostsNothingUnset()
{
    LIBRARY_FOR_ENGINE();
    Session::instance().DatabaseKind = library.kind();
    database.exec("delete from 图书 where 编号='x'"); // runs without an observer
    QStringList seen;
    database.setStatementObserver([&seen](const Sql &s) { seen.append(s.displayText(QStringLiteral("s"))); });
    database.insert(QStringLiteral("图书"), {{QStringLiteral("编号"), QStringLiteral("B1")}, {QStringLiteral("数量"), 2}});
    database.select(Sql("select 编号 from 图书 where 数量>") + Sql::value(1)).next();
    database.exec(Sql("update 图书 set 数量=数量-1 where 编号=") + Sql::text(QStringLiteral("B1")));
    QCOMPARE(seen, (QStringList{QStringLiteral("insert into 图书 (编号,数量) values ('B1',2)"),
                                QStringLiteral("select 编号 from 图书 where 数量>1"),
                                QStringLiteral("update 图书 set 数量=数量-1 where 编号='B1'")}));
    database.setStatementObserver({});
    database.exec("delete from 图书");
    QCOMPARE(seen.size(), 3);
}

void TstDialect::knownTextsInSqlServersDialect()
{
    const db::MssqlDriver mssql;
    QCOMPARE(db::Database::preparedText(Sql("select * from 读者库").limit(200), mssql),
             QStringLiteral("select top 200 * from 读者库"));
    QCOMPARE(db::Database::preparedText(Sql("select distinct 分类 from 图书").limit(500), mssql),
             QStringLiteral("select distinct top 500 分类 from 图书"));
    QCOMPARE(db::Database::preparedText(Sql("select 名称,借出次数 from 图书 order by 借出次数 desc").rankingTop(12), mssql),
             QStringLiteral("select top 12 percent 名称,借出次数 from 图书 order by 借出次数 desc"));
    QCOMPARE(db::Database::preparedText(Sql("select * from 读者库 where 读者编号 like ") + Sql::like(QStringLiteral("R")), mssql),
             QStringLiteral("select * from 读者库 where 读者编号 like ?"));
    QCOMPARE(Sql("select * from 图书").limit(500).displayText(QStringLiteral("s")), QStringLiteral("select top 500 * from 图书"));

    // A grid's page: the window's limit inside, offset/fetch outside, names in brackets.
    GridQuery grid(mssql, Sql("select * from 图书").limit(500), QStringLiteral("图书"), QStringLiteral("rowid"));
    grid.setColumns({QStringLiteral("编号"), QStringLiteral("名称")});
    grid.setSort(QStringLiteral("名称"), false);
    QCOMPARE(db::Database::preparedText(grid.page(400, 100), mssql),
             QStringLiteral("select lb_grid.[编号], lb_grid.[名称], lb_grid.lb_rowid from (select top 500 图书.rowid as lb_rowid, * "
                            "from 图书) as lb_grid order by lb_grid.[名称] asc, lb_grid.lb_rowid asc "
                            "offset 400 rows fetch next 100 rows only"));
}

void TstDialect::theDesksWritesAreSqlServerTexts()
{
    LIBRARY_FOR_ENGINE();
    Session::instance().DatabaseKind = library.kind();
    fixture::openSession(database, library.kind());
    fixture::addKind(database, QStringLiteral("普通"), 30, 5);
    fixture::addReader(database, {QStringLiteral("R1"), QStringLiteral("张三"), QStringLiteral("普通"), {}, fixture::money("10")});
    fixture::addItem(database, QStringLiteral("图书"), {QStringLiteral("B1")});
    QList<Walked> walked;
    database.setStatementObserver([&walked](const Sql &s) { walked.append({QStringLiteral("desk"), s}); });
    {
        TBkBorrowFm desk;
        desk.show();
        desk.Edit1->setText(QStringLiteral("R1"));
        QTest::keyClick(desk.Edit1, Qt::Key_Return);
        desk.Edit2->setText(QStringLiteral("B1"));
        QTest::keyClick(desk.Edit2, Qt::Key_Return);
        desk.Button1->click();
    }
    QCOMPARE(fixture::counter(database, QStringLiteral("读者库"), QStringLiteral("未还数量"), QStringLiteral("读者编号"), QStringLiteral("R1")), 1);
    {
        TBkReturnFm desk;
        desk.show();
        desk.Edit2->setText(QStringLiteral("BC-B1"));
        desk.Button4->click();
        desk.Button1->click();
    }
    database.setStatementObserver({});
    QCOMPARE(fixture::counter(database, QStringLiteral("读者库"), QStringLiteral("未还数量"), QStringLiteral("读者编号"), QStringLiteral("R1")), 0);

    QSet<QString> windows;
    QSet<QString> texts;
    const QStringList problems = sqlServerProblems(walked, database, windows, texts);
    if (qEnvironmentVariableIsSet("LIBRARY_PRINT_STATEMENTS"))
        for (const QString &text : std::as_const(texts))
            qInfo("%s", qPrintable(text));
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    const auto has = [&texts](const char *start) {
        return std::any_of(texts.begin(), texts.end(), [start](const QString &t) { return t.startsWith(QString::fromUtf8(start)); });
    };
    QVERIFY(has("insert into 借出记录"));
    QVERIFY(has("update 图书 set 数量"));
    QVERIFY(has("update 借出记录"));
}

void TstDialect::refusedConstructsAreFound_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found");
    QTest::newRow("clean") << "select top 5 名称 from 图书 where 名称 like ? order by 名称 offset 0 rows fetch next 5 rows only" << "";
    QTest::newRow("literal holds anything") << "select * from 图书 where 名称='limit 5 || true'" << "";
    QTest::newRow("page further on") << "select * from 图书 order by 名称 offset 400 rows fetch next 100 rows only" << "";
    QTest::newRow("offset alone") << "select * from 图书 order by 名称 offset 400" << "offset without fetch";
    QTest::newRow("limit") << "select * from 图书 limit 5" << "limit";
    QTest::newRow("ilike") << "select * from 图书 where 名称 ilike ?" << "ilike";
    QTest::newRow("concatenation") << "select 名称 || 作者 from 图书" << "|| concatenation";
    QTest::newRow("truth literal") << "select * from 读者库 where 挂失=true" << "true/false literal";
    QTest::newRow("quoted text") << "select * from 图书 where 名称=\"x\"" << "double-quoted name or text";
    QTest::newRow("nulls last") << "select * from 图书 order by 名称 desc nulls last" << "nulls first/last";
    QTest::newRow("sqlite function") << "select ifnull(sum(价格),0) from 图书" << "SQLite function";
}

void TstDialect::refusedConstructsAreFound()
{
    QFETCH(QString, text);
    QFETCH(QString, found);
    QCOMPARE(refusedConstructs(text).join(QLatin1Char(',')), found);
}

QList<Walked> TstDialect::walkWindows(TestLibrary &library, QStringList &problems)
{
    db::Database &database = library.db();
    const auto field = [](const char *name, const QVariant &value) { return qMakePair(QString::fromUtf8(name), value); };
    database.insert(QStringLiteral("读者库"), {field("读者编号", QStringLiteral("R1")), field("读者姓名", QStringLiteral("张三")),
                                               field("卡内金额", QStringLiteral("10"))});
    database.insert(QStringLiteral("图书"), {field("编号", QStringLiteral("B1")), field("名称", QStringLiteral("书一")),
                                             field("条形码", QStringLiteral("111")), field("数量", 2), field("价格", QStringLiteral("12.5"))});
    database.insert(QStringLiteral("期刊"), {field("编号", QStringLiteral("Q1")), field("名称", QStringLiteral("刊一")), field("数量", 1)});

    QList<Walked> walked;
    QString current;
    database.setStatementObserver([&walked, &current](const Sql &s) { walked.append({current, s}); });
    Session::instance().database = &database;
    static const QRegularExpression pressed(QStringLiteral("查询|检索|搜索|统计|查找|显示|刷新"));
    for (const QString &windowClass : FunctionWindows::registered()) {
        current = windowClass;
        platform_->clear();
        QWidget *window = FunctionWindows::factory(windowClass)(nullptr);
        QPointer<QWidget> guard = window;
        if (!window) {
            problems.append(windowClass + QStringLiteral(": not made"));
            continue;
        }
        window->show();
        walked.append(serverGrids(database, *window, windowClass)); // the opening query, before any search
        for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
            if (guard && button->isVisible() && button->isEnabled() && pressed.match(button->text()).hasMatch())
                button->click();
        QCoreApplication::processEvents();
        if (auto *desk = qobject_cast<TBkBorrowFm *>(guard.data())) {
            // The desk's pickers of readers and items open on a double click.
            desk->Edit1DblClick();
            desk->Edit2DblClick();
        }
        QList<QPointer<QWidget>> shown = platform_->windows;
        shown.prepend(guard);
        for (const QPointer<QWidget> &w : std::as_const(shown))
            if (w)
                walked.append(serverGrids(database, *w, windowClass));
        delete guard.data();
    }
    database.setStatementObserver({});
    return walked;
}

void TstDialect::everyWindowsStatementsAreSqlServerTexts()
{
    LIBRARY_FOR_ENGINE();
    Q_UNUSED(database);
    Session::instance().DatabaseKind = library.kind();
    QStringList problems;
    const QList<Walked> walked = walkWindows(library, problems);
    QVERIFY2(walked.size() > 20, qPrintable(QString::number(walked.size())));

    QSet<QString> windows;
    QSet<QString> texts;
    problems += sqlServerProblems(walked, library.db(), windows, texts);
    QStringList silent; // windows that read nothing until the user does something
    for (const QString &windowClass : FunctionWindows::registered())
        if (!windows.contains(windowClass))
            silent.append(windowClass);
    qInfo("%lld statements of %lld windows walked; without a statement: %s", qlonglong(texts.size()),
          qlonglong(windows.size()), qPrintable(silent.join(QLatin1Char(' '))));
    if (qEnvironmentVariableIsSet("LIBRARY_PRINT_STATEMENTS"))
        for (const QString &text : std::as_const(texts))
            qInfo("%s", qPrintable(text));
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    QVERIFY(windows.size() >= FunctionWindows::registered().size() * 2 / 3);

    // The known cases, as the windows run them.
    const auto has = [&texts](const QString &piece) {
        return std::any_of(texts.begin(), texts.end(), [&piece](const QString &t) { return t.contains(piece); });
    };
    QVERIFY(has(QStringLiteral("select top 200 ")));
    QVERIFY(has(QStringLiteral("select top 500 ")));
    QVERIFY(has(QStringLiteral("top 12 percent ")));
    QVERIFY(has(QStringLiteral(" offset 0 rows fetch next 100 rows only")));
}

QTEST_MAIN(TstDialect)
#include "tst_dialect.moc"
