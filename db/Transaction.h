#pragma once

#include <QString>

namespace db {

class Database;

// Writes that belong together: committed by commit(), rolled back when the scope is left
// without it (an exception, a refusal on the way).
//
// Scopes nest: an operation that opens a Transaction while another is open joins it. A nested
// scope that ends without commit spoils the whole transaction: everything is rolled back when the
// outermost scope ends, and commit() of any scope throws DbError from then on, so no caller can
// keep half of an operation by catching the inner failure. Work whose parts may fail on their
// own (an import line by line) puts each part in a Savepoint.
class Transaction {
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Database &db_;
    bool owner_ = false;
    bool done_ = false;
};

// A part of an open transaction that may fail alone: release() keeps its writes; leaving the
// scope without release() undoes its writes only (also a nested Transaction that ended without
// commit inside it), and the transaction goes on. On PostgreSQL this is also how a transaction
// carries on after a refused statement. Throws DbError outside a Transaction.
class Savepoint {
public:
    explicit Savepoint(Database &db);
    ~Savepoint();
    Savepoint(const Savepoint &) = delete;
    Savepoint &operator=(const Savepoint &) = delete;

    // Throws DbError, after undoing the part, when a nested Transaction inside it ended without
    // commit.
    void release();

private:
    void rollBack() noexcept;

    Database &db_;
    QString name_;
    bool spoiledBefore_ = false;
    bool done_ = false;
};

} // namespace db
