#include "WorkbookReader.h"

#include <QJsonDocument>
#include <QProcess>

static const char *readerScript = R"(
import datetime, json, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
def cell(c):
    v = c.value
    if v is None:
        return None
    if isinstance(v, datetime.datetime):
        kind, v = 'date', v.date().isoformat()
    elif isinstance(v, bool):
        kind = 'bool'
    elif isinstance(v, (int, float)):
        kind = 'number'
    else:
        kind = 'text'
    return {'kind': kind, 'value': v, 'format': c.number_format}
rows = [[cell(c) for c in r] for r in ws.iter_rows()]
widths = {k: d.width for k, d in ws.column_dimensions.items() if d.customWidth}
print(json.dumps({'sheets': len(wb.worksheets), 'rows': rows, 'widths': widths}, ensure_ascii=False))
)";

QStringList Sheet::header() const
{
    QStringList names;
    for (const QJsonValue &v : rows.at(0).toArray())
        names.append(v.toObject().value(QStringLiteral("value")).toString());
    return names;
}

int Sheet::column(const QString &name) const
{
    const QStringList names = header();
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

double Sheet::width(int columnIndex) const
{
    return widths.value(QString(QChar(u'A' + columnIndex))).toDouble();
}

Sheet readBack(const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(readerScript), path});
    Sheet sheet;
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning("%s", python.readAllStandardError().constData());
        return sheet;
    }
    const QJsonObject json = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    sheet.sheets = json.value(QStringLiteral("sheets")).toInt();
    sheet.rows = json.value(QStringLiteral("rows")).toArray();
    sheet.widths = json.value(QStringLiteral("widths")).toObject();
    return sheet;
}
