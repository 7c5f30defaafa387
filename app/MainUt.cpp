#include "app/MainUt.h"

#include "app/FunctionWindows.h"
#include "common/ProgramFolder.h"
#include "app/Session.h"
#include "common/ElidedLabel.h"
#include "common/ErrorDisplay.h"
#include "common/Platform.h"
#include "components/PrinterChoice.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

// The picture stretched over the area below the tool bar.
class Background : public QWidget {
public:
    explicit Background(QWidget *parent) : QWidget(parent) { setObjectName(QStringLiteral("Image1")); }
    void setPixmap(const QPixmap &p) { pixmap_ = p; update(); }
    const QPixmap &pixmap() const { return pixmap_; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (pixmap_.isNull())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), pixmap_);
    }

private:
    QPixmap pixmap_;
};

// One menu entry: the window it opens or the handler it runs, and the right that gates it.
struct Entry {
    QAction *TMainFm::*action;
    const char *name;
    const char *caption;
    const char *shortcut;
    const char *window;             // the function window it opens, or nullptr
    void (TMainFm::*handler)();     // a handler of the main window, run instead of opening the window
    bool Rights::*right;            // nullptr: never disabled by a right of its own
    bool separatorBefore = false;
};

const Entry basicEntries[] = {
    {&TMainFm::BorrowItem, "BorrowItem", "借    阅", "F5", "TBkBorrowFm", nullptr, &Rights::qxborrow},
    {&TMainFm::ReturnItem, "ReturnItem", "归    还", "F6", "TBkReturnFm", nullptr, &Rights::qxreturn},
    {&TMainFm::XuJieItem, "XuJieItem", "续    借", nullptr, "TXuJieFm", nullptr, &Rights::qxborrow},
    {&TMainFm::AddBookItem, "AddBookItem", "添加图书", nullptr, "TBkAddFm", nullptr, &Rights::qxadddata},
    {&TMainFm::AddReaderItem, "AddReaderItem", "添加读者", nullptr, "TRdAddFm", nullptr, &Rights::qxadddata},
    {&TMainFm::AddQkItem, "AddQkItem", "添加期刊", nullptr, "TQkAddFm", nullptr, &Rights::qxadddata},
    {&TMainFm::ChangePwdItem, "ChangePwdItem", "修改密码", nullptr, "TChangePwdFm", nullptr, nullptr},
    {&TMainFm::BkManageItem, "BkManageItem", "图书管理", nullptr, "TBkSearchFm", nullptr, &Rights::qxbk, true},
    {&TMainFm::RdManageItem, "RdManageItem", "读者管理", nullptr, "TRdSearchFm", nullptr, &Rights::qxrd},
    {&TMainFm::QkManageItem, "QkManageItem", "期刊管理", nullptr, "TQkSearchFm", nullptr, &Rights::qxqk},
    {&TMainFm::ExitItem, "ExitItem", "退    出", nullptr, nullptr, &TMainFm::ExitClick, nullptr},
};

