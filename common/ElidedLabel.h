#pragma once

#include <QLabel>

// A one-line label of a fixed width (a status-bar panel): shows as much of its text as fits,
// ending in "…", and the whole text in its tooltip when it had to be cut.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    void setFullText(const QString &text);
    const QString &fullText() const { return full_; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void elide();

    QString full_;
};
