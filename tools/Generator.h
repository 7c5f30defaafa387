#pragma once

#include <QDate>
#include <QString>
#include <functional>

namespace db {
class Database;
}

namespace tools {

// How large a library to make. The same options and seed give the same library.
struct GeneratorOptions {
    int books = 10000;
    int periodicals = 1000;
    int readers = 1000;
    int loans = 3000;
    int income = 1000;
    quint64 seed = 1;
    QDate today = QDate::currentDate();
};

// Fills an empty library with a realistic catalogue, readers, loans and a ledger whose counters
// and balances agree with each other the way the desks keep them:
//   读者库.未还数量 = the reader's open loans, 累计借阅次数 = all his loans,
//   图书/期刊.借出次数 = the item's loans, 数量 = copies bought less its open loans,
//   读者库.卡内金额 = his 充值 rows less the 实际租金 of his returned loans (rent switch on).
// Rows go in through prepared statements in batches, each batch in its own transaction.
class Generator {
public:
    // table, rows written so far, rows of that table in all: once with 0 when a table starts,
    // then after every batch
    using Progress = std::function<void(const QString &table, qint64 done, qint64 total)>;

    Generator(db::Database &database, const GeneratorOptions &options);

    void setProgress(Progress progress) { progress_ = std::move(progress); }
    void setBatchRows(int rows) { batchRows_ = rows; }

    // Throws db::DbError, also when the library already holds items, readers, loans or ledger rows.
    void run();

private:
    db::Database &db_;
    GeneratorOptions options_;
    Progress progress_;
    int batchRows_ = 5000;
};

// Settings of a connection that only fills a throw-away file: no waiting on the disk for each
// commit, and a page cache that holds the indexes of a million rows. Nothing on a server.
void preferSpeedWhileFilling(db::Database &database);

} // namespace tools
