#include "PageReading.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

QString runTool(const QString &program, const QStringList &args, int *exitCode)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        qFatal("%s did not finish", qPrintable(program));
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString &pdf, int page)
{
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    return runTool(QStringLiteral("pdftotext"), args << pdf << QStringLiteral("-"));
}

int pdfPageCount(const QString &pdf)
{
    static const QRegularExpression pages(QStringLiteral(R"(Pages:\s+(\d+))"));
    return pages.match(runTool(QStringLiteral("pdfinfo"), {pdf})).captured(1).toInt();
}

QStringList decodedBarcodes(const QImage &image, const QString &folder)
{
    const QString file = QDir(folder).filePath(QStringLiteral("barcodes.png"));
    image.save(file);
    const QString out = runTool(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), QStringLiteral("-Sdisable"),
                                                           QStringLiteral("-Scode128.enable"), file});
    QStringList values;
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        values.append(line.section(QLatin1Char(':'), 1));
    values.sort();
    return values;
}
