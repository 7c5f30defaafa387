#pragma once

#include <QString>
#include <QStringList>

class QImage;

// The printed pages as a reader of them sees them, through poppler's and zbar's own tools.

// Runs a program to its end and returns what it wrote to its standard output.
QString runTool(const QString &program, const QStringList &args, int *exitCode = nullptr);
// The text of a PDF as pdftotext -layout reads it: every page, or only `page` (from 1).
QString pdfText(const QString &pdf, int page = 0);
int pdfPageCount(const QString &pdf);
// Every Code 128 value zbarimg finds in the image, sorted; `folder` takes the image file.
QStringList decodedBarcodes(const QImage &image, const QString &folder);
