#pragma once

#include "db/Money.h"

#include <QString>
#include <array>

class IniFile;
namespace db {
class Database;
}

// The fourteen rights, always handled as one ordered block.
struct Rights {
    bool qxadmin = false, qxdel = false, qxbk = false, qxrd = false, qxqk = false, qxwp = false, qxbkxg = false,
         qxrdxg = false, qxqkxg = false, qxwpxg = false, qxborrow = false, qxreturn = false, qxsysset = false,
         qxadddata = false;

    // Column names in the order the login reads them.
    static const std::array<const char *, 14> &columns();
    bool &at(int index);
    bool at(int index) const { return const_cast<Rights *>(this)->at(index); }
    void setAll(bool value);
};

// The process-wide record filled at start and at login, never saved.
class Session : public Rights {
public:
    static Session &instance();
    // Back to an empty record (tests; nothing else).
    static void reset();

    IniFile *ini = nullptr;            // the open de.ini
    db::Database *database = nullptr;  // the shared connection
    QString DatabaseKind;
    QString softname, tel, company, Memo, web;
    QString adminname;

    // From the first row of 系统设置, copied at every login attempt.
    bool rentEnabled = false;     // 启用租金功能
    bool readerRent = false;      // 启用读者租金
    bool readerValidity = false;  // 启用读者有效期
    bool loanLimit = false;       // 借阅数量限制功能
    QString libraryName;          // 图书馆名
    db::Money openingFee;         // 开户费
};

// The delimiters of the Session's DatabaseKind.
QString StringQuote();
QString DateQuote();

// The shared connection; throws db::DbError when there is none.
db::Database &sharedDb();
