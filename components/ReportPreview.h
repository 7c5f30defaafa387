#pragma once

#include "components/Report.h"

#include <QDialog>
#include <QList>
#include <QRectF>

class QLabel;
class QLineEdit;
class QScrollArea;
class QAction;

// The print preview: zoom, page navigation, find, save as PDF and print. Printing starts only
// from here, on the printer chosen in the main window.
class TReportPreviewFm : public QDialog {
    Q_OBJECT
public:
    // The window keeps its own report; it is laid out if it has not been.
    explicit TReportPreviewFm(Report report, QWidget *parent = nullptr);

    // Opens the report's preview, maximised, through the platform's window opener: modal in front
    // of the others, without blocking the caller (a test finds it in the recording platform's
    // windows). The window is destroyed when it closes.
    static TReportPreviewFm *showReport(Report report, QWidget *parent = nullptr);

    // What is previewed: the template, the title and the rows.
    const Report &report() const { return report_; }

    int currentPage() const { return page_; }
    int pageCount() const;
    double zoom() const { return zoom_; }
    // The object the last find stopped at, on the current page; empty when none.
    QRectF highlighted() const;

public slots:
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void goToPage(int index);
    void zoomIn();
    void zoomOut();
    void zoomToFit();
    void setZoom(double zoom);
    // Finds the next object whose text contains the find box's text (any case), after the
    // current match, going round to the first; false when nothing matches.
    bool findNext();
    bool findText(const QString &text);
    void savePdf();
    void print();

private:
    struct Match {
        int page;
        QRectF rect;
    };

    void buildTools();
    void collectMatches(const QString &text);
    void showPage();

    Report report_;
    int page_ = 0;
    double zoom_ = 1;
    QString findFor_;
    QList<Match> matches_;
    int match_ = -1;

    QScrollArea *scroll_ = nullptr;
    QLabel *pageView_ = nullptr;
    QLabel *status_ = nullptr;
    QLineEdit *findEdit_ = nullptr;
};
