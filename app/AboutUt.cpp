#include "app/AboutUt.h"

#include "app/Session.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutFm::TAboutFm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
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
    OKButton = new QPushButton(QStringLiteral("确定"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
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
    if (session.DatabaseKind == QLatin1String("s"))
        DataBaseLabel->setText(QStringLiteral("当前数据库是SqlServer"));
    else if (session.DatabaseKind == QLatin1String("a"))
        DataBaseLabel->setText(QStringLiteral("当前数据库是:Access"));
    else if (session.DatabaseKind == QLatin1String("p"))
        DataBaseLabel->setText(QStringLiteral("当前数据库是:PostgreSQL"));
}
