#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

SingleInstance::SingleInstance(const QString &title, QObject *parent) : QObject(parent)
{
    // One key per user and title; hashed so that the socket name is short and plain ASCII.
    const QByteArray id = title.toUtf8() + '-' + QByteArray::number(getuid());
    key_ = QStringLiteral("library-") + QString::fromLatin1(QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(16));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::activateRunning()
{
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write("restore\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen(std::function<void()> restore)
{
    restore_ = std::move(restore);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(key_)) {
        // A socket left behind by an instance that crashed: nobody answered on it.
        QLocalServer::removeServer(key_);
        if (!server_->listen(key_))
            return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            if (restore_)
                restore_();
        }
    });
    return true;
}
