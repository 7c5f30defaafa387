// The desks on a big library: each operation through the real window, beside the bare SQL
// statements that operation issues, timed in the same run, as the median per operation.
//   bench_desk LIBRARY [ROUNDS]
// LIBRARY: a library file made by book-generate (--books 1000000 --readers 100000 --loans 5000000),
// or a connection text. The run lends and returns what it lends, so the library stays consistent.
#include "RecordingPlatform.h"
#include "app/Session.h"
#include "circulation/BkBorrowUt.h"
#include "circulation/BkReturnUt.h"
#include "components/DataGrid.h"
#include "db/ConnectionText.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

namespace {

struct Timings {
    std::vector<double> window, bare;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double timed(const std::function<void()> &step)
{
    QElapsedTimer clock;
    clock.start();
    step();
    return double(clock.nsecsElapsed()) / 1e6;
}

// The bare statements: prepared on the same connection, values bound, every value of every row read.
class Bare {
public:
    explicit Bare(db::Database &database) : handle_(database.handle()), sqlite_(database.engine() == db::Engine::SQLite) {}

    void rows(const QString &statement, const QVariantList &values)
    {
        QSqlQuery query = prepared(statement);
        for (qsizetype i = 0; i < values.size(); ++i)
            query.bindValue(int(i), values[i]);
        if (!query.exec())
            throw db::DbError(query.lastError().text() + QStringLiteral("\n") + statement);
        while (query.next())
            for (int c = 0; c < query.record().count(); ++c)
                (void)query.value(c);
        query.finish();
    }
    qint64 lastLoan()
    {
        QSqlQuery query(handle_);
        if (!query.exec(QStringLiteral("select max(id) from 借出记录")) || !query.next())
            throw db::DbError(query.lastError().text());
        return query.value(0).toLongLong();
    }
    void begin() { control(sqlite_ ? QStringLiteral("begin immediate") : QStringLiteral("begin")); }
    void commit() { control(QStringLiteral("commit")); }

private:
    // Prepared at every use, as the program prepares every statement it runs.
    QSqlQuery prepared(const QString &statement)
    {
        QSqlQuery query(handle_);
        query.setForwardOnly(true);
        if (!query.prepare(statement))
            throw db::DbError(query.lastError().text() + QStringLiteral("\n") + statement);
        return query;
    }
    void control(const QString &statement)
    {
        QSqlQuery query(handle_);
        if (!query.exec(statement))
            throw db::DbError(query.lastError().text());
    }

    QSqlDatabase handle_;
    bool sqlite_;
};

struct Reader {
    QString number, name, kind;
};
struct Book {
    QString number, barcode, level;
};

class Bench {
public:
    Bench(db::Database &database, int rounds) : db_(database), bare_(database), rounds_(rounds), today_(QDate::currentDate()) {}

    void run();

private:
    QString identity(const QString &table) const { return db_.rowIdentity(table); }
    Reader pickReader();
    Book pickBook();
    void readerCheck(TBkBorrowFm &desk, const Reader &reader);
    void bareReaderCheck(const Reader &reader);
    void lookup(TBkBorrowFm &desk, const Book &book, bool byBarcode);
    void bareLookup(const Book &book, bool byBarcode);
    void bareCommit(const Reader &reader, const QList<Book> &books);
    void bareReturnSearch(const QString &reader);
    void bareReturn(const QString &reader, const QList<Book> &books);
    void print(const char *what, const Timings &t, const char *goal);

