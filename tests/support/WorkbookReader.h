#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

// A workbook as the independent reader (python3 + openpyxl) sees its first sheet: every cell
// with its kind ("date", "bool", "number", "text"), value and number format, and the widths set.
struct Sheet {
    int sheets = 0;
    QJsonArray rows;
    QJsonObject widths;

    QStringList header() const;
    // PostgreSQL names an unquoted ISBN "isbn": columns are found regardless of case.
    int column(const QString &name) const;
    QJsonValue cell(int row, const QString &name) const { return rows.at(row).toArray().at(column(name)); }
    double width(int columnIndex) const;
};

Sheet readBack(const QString &path);
