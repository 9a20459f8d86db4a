#include "tests/common/CddbTestServer.h"

#include <QDateTime>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

class TCddbTestServer::Worker : public QObject {
public:
    Handler Answer;
    QTcpServer* Server = nullptr;
    mutable QMutex Lock;
    QList<Request> Seen; // guarded by Lock

    quint16 listen(quint16 port) {
        Server = new QTcpServer(this);
        if (!Server->listen(QHostAddress::LocalHost, port))
            return 0;
        QObject::connect(Server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = Server->nextPendingConnection())
                serve(socket);
        });
        return Server->serverPort();
    }

    void serve(QTcpSocket* socket) {
        socket->setParent(this);
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            if (buffer->contains("\r\n\r\n"))
                return; // already answered; more bytes are ignored
            *buffer += socket->readAll();
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            Request r = parse(buffer->left(end));
            r.ReceivedMs = QDateTime::currentMSecsSinceEpoch();
            {
                QMutexLocker l(&Lock);
                Seen << r;
            }
            QByteArray reply = Answer(r);
            if (reply.isEmpty())
                return; // silent: keep the connection, say nothing
            const bool keepOpen = reply.startsWith(KeepOpen);
            if (keepOpen)
                reply.remove(0, qsizetype(qstrlen(KeepOpen)));
            socket->write(reply);
            if (!keepOpen)
                socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    static Request parse(const QByteArray& head) {
        Request r;
        const QList<QByteArray> lines = head.split('\n');
        r.RequestLine = lines.value(0).trimmed();
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            if (line.toLower().startsWith("host:"))
                r.Host = line.mid(5).trimmed();
            if (line.toLower().startsWith("user-agent:"))
                r.UserAgent = line.mid(11).trimmed();
        }
        const QList<QByteArray> words = r.RequestLine.split(' ');
        r.Target = words.value(1);
        // Form encoding: "+" is a blank, then %XX escapes.
        const qsizetype q = r.Target.indexOf('?');
        if (q >= 0)
            for (QByteArray item : r.Target.mid(q + 1).split('&')) {
                item.replace('+', ' ');
                const qsizetype eq = item.indexOf('=');
                r.Query.insert(QUrl::fromPercentEncoding(item.left(eq)),
                               QUrl::fromPercentEncoding(item.mid(eq + 1)));
            }
        return r;
    }
};

TCddbTestServer::TCddbTestServer(Handler handler, quint16 port) {
    m_worker = new Worker;
    m_worker->Answer = std::move(handler);
    m_worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
    quint16 bound = 0;
    QMetaObject::invokeMethod(
        m_worker, [&] { bound = m_worker->listen(port); }, Qt::BlockingQueuedConnection);
    m_port = bound;
}

TCddbTestServer::~TCddbTestServer() {
    m_thread.quit();
    m_thread.wait();
}

QList<TCddbTestServer::Request> TCddbTestServer::requests() const {
    QMutexLocker l(&m_worker->Lock);
    return m_worker->Seen;
}

QByteArray TCddbTestServer::http(int status, const QByteArray& contentType, const QByteArray& body,
                                 const QByteArray& headers) {
    return "HTTP/1.0 " + QByteArray::number(status) + " X\r\nContent-Type: " + contentType +
           "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" + headers + "\r\n" +
           body;
}

QByteArray TCddbTestServer::ok(const QByteArray& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

TCddbTestServer::Handler TCddbTestServer::cddb(const QByteArray& queryAnswer,
                                               const QMap<QString, QByteArray>& reads) {
    return [queryAnswer, reads](const Request& r) {
        const QStringList cmd = r.Command().split(QLatin1Char(' '));
        if (cmd.value(0) == QLatin1String("cddb") && cmd.value(1) == QLatin1String("query"))
            return ok(queryAnswer);
        if (cmd.value(0) == QLatin1String("cddb") && cmd.value(1) == QLatin1String("read")) {
            const QString key = cmd.value(2) + QLatin1Char(' ') + cmd.value(3);
            if (reads.contains(key))
                return ok(reads.value(key));
            return ok("401 " + key.toUtf8() + " No such CD entry in database.\r\n");
        }
        return ok("500 Unrecognized command.\r\n");
    };
}

QByteArray TCddbTestServer::record(const QString& discId, const QString& dtitle,
                                   const QString& year, const QString& genre,
                                   const QStringList& ttitleLines) {
    QStringList l;
    l << QStringLiteral("# xmcd") << QStringLiteral("#") << QStringLiteral("# Track frame offsets:")
      << QStringLiteral("#\t150") << QStringLiteral("#")
      << QStringLiteral("# Disc length: 2000 seconds") << QStringLiteral("#")
      << QStringLiteral("# Revision: 3") << QStringLiteral("# Submitted via: testsuite 1.0")
      << QStringLiteral("#") << QStringLiteral("DISCID=") + discId
      << QStringLiteral("DTITLE=") + dtitle << QStringLiteral("DYEAR=") + year
      << QStringLiteral("DGENRE=") + genre;
    l << ttitleLines;
    l << QStringLiteral("EXTD= YEAR: ") + year;
    for (int i = 0; i < ttitleLines.size(); ++i)
        l << QStringLiteral("EXTT%1=").arg(i);
    l << QStringLiteral("PLAYORDER=");
    return l.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

QByteArray TCddbTestServer::readAnswer(const QString& category, const QString& discId,
                                       const QByteArray& record) {
    return "210 " + category.toUtf8() + ' ' + discId.toUtf8() +
           " CD database entry follows (until terminating `.')\r\n" + record + ".\r\n";
}