// The whole menu is gated by qxsysset.
const Entry sysSetEntries[] = {
    {&TMainFm::AdminItem, "AdminItem", "系统管理员设置", nullptr, "TAdminFm", nullptr, &Rights::qxsysset},
    {&TMainFm::SysInfoItem, "SysInfoItem", "图书馆信息设置", nullptr, "TSysInfoSetFm", nullptr, &Rights::qxsysset},
    {&TMainFm::CleanDataItem, "CleanDataItem", "系 统 初 始 化", nullptr, "TCleanDataFm", nullptr, &Rights::qxsysset},
    {&TMainFm::BackUpItem, "BackUpItem", "备 份 数 据 库", nullptr, "TBackUpAccessFm", &TMainFm::BackUpClick, &Rights::qxsysset},
    {&TMainFm::SetDataItem, "SetDataItem", "数 据 库 设 置", nullptr, "TSetDataFm", nullptr, &Rights::qxsysset},
    {&TMainFm::RdKindItem, "RdKindItem", "读者类别设置", nullptr, "TRdKindFm", nullptr, &Rights::qxsysset, true},
    {&TMainFm::RentLevelItem, "RentLevelItem", "租金级别设置", nullptr, "TRentLevelFm", nullptr, &Rights::qxsysset},
    {&TMainFm::BkKindItem, "BkKindItem", "图书分类设置", nullptr, "TBkKindFm", nullptr, &Rights::qxsysset},
    {&TMainFm::Bk2KindItem, "Bk2KindItem", "二级分类设置", nullptr, "TBk2KindFm", nullptr, &Rights::qxsysset},
    {&TMainFm::PubItem, "PubItem", "出版社名设置", nullptr, "TPubFm", nullptr, &Rights::qxsysset},
    {&TMainFm::DepartMentItem, "DepartMentItem", "单位/部门名", nullptr, "TDepartMentFm", nullptr, &Rights::qxsysset},
    {&TMainFm::PlaceItem, "PlaceItem", "存放位置", nullptr, "TPlaceFm", nullptr, &Rights::qxsysset},
    {&TMainFm::PaperItem, "PaperItem", "证件名设置", nullptr, "TPaperFm", nullptr, &Rights::qxsysset},
    {&TMainFm::SecretLevelItem, "SecretLevelItem", "密级设置", nullptr, "TSecretLevelFm", nullptr, &Rights::qxsysset},
    {&TMainFm::MoneyKindItem, "MoneyKindItem", "币种名设置", nullptr, "TMoneyKindFm", nullptr, &Rights::qxsysset},
    {&TMainFm::BookCheckItem, "BookCheckItem", "数据一致性检查", nullptr, "TBookCheckFm", nullptr, &Rights::qxsysset, true},
};

const Entry queryEntries[] = {
    {&TMainFm::JySearchItem, "JySearchItem", "借阅记录查询", nullptr, "TBkJySearchFm", nullptr, nullptr},
    {&TMainFm::DueRecordItem, "DueRecordItem", "逾期借阅记录", nullptr, "TDueRecordFm", nullptr, nullptr},
    {&TMainFm::SortSearchItem, "SortSearchItem", "分 类 统 计", nullptr, "TSortSearchFM", nullptr, nullptr},
    {&TMainFm::BkRegItem, "BkRegItem", "入库信息统计", nullptr, "TBkRegFm", nullptr, nullptr},
    {&TMainFm::BkChartItem, "BkChartItem", "图书借阅统计", nullptr, "TBkChartFm", nullptr, nullptr},
    {&TMainFm::QkChartItem, "QkChartItem", "期刊借阅统计", nullptr, "TQkChartFm", nullptr, nullptr},
    {&TMainFm::RdChartItem, "RdChartItem", "读者借阅统计", nullptr, "TRdChartFm", nullptr, nullptr},
    {&TMainFm::ShouRuCountItem, "ShouRuCountItem", "资金统计", nullptr, "TShouRuCountFm", nullptr, nullptr},
};

const Entry toolEntries[] = {
    {&TMainFm::NotepadItem, "NotepadItem", "记事本", nullptr, nullptr, &TMainFm::NotepadClick, nullptr},
    {&TMainFm::CalcItem, "CalcItem", "计算器", nullptr, nullptr, &TMainFm::CalcClick, nullptr},
    {&TMainFm::PrinterItem, "PrinterItem", "打印机", nullptr, nullptr, &TMainFm::PrinterClick, nullptr},
    {&TMainFm::InExcelItem, "InExcelItem", "Excel导入", "Ctrl+Alt+E", "TInExcelDataFm", &TMainFm::InExcelClick, nullptr},
};

const Entry helpEntries[] = {
    {&TMainFm::HelpItem, "HelpItem", "使用帮助", nullptr, nullptr, &TMainFm::HelpClick, nullptr},
    {&TMainFm::AboutItem, "AboutItem", "关    于", nullptr, "TAboutFm", nullptr, nullptr},
};

template <class F>
void forEachMenu(F f)
{
    f(basicEntries);
    f(sysSetEntries);
    f(queryEntries);
    f(toolEntries);
    f(helpEntries);
}

