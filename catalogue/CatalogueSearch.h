#pragma once

#include "components/SearchListWindow.h"

#include <initializer_list>

class Report;

// The columns of a catalogue list: shown (with a footer), or hidden but exported.
GridColumn listedColumn(const char *field, GridColumn::Footer footer = GridColumn::Footer::None);
GridColumn hiddenColumn(const char *field);
QStringList fieldNames(std::initializer_list<const char *> list);

// The list windows of the catalogue over 图书 and 期刊: the search-list window with the list report
// and the barcode labels of the listed rows.
class CatalogueSearch : public SearchListWindow {
    Q_OBJECT
public:
    // The list report of the listed rows.
    Report listReport() const;
    // One Code 128 label of 条形码 per listed row, four across.
    Report labelReport() const;

    void ToolButton6Click();
    void ToolButton9Click();

protected:
    // `labelTitle`: the name the labels' PDF and print job take (图书条码, 期刊条码).
    CatalogueSearch(QString listTemplate, QString labelTitle, QWidget *parent);
    // Adds the print buttons, hides the columns the list does not name, and opens the list.
    void configureCatalogue(SearchListConfig config);

private:
    QString listTemplate_;
    QString labelTitle_;
};
