#include "components/Report.h"

#include "common/FileProblem.h"
#include "common/Platform.h"
#include "components/ReportError.h"
#include "components/ReportRenderer.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace {

constexpr double ReportDpi = 96;
constexpr int PdfDpi = 600;

QPageSize pageSizeOf(const ReportTemplate &t)
{
    return QPageSize(QSizeF(t.pageSize.width() / ReportDpi, t.pageSize.height() / ReportDpi), QPageSize::Inch,
                     QString(), QPageSize::FuzzyMatch);
}

// Paints every page through one painter, one device page each.
template <class Device>
void paintAll(Report &report, Device &device, QPainter &painter)
{
    for (int i = 0; i < report.pageCount(); ++i) {
        if (i > 0)
            device.newPage();
        report.renderPage(i, painter);
    }
}

} // namespace

Report::Report(ReportTemplate tmpl) : tmpl_(std::move(tmpl)) {}

void Report::setRows(QList<ReportRow> rows)
{
    rows_ = std::move(rows);
    layout_.reset();
}

void Report::setVariable(const QString &name, const QVariant &value)
{
    variables_.insert(name, value);
    layout_.reset();
}

void Report::setBeforePrint(ReportBeforePrint hook)
{
    beforePrint_ = std::move(hook);
    layout_.reset();
}

void Report::setPrintTime(const QDateTime &printed)
{
    printed_ = printed;
    layout_.reset();
}

void Report::setTitle(const QString &title) { title_ = title; }

QString Report::title() const
{
    if (!title_.isEmpty())
        return title_;
    return tmpl_.title.isEmpty() ? tmpl_.name : tmpl_.title;
}

const ReportLayout &Report::layout()
{
    layout_ = compute();
    return *layout_;
}

ReportLayout Report::compute() const
{
    ReportLayout::Input in;
    in.tmpl = &tmpl_;
    in.rows = &rows_;
    in.variables = &variables_;
    in.printed = printed_.isValid() ? printed_ : Platform::instance().now();
    in.beforePrint = beforePrint_;
    return ReportLayout::compute(in);
}

const ReportLayout &Report::pages() const
{
    if (!layout_)
        layout_ = compute();
    return *layout_;
}

int Report::pageCount() const { return int(pages().pages.size()); }

void Report::renderPage(int index, QPainter &painter)
{
    const LaidPage &page = pages().pages.at(index);
    QPaintDevice *device = painter.device();
    painter.save();
    painter.scale(device->width() / tmpl_.pageSize.width(), device->height() / tmpl_.pageSize.height());
    ReportRenderer::paintPage(page, painter);
    painter.restore();
}

QImage Report::pageImage(int index, double dpi)
{
    QImage image(qRound(tmpl_.pageSize.width() * dpi / ReportDpi), qRound(tmpl_.pageSize.height() * dpi / ReportDpi),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    renderPage(index, painter);
    return image;
}

void Report::savePdf(const QString &path)
{
    // QPdfWriter only says that it failed; the system says why.
    if (const auto problem = checkWritable(path))
        throw ReportError(*problem);
    bool written = false;
    {
        QPdfWriter writer(path);
        writer.setResolution(PdfDpi);
        writer.setPageSize(pageSizeOf(tmpl_));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(title());
        QPainter painter;
        if (painter.begin(&writer)) {
            paintAll(*this, writer, painter);
            written = painter.end();
        }
    }
    if (!written) {
        QFile::remove(path); // no half-written file stays behind
        throw ReportError(cannotWriteText(path, QStringLiteral("写入时出错")));
    }
}

void Report::print(const QString &printerName)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!printerName.isEmpty())
        printer.setPrinterName(printerName);
    // An unknown name leaves QPrinter writing a PDF to nowhere: refuse instead of "printing".
    const bool found = printer.isValid() && printer.outputFormat() == QPrinter::NativeFormat
                       && (printerName.isEmpty() || printer.printerName() == printerName);
    if (!found)
        throw ReportError(printerName.isEmpty() ? QStringLiteral("没有可用的打印机")
                                                : QStringLiteral("找不到打印机 %1").arg(printerName));
    printer.setFullPage(true);
    printer.setPageSize(pageSizeOf(tmpl_));
    printer.setDocName(title());
    QPainter painter;
    if (!painter.begin(&printer))
        throw ReportError(QStringLiteral("打印机 %1 无法开始打印").arg(printer.printerName()));
    paintAll(*this, printer, painter);
    painter.end();
}
