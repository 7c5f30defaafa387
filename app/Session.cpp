#include "app/Session.h"

#include "db/DbError.h"
#include "db/Quote.h"

const std::array<const char *, 14> &Rights::columns()
{
    static const std::array<const char *, 14> names{"qxadmin", "qxdel", "qxbk", "qxrd", "qxqk", "qxwp", "qxbkxg",
                                                    "qxrdxg", "qxqkxg", "qxwpxg", "qxborrow", "qxreturn", "qxsysset",
                                                    "qxadddata"};
    return names;
}

bool &Rights::at(int index)
{
    bool *const fields[14] = {&qxadmin, &qxdel, &qxbk, &qxrd, &qxqk, &qxwp, &qxbkxg,
                              &qxrdxg, &qxqkxg, &qxwpxg, &qxborrow, &qxreturn, &qxsysset, &qxadddata};
    return *fields[index];
}

void Rights::setAll(bool value)
{
    for (int i = 0; i < 14; ++i)
        at(i) = value;
}

static Session *&current()
{
    static Session *session = new Session;
    return session;
}

Session &Session::instance() { return *current(); }

void Session::reset()
{
    delete current();
    current() = new Session;
}

QString StringQuote() { return db::StringQuote(Session::instance().DatabaseKind); }
QString DateQuote() { return db::DateQuote(Session::instance().DatabaseKind); }

db::Database &sharedDb()
{
    db::Database *database = Session::instance().database;
    if (!database)
        throw db::DbError(QStringLiteral("数据库没有连接"));
    return *database;
}