// Desktop programs in place of notepad.exe and calc.exe: the first one installed is started.
const QStringList textEditors{QStringLiteral("gnome-text-editor"), QStringLiteral("gedit"), QStringLiteral("kate"),
                              QStringLiteral("kwrite"), QStringLiteral("mousepad"), QStringLiteral("pluma"),
                              QStringLiteral("xed"), QStringLiteral("featherpad"), QStringLiteral("leafpad")};
const QStringList calculators{QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("galculator"),
                              QStringLiteral("mate-calc"), QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc")};

} // namespace

TMainFm::TMainFm(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainFm"));
    buildMenus();
    buildToolBar();

    background_ = new Background(this);
    setCentralWidget(background_);

    StatusPanel1 = new ElidedLabel(this);
    StatusPanel2 = new ElidedLabel(this);
    StatusPanel3 = new ElidedLabel(this);
    const std::pair<ElidedLabel *, int> panels[] = {{StatusPanel1, 200}, {StatusPanel2, 300}, {StatusPanel3, 400}};
    int n = 1;
    for (const auto &[panel, width] : panels) {
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(n++));
        panel->setFixedWidth(width);
        statusBar()->addWidget(panel);
    }
    resize(1024, 700);
}

void TMainFm::buildMenus()
{
    auto addMenu = [this](const QString &name, const QString &title, const auto &entries) {
        QMenu *menu = menuBar()->addMenu(title);
        menu->setObjectName(name);
        for (const Entry &e : entries) {
            if (e.separatorBefore)
                menu->addSeparator();
            if (e.action == &TMainFm::ExitItem)
                menu->addSeparator();
            QAction *action = menu->addAction(QString::fromUtf8(e.caption));
            action->setObjectName(QString::fromLatin1(e.name));
            if (e.shortcut)
                action->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
            this->*e.action = action;
            const QString window = e.window ? QString::fromLatin1(e.window) : QString();
            const auto handler = e.handler;
            connect(action, &QAction::triggered, this, guarded([this, window, handler] {
                        if (handler)
                            (this->*handler)();
                        else
                            openWindow(window);
                    }));
        }
        return menu;
    };
    BasicMenu = addMenu(QStringLiteral("BasicMenu"), QStringLiteral("基本操作"), basicEntries);
    SysSetMenu = addMenu(QStringLiteral("SysSetMenu"), QStringLiteral("系统设置"), sysSetEntries);
    QueryMenu = addMenu(QStringLiteral("QueryMenu"), QStringLiteral("查询和统计"), queryEntries);
    ToolMenu = addMenu(QStringLiteral("ToolMenu"), QStringLiteral("工具"), toolEntries);
    HelpMenu = addMenu(QStringLiteral("HelpMenu"), QStringLiteral("帮助"), helpEntries);
}

void TMainFm::buildToolBar()
{
    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setIconSize(QSize(32, 32));
    struct Button {
        QToolButton *TMainFm::*button;
        QAction *TMainFm::*action;
        const char *caption;
        QStyle::StandardPixmap picture;
    };
    const Button buttons[] = {
        {&TMainFm::ToolButton1, &TMainFm::BorrowItem, "借阅[F5]", QStyle::SP_ArrowForward},
        {&TMainFm::ToolButton2, &TMainFm::ReturnItem, "归还[F6]", QStyle::SP_ArrowBack},
        {&TMainFm::ToolButton3, &TMainFm::BkManageItem, "图书管理", QStyle::SP_FileDialogDetailedView},
        {&TMainFm::ToolButton4, &TMainFm::RdManageItem, "读者管理", QStyle::SP_DirHomeIcon},
        {&TMainFm::ToolButton5, &TMainFm::SysInfoItem, "设置", QStyle::SP_FileDialogContentsView},
        {&TMainFm::ToolButton6, &TMainFm::HelpItem, "帮助", QStyle::SP_DialogHelpButton},
        {&TMainFm::ToolButton7, &TMainFm::ExitItem, "退出", QStyle::SP_DialogCloseButton},
    };
    int n = 1;
    for (const Button &b : buttons) {
        // The button runs its menu entry's action and is disabled together with it.
        QAction *entry = this->*b.action;
        auto *button = new QToolButton(ToolBar1);
        button->setObjectName(QStringLiteral("ToolButton%1").arg(n++));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIcon(style()->standardIcon(b.picture));
        button->setText(QString::fromUtf8(b.caption));
        button->setIconSize(ToolBar1->iconSize());
        button->setEnabled(entry->isEnabled());
        connect(button, &QToolButton::clicked, entry, &QAction::trigger);
        connect(entry, &QAction::enabledChanged, button, &QToolButton::setEnabled);
        ToolBar1->addWidget(button);
        this->*b.button = button;
    }
}

