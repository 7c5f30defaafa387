// One desk of tst_circulation's two at once, as a program of its own with its own connection:
//   desk_runner FOLDER CONNECTION KIND BORROWER ITEM RETURNER ROUNDS
// Each round lends ITEM to BORROWER at the borrowing desk and returns one open loan of RETURNER
// at the return desk; then it returns RETURNER's loans until none is left. Exits 0 when no
// operation failed, 1 with the failures.
#include "CirculationFixture.h"
#include "RecordingPlatform.h"
#include "circulation/BkBorrowUt.h"
#include "circulation/BkReturnUt.h"
#include "components/DataGrid.h"
#include "db/ConnectionText.h"
#include "db/DbError.h"

#include <QApplication>
#include <QLineEdit>
#include <QTextStream>

static void lend(TBkBorrowFm &desk, const QString &reader, const QString &item)
{
    desk.Edit1->setText(reader);
    desk.RdSearch();
    desk.Edit2->setText(item);
    desk.bksearch();
    desk.Button1Click();
}

// False when the reader had no open loan left.
static bool returnOne(TBkReturnFm &desk, const QString &reader)
{
    desk.Edit3->setText(reader);
    desk.Button4Click();
    if (desk.DBGrid1->rowCount() == 0)
        return false;
    desk.Button1Click();
    return true;
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    if (args.size() != 7) {
        out << "usage: desk_runner FOLDER CONNECTION KIND BORROWER ITEM RETURNER ROUNDS\n";
        return 2;
    }
    RecordingPlatform &platform = RecordingPlatform::install();
    try {
        db::Database database(db::parseConnectionText(args[1], args[0]), args[2]);
        fixture::openSession(database, args[2]);
        TBkBorrowFm borrowing;
        TBkReturnFm returning;
        for (int i = 0; i < args[6].toInt(); ++i) {
            lend(borrowing, args[3], args[4]);
            returnOne(returning, args[5]);
        }
        while (returnOne(returning, args[5])) {
        }
    } catch (const db::DbError &e) {
        out << e.text() << "\n";
        return 1;
    }
    if (!platform.errors().isEmpty()) {
        out << platform.errors().join(QLatin1Char('\n')) << "\n";
        return 1;
    }
    return 0;
}
