#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <memory>
#include <unistd.h>
#include <utility>

namespace {
// One request per line: "image <path>" lines, then "raise".
const QByteArray RaiseRequest = QByteArrayLiteral("raise\n");
const QByteArray ImageRequest = QByteArrayLiteral("image ");
} // namespace

TSingleInstance::TSingleInstance(const QString& configDir, QObject* parent)
    : QObject(parent), m_name(ServerName(configDir)) {}

QString TSingleInstance::ServerName(const QString& configDir) {
    const QString dir = QDir(configDir).absolutePath();
    const QByteArray hash =
        QCryptographicHash::hash(dir.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("sondrel-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

bool TSingleInstance::SendToRunning(const QStringList& images, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false; // nobody listens: no socket, or a stale one
    for (const QString& image : images)
        socket.write(ImageRequest + image.toUtf8() + '\n');
    socket.write(RaiseRequest);
    return socket.waitForBytesWritten(timeoutMs);
}

bool TSingleInstance::Listen() {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // RaiseRunning found nobody listening, so the socket file is stale.
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            auto images = std::make_shared<QStringList>();
            auto read = [this, socket, images] {
                while (socket->canReadLine()) {
                    const QByteArray line = socket->readLine();
                    if (line.startsWith(ImageRequest)) {
                        *images << QString::fromUtf8(line.mid(ImageRequest.size()).chopped(1));
                    } else if (line == RaiseRequest) {
                        if (!images->isEmpty())
                            emit imagesRequested(std::exchange(*images, {}));
                        emit raiseRequested();
                    }
                }
            };
            connect(socket, &QLocalSocket::readyRead, this, read);
            read(); // the request may have come with the connection
        }
    });
    return true;
}