void TMainFm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        guarded([this] { FormShow(); })();
    }
}

void TMainFm::FormShow()
{
    const Session &session = Session::instance();
    loadBackground();
    setWindowTitle(session.softname);
    StatusPanel1->setFullText(session.softname);
    StatusPanel2->setFullText(session.tel);
    StatusPanel3->setFullText(session.company);
    applyRights(session);
}

void TMainFm::loadBackground()
{
    // The later picture wins when both are there; a missing or broken file shows nothing.
    QPixmap picture;
    for (const char *name : {"beijing.gif", "beijing.jpg"}) {
        QPixmap p;
        if (p.load(QDir(programFolder()).filePath(QString::fromLatin1(name))))
            picture = p;
    }
    static_cast<Background *>(background_)->setPixmap(picture);
}

void TMainFm::applyRights(const Rights &rights)
{
    auto apply = [this, &rights](const auto &entries) {
        for (const Entry &e : entries)
            if (e.right)
                (this->*e.action)->setEnabled(rights.*e.right);
    };
    apply(basicEntries);
    apply(sysSetEntries);
    SysSetMenu->menuAction()->setEnabled(rights.qxsysset);
}

void TMainFm::openWindow(const QString &windowClass)
{
    QWidget *window = FunctionWindows::open(windowClass, this);
    if (!window) {
        Platform::instance().message(QStringLiteral("此功能尚未安装。"));
        return;
    }
    lastOpened_ = window;
    connect(window, &QObject::destroyed, this, [this, window] {
        if (lastOpened_ == window)
            lastOpened_ = nullptr;
    });
}

QWidget *TMainFm::lastOpened() const { return lastOpened_; }

QList<TMainFm::MenuWindow> TMainFm::menuWindows()
{
    QList<MenuWindow> windows;
    forEachMenu([&windows](const auto &entries) {
        for (const Entry &e : entries)
            if (e.window)
                windows.append({QString::fromLatin1(e.name), QString::fromLatin1(e.window)});
    });
    return windows;
}

void TMainFm::BackUpClick()
{
    const QString kind = Session::instance().DatabaseKind;
    if (kind == QLatin1String("a"))
        openWindow(QStringLiteral("TBackUpAccessFm"));
    else if (kind == QLatin1String("s"))
        Platform::instance().message(QStringLiteral("请使用sqlserver企业管理器备份!"));
    else if (kind == QLatin1String("p"))
        Platform::instance().message(QStringLiteral("请使用PostgreSQL的pg_dump备份!"));
}

void TMainFm::NotepadClick() { Platform::instance().startProgram(textEditors); }

void TMainFm::CalcClick() { Platform::instance().startProgram(calculators); }

void TMainFm::PrinterClick()
{
    if (const auto printer = Platform::instance().choosePrinter(chosenPrinterName()))
        setChosenPrinterName(*printer);
}

void TMainFm::HelpClick()
{
    const QString guide = QDir(programFolder()).filePath(QStringLiteral("help/使用帮助.html"));
    if (QFileInfo::exists(guide))
        Platform::instance().openDocument(guide);
}

void TMainFm::InExcelClick()
{
    if (!importWindow_) {
        Platform::instance().message(QStringLiteral("此功能尚未安装。"));
        return;
    }
    importWindow_->setWindowModality(Qt::ApplicationModal);
    importWindow_->show();
    importWindow_->raise();
}

bool TMainFm::confirmExit()
{
    return Platform::instance().question(QStringLiteral("确认要退出吗?"), QStringLiteral("请确认"));
}

void TMainFm::ExitClick()
{
    if (!confirmExit())
        return;
    exiting_ = true;
    close();
}

void TMainFm::closeEvent(QCloseEvent *event)
{
    if (!exiting_ && !confirmExit()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}
