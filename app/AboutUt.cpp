#include "app/AboutUt.h"

#include "app/Session.h"
#include "db/Database.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

TAboutFm::TAboutFm(QWidget *parent)
    : LibraryWindow(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("AboutFm"));
    setWindowTitle(QStringLiteral("关于"));
    auto label = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    ProductName = label("ProductName");
    QFont big = ProductName->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    ProductName->setFont(big);
    Comments = label("Comments");
    Comments->setWordWrap(true);
    TelLabel = label("TelLabel");
    WebLabel = label("WebLabel");
    CompanyLabel = label("CompanyLabel");
    DataBaseLabel = label("DataBaseLabel");
    OKButton = namedButton(QStringLiteral("OKButton"), QStringLiteral("确定"), this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    for (QLabel *l : {ProductName, Comments, TelLabel, WebLabel, CompanyLabel, DataBaseLabel})
        layout->addWidget(l);
    layout->addWidget(OKButton, 0, Qt::AlignRight);
    setMinimumWidth(360);
    FormShow();
}

void TAboutFm::FormShow()
{
    const Session &session = Session::instance();
    ProductName->setText(session.softname);
    Comments->setText(session.Memo);
    TelLabel->setText(session.tel);
    WebLabel->setText(session.web);
    CompanyLabel->setText(session.company);
    DataBaseLabel->setText(databaseInUse(session));
}

// The engine actually in use: the open connection's, else the one the kind names. The
// embedded file is SQLite, never Access.
QString TAboutFm::databaseInUse(const Session &session)
{
    std::optional<db::Engine> engine;
    if (session.database)
        engine = session.database->engine();
    else if (session.DatabaseKind == QLatin1String("a"))
        engine = db::Engine::SQLite;
    else if (session.DatabaseKind == QLatin1String("s"))
        engine = db::Engine::SqlServer;
    else if (session.DatabaseKind == QLatin1String("p"))
        engine = db::Engine::PostgreSQL;
    if (!engine)
        return {};
    switch (*engine) {
    case db::Engine::SQLite:
        return QStringLiteral("当前数据库是:SQLite");
    case db::Engine::SqlServer:
        return QStringLiteral("当前数据库是SqlServer");
    case db::Engine::PostgreSQL:
        return QStringLiteral("当前数据库是:PostgreSQL");
    }
    return {};
}
