#pragma once

#include <QString>

class QComboBox;
namespace db {
class Database;
}

// Fills a drop-down list with every value of a lookup table's column, in the order the database
// returns the rows (the lists of 类别, 单位名称, 证件名, 分类, ...). The box's text stays as it was:
// an editable box still accepts any typed value.
void fillLookupList(QComboBox *box, db::Database &database, const QString &table, const QString &column);
