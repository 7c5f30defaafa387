// Reading a big .xlsx for Excel导入, beside the bare work under it: inflating the parts and one pass
// of the XML stream reader over them, timed in the same run. Two workbooks written by
// libxlsxwriter: text in the shared-string table (what spreadsheet programs save) and inline
// (what streaming writers save).
//   bench_workbook [lines]
#include "catalogue/Workbook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cstdio>
#include <unzip.h>
#include <xlsxwriter.h>

namespace {

void writeWorkbook(const QString &path, int lines, bool inlineText)
{
    lxw_workbook_options options = {};
    options.constant_memory = inlineText ? LXW_TRUE : LXW_FALSE;
    lxw_workbook *workbook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_format *date = workbook_add_format(workbook);
    format_set_num_format(date, "yyyy-mm-dd");
    const QStringList titles = importColumns();
    for (int c = 0; c < titles.size(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), titles.at(c).toUtf8().constData(), nullptr);
    lxw_datetime published = {2008, 8, 8, 0, 0, 0};
    for (int r = 1; r <= lines; ++r) {
        const QByteArray n = QByteArray::number(r);
        const QByteArray texts[] = {"B" + n, "TM" + n, QStringLiteral("书名").toUtf8() + n, QStringLiteral("文学").toUtf8(),
                                    QStringLiteral("人民文学出版社").toUtf8(), QStringLiteral("作者").toUtf8()};
        for (int c = 0; c < 6; ++c)
            worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), texts[c].constData(), nullptr);
        worksheet_write_number(sheet, lxw_row_t(r), 6, 25.5, nullptr);
        worksheet_write_string(sheet, lxw_row_t(r), 7, "978-7", nullptr);
        worksheet_write_number(sheet, lxw_row_t(r), 8, 2, nullptr);
        worksheet_write_string(sheet, lxw_row_t(r), 11, QStringLiteral("一本书的简介").toUtf8().constData(), nullptr);
        worksheet_write_datetime(sheet, lxw_row_t(r), 13, &published, date);
        worksheet_write_number(sheet, lxw_row_t(r), 14, 300, nullptr);
    }
    workbook_close(workbook);
}

// The bare work: every part inflated and read once, token by token.
qint64 bareTokens(const QString &path)
{
    unzFile zip = unzOpen64(QFile::encodeName(path).constData());
    qint64 tokens = 0;
    for (int more = unzGoToFirstFile(zip); more == UNZ_OK; more = unzGoToNextFile(zip)) {
        QByteArray bytes;
        char buffer[65536];
        unzOpenCurrentFile(zip);
        for (int n; (n = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, n);
        unzCloseCurrentFile(zip);
        QXmlStreamReader xml(bytes);
        while (!xml.atEnd()) {
            xml.readNext();
            ++tokens;
        }
    }
    unzClose(zip);
    return tokens;
}

template <typename F> double millisecondsOf(F &&f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    for (const bool inlineText : {false, true}) {
        const QString path = dir.filePath(inlineText ? QStringLiteral("inline.xlsx") : QStringLiteral("shared.xlsx"));
        writeWorkbook(path, lines, inlineText);
        qint64 read = 0;
        qint64 tokens = 0;
        const double bare = millisecondsOf([&] { tokens = bareTokens(path); });
        const double reader = millisecondsOf([&] { read = readSheet(path).lines.size() - 1; });
        std::printf("%s text, %d lines (%lld read, %lld tokens): readSheet %.0f ms (%.0f lines/s), bare inflate+XML %.0f ms, ratio %.2f\n",
                    inlineText ? "inline" : "shared", lines, static_cast<long long>(read), static_cast<long long>(tokens),
                    reader, lines / (reader / 1000.0), bare, reader / bare);
    }
    return 0;
}
