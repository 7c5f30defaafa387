#include "components/ReportPreview.h"

#include "common/Platform.h"
#include "components/PrinterChoice.h"
#include "components/Report.h"
#include "components/ReportError.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr double ZoomStep = 1.25;
constexpr double MinZoom = 0.1;
constexpr double MaxZoom = 8;
constexpr double ScreenDpi = 96;

} // namespace

TReportPreviewFm::TReportPreviewFm(Report report, QWidget *parent) : QDialog(parent), report_(std::move(report))
{
    setWindowTitle(QStringLiteral("打印预览 - %1").arg(report_.title()));
    report_.pages();
    buildTools();
    showPage();
}

TReportPreviewFm *TReportPreviewFm::showReport(Report report, QWidget *parent)
{
    auto *preview = new TReportPreviewFm(std::move(report), parent);
    preview->setWindowState(Qt::WindowMaximized);
    Platform::instance().openWindow(preview);
    return preview;
}

void TReportPreviewFm::buildTools()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *tools = new QToolBar(this);
    layout->addWidget(tools);
    auto add = [&](const QString &name, const QString &caption, auto slot) {
        QAction *a = tools->addAction(caption, this, slot);
        a->setObjectName(name);
        return a;
    };
    add(QStringLiteral("firstPage"), QStringLiteral("首页"), &TReportPreviewFm::firstPage);
    add(QStringLiteral("previousPage"), QStringLiteral("上一页"), &TReportPreviewFm::previousPage);
    add(QStringLiteral("nextPage"), QStringLiteral("下一页"), &TReportPreviewFm::nextPage);
    add(QStringLiteral("lastPage"), QStringLiteral("末页"), &TReportPreviewFm::lastPage);
    tools->addSeparator();
    add(QStringLiteral("zoomIn"), QStringLiteral("放大"), &TReportPreviewFm::zoomIn);
    add(QStringLiteral("zoomOut"), QStringLiteral("缩小"), &TReportPreviewFm::zoomOut);
    add(QStringLiteral("zoomToFit"), QStringLiteral("整页"), &TReportPreviewFm::zoomToFit);
    tools->addSeparator();
    findEdit_ = new QLineEdit(this);
    findEdit_->setObjectName(QStringLiteral("findEdit"));
    findEdit_->setPlaceholderText(QStringLiteral("查找"));
    findEdit_->setMaximumWidth(200);
    tools->addWidget(findEdit_);
    connect(findEdit_, &QLineEdit::returnPressed, this, &TReportPreviewFm::findNext);
    add(QStringLiteral("findNext"), QStringLiteral("查找下一个"), &TReportPreviewFm::findNext);
    tools->addSeparator();
    add(QStringLiteral("savePdf"), QStringLiteral("保存"), &TReportPreviewFm::savePdf);
    add(QStringLiteral("print"), QStringLiteral("打印"), &TReportPreviewFm::print);
    add(QStringLiteral("close"), QStringLiteral("关闭"), &QDialog::reject);

    scroll_ = new QScrollArea(this);
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    pageView_ = new QLabel(scroll_);
    pageView_->setObjectName(QStringLiteral("pageView"));
    scroll_->setWidget(pageView_);
    layout->addWidget(scroll_, 1);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    layout->addWidget(status_);
}

int TReportPreviewFm::pageCount() const { return report_.pageCount(); }

void TReportPreviewFm::firstPage() { goToPage(0); }
void TReportPreviewFm::previousPage() { goToPage(page_ - 1); }
void TReportPreviewFm::nextPage() { goToPage(page_ + 1); }
void TReportPreviewFm::lastPage() { goToPage(pageCount() - 1); }

void TReportPreviewFm::goToPage(int index)
{
    const int bounded = qBound(0, index, pageCount() - 1);
    if (bounded == page_)
        return;
    page_ = bounded;
    showPage();
}

void TReportPreviewFm::zoomIn() { setZoom(zoom_ * ZoomStep); }
void TReportPreviewFm::zoomOut() { setZoom(zoom_ / ZoomStep); }

void TReportPreviewFm::zoomToFit()
{
    const QSizeF page = report_.reportTemplate().pageSize;
    const QSize room = scroll_->viewport()->size() - QSize(8, 8);
    setZoom(qMin(room.width() / page.width(), room.height() / page.height()));
}

void TReportPreviewFm::setZoom(double zoom)
{
    zoom_ = qBound(MinZoom, zoom, MaxZoom);
    showPage();
}

QRectF TReportPreviewFm::highlighted() const
{
    if (match_ < 0 || matches_.at(match_).page != page_)
        return {};
    return matches_.at(match_).rect;
}

void TReportPreviewFm::collectMatches(const QString &text)
{
    findFor_ = text;
    matches_.clear();
    match_ = -1;
    const QList<LaidPage> &pages = report_.pages().pages;
    for (int p = 0; p < pages.size(); ++p)
        for (const LaidBand &band : pages.at(p).bands)
            for (const ReportObject &o : band.objects)
                if (o.kind != ReportObject::Kind::Line && o.kind != ReportObject::Kind::Box
                    && o.text.contains(text, Qt::CaseInsensitive))
                    matches_.append({p, o.rect});
}

bool TReportPreviewFm::findNext() { return findText(findEdit_->text()); }

bool TReportPreviewFm::findText(const QString &text)
{
    if (text.isEmpty())
        return false;
    if (text != findFor_) {
        collectMatches(text);
        // A new search starts on the page in view.
        for (int i = 0; i < matches_.size(); ++i)
            if (matches_.at(i).page < page_)
                match_ = i;
    }
    if (matches_.isEmpty()) {
        showPage();
        status_->setText(QStringLiteral("找不到“%1”").arg(text));
        Platform::instance().beep();
        return false;
    }
    match_ = (match_ + 1) % int(matches_.size());
    page_ = matches_.at(match_).page;
    showPage();
    return true;
}

void TReportPreviewFm::showPage()
{
    const double dpr = devicePixelRatioF();
    QImage image = report_.pageImage(page_, ScreenDpi * zoom_ * dpr);
    const QRectF mark = highlighted();
    if (!mark.isEmpty()) {
        QPainter painter(&image);
        const double s = zoom_ * dpr;
        painter.fillRect(QRectF(mark.topLeft() * s, mark.size() * s), QColor(255, 210, 0, 110));
    }
    image.setDevicePixelRatio(dpr);
    pageView_->setPixmap(QPixmap::fromImage(image));
    pageView_->resize(pageView_->sizeHint());
    if (!mark.isEmpty())
        scroll_->ensureVisible(int(mark.center().x() * zoom_), int(mark.center().y() * zoom_));
    status_->setText(QStringLiteral("第 %1 页 / 共 %2 页    %3%")
                             .arg(page_ + 1)
                             .arg(pageCount())
                         .arg(qRound(zoom_ * 100)));
}

void TReportPreviewFm::savePdf()
{
    QString path = Platform::instance().saveFileName(QStringLiteral("保存"), QStringLiteral("PDF 文件 (*.pdf)"),
                                                     report_.title() + QStringLiteral(".pdf"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    try {
        report_.savePdf(path);
    } catch (const ReportError &e) {
        Platform::instance().error(QString::fromStdString(e.what()));
    }
}

void TReportPreviewFm::print()
{
    try {
        report_.print(chosenPrinterName());
    } catch (const ReportError &e) {
        Platform::instance().error(QString::fromStdString(e.what()));
    }
}
