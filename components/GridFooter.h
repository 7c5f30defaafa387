#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

class QHeaderView;

// The one-row footer under a grid: a text under some columns, drawn at the positions of the
// header's sections so that it follows resizing, moving and horizontal scrolling.
class GridFooter : public QWidget {
    Q_OBJECT
public:
    explicit GridFooter(QHeaderView *header, QWidget *parent = nullptr);

    void setTexts(const QHash<int, QString> &textsBySection);
    QString text(int section) const { return texts_.value(section); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QHeaderView *header_;
    QHash<int, QString> texts_;
};
