// A second program on the same library for tst_db: desk_writer FOLDER CONNECTION KIND ROUNDS NAME
// runs DeskWrites::run and exits 0 when every write went in, 1 with the database's text if not.
#include "DeskWrites.h"
#include "db/ConnectionText.h"
#include "db/DbError.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream err(stderr);
    if (args.size() != 5) {
        err << "usage: desk_writer FOLDER CONNECTION KIND ROUNDS NAME\n";
        return 2;
    }
    try {
        db::Database database(db::parseConnectionText(args[1], args[0]), args[2]);
        DeskWrites::run(database, args[3].toInt(), args[4]);
        return 0;
    } catch (const db::DbError &e) {
        err << e.text() << "\n";
        return 1;
    }
}