    db::Database &db_;
    Bare bare_;
    int rounds_;
    QDate today_;
    QRandomGenerator random_{20250616};
    std::map<QString, Timings> timings_;
};

Reader Bench::pickReader()
{
    for (;;) {
        const QString number = QStringLiteral("DZ%1").arg(random_.bounded(1, 100001), 6, 10, QLatin1Char('0'));
        db::Rows rows = db_.select(db::Sql("select r.读者编号, r.读者姓名, r.类别 from 读者库 r join 读者类别 k on k.类别名 = r.类别 "
                                           "where r.读者编号=") + db::Sql::text(number) + db::Sql(" and r.有效期 >= ")
                                   + db::Sql::date(today_));
        if (rows.next())
            return {rows.text(QStringLiteral("读者编号")), rows.text(QStringLiteral("读者姓名")), rows.text(QStringLiteral("类别"))};
    }
}

Book Bench::pickBook()
{
    for (;;) {
        const QString number = QStringLiteral("TS%1").arg(random_.bounded(1, 1000001), 7, 10, QLatin1Char('0'));
        db::Rows rows = db_.select(db::Sql("select 编号, 条形码, 租金级别 from 图书 where 数量 > 1 and 编号=") + db::Sql::text(number));
        if (rows.next())
            return {rows.text(QStringLiteral("编号")), rows.text(QStringLiteral("条形码")), rows.text(QStringLiteral("租金级别"))};
    }
}

void Bench::readerCheck(TBkBorrowFm &desk, const Reader &reader)
{
    desk.Edit1->setText(reader.number);
    timings_["reader check"].window.push_back(timed([&] { desk.RdSearch(); }));
    if (!desk.readerAccepted())
        throw db::DbError(QStringLiteral("reader %1 refused").arg(reader.number));
}

void Bench::bareReaderCheck(const Reader &reader)
{
    timings_["reader check"].bare.push_back(timed([&] {
        bare_.rows(QStringLiteral("select %1 as lb_identity, * from 读者库 where 读者编号=?").arg(identity(QStringLiteral("读者库"))),
                   {reader.number});
        bare_.rows(QStringLiteral("select * from 读者类别 where 类别名=?"), {reader.kind});
    }));
}

void Bench::lookup(TBkBorrowFm &desk, const Book &book, bool byBarcode)
{
    (byBarcode ? desk.RadioButton4 : desk.RadioButton3)->click();
    desk.Edit2->setText(byBarcode ? book.barcode : book.number);
    timings_[byBarcode ? "item lookup by barcode" : "item lookup by number"].window.push_back(timed([&] { desk.bksearch(); }));
}

void Bench::bareLookup(const Book &book, bool byBarcode)
{
    timings_[byBarcode ? "item lookup by barcode" : "item lookup by number"].bare.push_back(timed([&] {
        bare_.rows(QStringLiteral("select %1 as lb_identity, * from 图书 where %2=?")
                       .arg(identity(QStringLiteral("图书")), byBarcode ? QStringLiteral("条形码") : QStringLiteral("编号")),
                   {byBarcode ? book.barcode : book.number});
        if (!book.level.isEmpty())
            bare_.rows(QStringLiteral("select * from 租金级别 where 名称=?"), {book.level});
    }));
}

void Bench::bareCommit(const Reader &reader, const QList<Book> &books)
{
    // The same writes, undone afterwards so that the window's run finds the library as it was.
    const QString item = identity(QStringLiteral("图书"));
    const qint64 before = bare_.lastLoan();
    timings_["five-item commit"].bare.push_back(timed([&] {
        bare_.begin();
        for (const Book &book : books) {
            bare_.rows(QStringLiteral("select %1 as lb_identity, * from 图书 where 编号=?").arg(item), {book.number});
            bare_.rows(QStringLiteral("update 图书 set 数量 = 数量 - 1, 借出次数 = coalesce(借出次数, 0) + 1 where 编号=? and 数量 > 0"),
                       {book.number});
            bare_.rows(QStringLiteral("insert into 借出记录 (读者编号,读者姓名,编号,名称,条形码,类别,租金,借阅日期,应还日期,借阅经手人,已还,物品状况) "
                                      "values (?,?,?,?,?,?,?,?,?,?,?,?)"),
                       {reader.number, reader.name, book.number, QStringLiteral("bench"), book.barcode, QStringLiteral("图书"),
                        0, today_.toString(Qt::ISODate), today_.addDays(30).toString(Qt::ISODate), QStringLiteral("bench"),
                        QStringLiteral("否"), QStringLiteral("完好")});
            bare_.rows(QStringLiteral("update 读者库 set 未还数量 = coalesce(未还数量, 0) + 1, 累计借阅次数 = coalesce(累计借阅次数, 0) + 1 "
                                      "where 读者编号=?"),
                       {reader.number});
        }
        bare_.commit();
    }));
    bare_.begin();
    for (const Book &book : books) {
        bare_.rows(QStringLiteral("update 图书 set 数量 = 数量 + 1, 借出次数 = 借出次数 - 1 where 编号=?"), {book.number});
        bare_.rows(QStringLiteral("update 读者库 set 未还数量 = 未还数量 - 1, 累计借阅次数 = 累计借阅次数 - 1 where 读者编号=?"),
                   {reader.number});
    }
    bare_.rows(QStringLiteral("delete from 借出记录 where id > ?"), {before});
    bare_.commit();
}

void Bench::bareReturnSearch(const QString &reader)
{
    timings_["return search by reader"].bare.push_back(timed([&] {
        bare_.rows(QStringLiteral("select * from 借出记录 where 已还=? and 读者编号=?"), {QStringLiteral("否"), reader});
    }));
}

void Bench::print(const char *what, const Timings &t, const char *goal)
{
    const double w = median(t.window), b = median(t.bare);
    std::printf("%-26s %8.3f ms   bare %8.3f ms   ratio %5.2f   (%zu ops; goal %s)\n", what, w, b, b > 0 ? w / b : 0.0,
                t.window.size(), goal);
}

void Bench::run()
{
    TBkBorrowFm borrowing;
    TBkReturnFm returning;
    borrowing.show();
    returning.show();
    for (int round = 0; round < rounds_; ++round) {
        const Reader reader = pickReader();
        QList<Book> books;
        while (books.size() < 5) {
            const Book book = pickBook();
            if (std::none_of(books.begin(), books.end(), [&](const Book &b) { return b.number == book.number; }))
                books << book;
        }
        // Whoever goes first reads the pages from the disk: bare and window take turns.
        const bool bareFirst = round % 2 == 0;
        const auto both = [bareFirst](const std::function<void()> &bare, const std::function<void()> &window) {
            (bareFirst ? bare : window)();
            (bareFirst ? window : bare)();
        };
        both([&] { bareReaderCheck(reader); }, [&] { readerCheck(borrowing, reader); });
        for (int i = 0; i < 5; ++i)
            both([&] { bareLookup(books[i], true); }, [&] { lookup(borrowing, books[i], true); });
        borrowing.Button2Click(); // 取消: the barcode lookups only measured
        readerCheck(borrowing, reader);
        for (int i = 0; i < 5; ++i)
            both([&] { bareLookup(books[i], false); }, [&] { lookup(borrowing, books[i], false); });
        both([&] { bareCommit(reader, books); },
             [&] { timings_["five-item commit"].window.push_back(timed([&] { borrowing.Button1Click(); })); });
        if (borrowing.ListView1->topLevelItemCount() != 0)
            throw db::DbError(QStringLiteral("the commit left rows in the list"));

        returning.Edit1->clear();
        returning.Edit3->setText(reader.number);
        both([&] { bareReturnSearch(reader.number); },
             [&] { timings_["return search by reader"].window.push_back(timed([&] { returning.Button4Click(); })); });
        // Each of this run's loans back, found by reader and item.
        for (const Book &book : books) {
            returning.Edit1->setText(book.number);
            returning.Button4Click();
            if (returning.DBGrid1->rowCount() < 1)
                throw db::DbError(QStringLiteral("loan of %1 not found").arg(book.number));
            timings_["return"].window.push_back(timed([&] { returning.Button1Click(); }));
        }
    }
    // The bare return: the statements of one return, on a loan made for it and closed by it.
    const Reader reader = pickReader();
    const qint64 before = bare_.lastLoan();
    for (int i = 0; i < rounds_ * 5; ++i) {
        const Book book = pickBook();
        bare_.begin();
        bare_.rows(QStringLiteral("insert into 借出记录 (读者编号,编号,类别,租金,借阅日期,已还,物品状况,借阅经手人) values (?,?,?,?,?,?,?,?)"),
                   {reader.number, book.number, QStringLiteral("图书"), 0, today_.toString(Qt::ISODate), QStringLiteral("否"),
                    QStringLiteral("完好"), QStringLiteral("bench")});
        bare_.commit();
        const qint64 loan = bare_.lastLoan();
        timings_["return"].bare.push_back(timed([&] {
            bare_.begin();
            bare_.rows(QStringLiteral("select * from 借出记录 where id=?"), {loan});
            bare_.rows(QStringLiteral("update 借出记录 set 已还=?,归还日期=?,归还经手人=?,实际租期=?,实际租金=?,物品状况=? "
                                      "where id=? and 已还=?"),
                       {QStringLiteral("是"), today_.toString(Qt::ISODate), QStringLiteral("bench"), 1, 0, QStringLiteral("完好"),
                        loan, QStringLiteral("否")});
            bare_.rows(QStringLiteral("select %1 from 图书 where 编号=?").arg(identity(QStringLiteral("图书"))), {book.number});
            bare_.rows(QStringLiteral("update 图书 set 数量 = 数量 + 0 where 编号=?"), {book.number});
            bare_.rows(QStringLiteral("select %1 from 读者库 where 读者编号=?").arg(identity(QStringLiteral("读者库"))), {reader.number});
            bare_.rows(QStringLiteral("update 读者库 set 未还数量 = 未还数量 + 0, 卡内金额 = 卡内金额 - 0 where 读者编号=?"), {reader.number});
            bare_.commit();
        }));
    }
    bare_.begin();
    bare_.rows(QStringLiteral("delete from 借出记录 where id > ?"), {before});
    bare_.commit();

    print("reader check", timings_["reader check"], "<= 2 ms, <= 3x");
    print("item lookup by number", timings_["item lookup by number"], "<= 2 ms, <= 3x");
    print("item lookup by barcode", timings_["item lookup by barcode"], "<= 2 ms, <= 3x");
    print("five-item commit", timings_["five-item commit"], "<= 20 ms");
    print("return search by reader", timings_["return search by reader"], "<= 2 ms, <= 3x");
    print("return", timings_["return"], "<= 10 ms");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_desk LIBRARY [ROUNDS]\n");
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[1]);
    const int rounds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 100;
    RecordingPlatform &platform = RecordingPlatform::install();
    platform.clock = QDateTime::currentDateTime();
    try {
        const db::ConnectionSpec spec = db::connectionSpecOf(target);
        db::Database database(spec, db::kindOfEngine(spec.engine));
        Session &session = Session::instance();
        session.database = &database;
        session.DatabaseKind = database.kind();
        session.adminname = QStringLiteral("bench");
        // Every switch on: validity, rent by item level, the loan limit.
        session.rentEnabled = session.readerValidity = session.loanLimit = true;
        Bench(database, rounds).run();
        std::printf("messages shown at the desks: %lld (errors %lld)\n", qlonglong(platform.messages().size()),
                    qlonglong(platform.errors().size()));
        for (const QString &e : platform.errors().mid(0, 3))
            std::printf("  %s\n", qPrintable(e));
    } catch (const db::DbError &e) {
        std::fprintf(stderr, "bench_desk: %s\n", qPrintable(e.text()));
        return 1;
    }
    return 0;
}
