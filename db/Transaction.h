#pragma once

namespace db {

class Database;

// Writes that belong together: committed by commit(), rolled back when the scope is left
// without it (an exception on the way). Nested scopes join the outer transaction.
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

} // namespace db
