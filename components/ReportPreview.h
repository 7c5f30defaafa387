#pragma once

#include <QDialog>
#include <QList>
#include <QRectF>

class Report;
class QLabel;
class QLineEdit;
class QScrollArea;
class QAction;

// The print preview: zoom, page navigation, find, save as PDF and print. Printing starts only
// from here, on the printer chosen in the main window.
class TReportPreviewFm : public QDialog {
    Q_OBJECT
public:
    // The report must outlive the window; it is laid out if it has not been.
    explicit TReportPreviewFm(Report &report, QWidget *parent = nullptr);

    // Shows the report's preview modally, maximised.
    static void showReport(Report &report, QWidget *parent = nullptr);

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

    Report &report_;
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
