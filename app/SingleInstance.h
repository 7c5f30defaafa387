#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

// One running program per desktop: the first instance listens under the application title;
// a later one finds it, asks it to bring its window forward, and ends itself.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString &title, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when another instance answered; it has been asked to restore its window.
    bool activateRunning();
    // Starts listening; `restore` runs whenever a later instance starts.
    bool listen(std::function<void()> restore);

private:
    QString key_;
    QLocalServer *server_ = nullptr;
    std::function<void()> restore_;
};
