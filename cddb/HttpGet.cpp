#include "HttpGet.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostInfo>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr int SliceMs = 100;                 // how often the stop flag is polled
constexpr qint64 MaxHeaderBytes = 64 * 1024; // status line and headers together

QString hostForUrl(const QString& host) {
    return host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
}

QString endpoint(const QString& host, quint16 port) {
    return hostForUrl(host) + QLatin1Char(':') + QString::number(port);
}

} // namespace

QByteArray THttpGet::requestText() const {
    QByteArray hostHeader = hostForUrl(Host).toUtf8();
    if (Port != 80)
        hostHeader += ':' + QByteArray::number(Port);
    QByteArray target = PathAndQuery;
    if (UseProxy)
        target = "http://" + hostHeader + PathAndQuery;
    return "GET " + target + " HTTP/1.0\r\nHost: " + hostHeader +
           "\r\nAccept: text/plain\r\nConnection: close\r\n\r\n";
}

bool THttpGet::fail(const QString& text) {
    m_error = text;
    return false;
}

bool THttpGet::run() {
    m_body.clear();
    m_status = 0;
    m_stopped = false;
    m_tooLarge = false;
    m_error.clear();

    const QString peerHost = UseProxy ? ProxyHost : Host;
    const quint16 peerPort = UseProxy ? ProxyPort : Port;
    const QString peer = endpoint(peerHost, peerPort);
    const QString what = UseProxy ? QStringLiteral("proxy") : QStringLiteral("CDDB server");
    if (peerHost.isEmpty())
        return fail(QStringLiteral("No %1 address is set.").arg(what));

    QDeadlineTimer deadline(TimeoutMs);
    auto stopRequested = [&] {
        if (Stop && Stop->load()) {
            m_stopped = true;
            return true;
        }
        return false;
    };
    auto timedOut = [&] {
        return fail(QStringLiteral("The %1 %2 did not answer within %3 seconds.")
                        .arg(what, peer)
                        .arg((TimeoutMs + 999) / 1000));
    };
    auto slice = [&] {
        return int(qMin<qint64>(SliceMs, qMax<qint64>(1, deadline.remainingTime())));
    };

    // The name is looked up in the background while this thread polls, because a blocking
    // look-up with a dead name server would ignore both the time limit and the stop flag.
    QHostAddress address;
    if (!address.setAddress(peerHost)) {
        QEventLoop loop;
        QObject context;
        bool done = false;
        QHostInfo found;
        const int id = QHostInfo::lookupHost(peerHost, &context, [&](const QHostInfo& info) {
            found = info;
            done = true;
            loop.quit();
        });
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            if ((Stop && Stop->load()) || deadline.hasExpired())
                loop.quit();
        });
        tick.start(SliceMs);
        if (!done)
            loop.exec();
        if (!done) {
            QHostInfo::abortHostLookup(id);
            if (stopRequested())
                return fail(QStringLiteral("The lookup was stopped."));
            return timedOut();
        }
        if (found.error() != QHostInfo::NoError || found.addresses().isEmpty())
            return fail(QStringLiteral("Cannot reach the %1 %2: %3.")
                            .arg(what, peer,
                                 found.errorString().isEmpty() ? QStringLiteral("Host not found")
                                                               : found.errorString()));
        address = found.addresses().first();
        for (const QHostAddress& a : found.addresses())
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                address = a; // IPv4 first: many small servers listen on nothing else
                break;
            }
    }

    QTcpSocket socket;
    socket.setProxy(QNetworkProxy::NoProxy); // the proxy, if any, is spoken to explicitly
    socket.connectToHost(address, peerPort);
    while (socket.state() != QAbstractSocket::ConnectedState) {
        if (stopRequested())
            return fail(QStringLiteral("The lookup was stopped."));
        if (deadline.hasExpired())
            return timedOut();
        if (!socket.waitForConnected(slice()) &&
            socket.state() == QAbstractSocket::UnconnectedState)
            return fail(QStringLiteral("Cannot reach the %1 %2: %3.")
                            .arg(what, peer, socket.errorString()));
    }

    socket.write(requestText());
    while (socket.bytesToWrite() > 0) {
        if (stopRequested())
            return fail(QStringLiteral("The lookup was stopped."));
        if (deadline.hasExpired())
            return timedOut();
        if (!socket.waitForBytesWritten(slice()) &&
            socket.state() != QAbstractSocket::ConnectedState)
            return fail(QStringLiteral("The %1 %2 closed the connection: %3.")
                            .arg(what, peer, socket.errorString()));
    }

    QByteArray data;
    qint64 headEnd = -1;
    qint64 bodyStart = 0;
    qint64 contentLength = -1;
    bool chunked = false;
    bool closed = false;
    for (;;) {
        const QByteArray more = socket.readAll();
        if (!more.isEmpty()) {
            data += more;
            if (headEnd < 0) {
                qint64 crlf = data.indexOf("\r\n\r\n");
                qint64 lf = data.indexOf("\n\n");
                if (crlf >= 0 && (lf < 0 || crlf < lf)) {
                    headEnd = crlf;
                    bodyStart = crlf + 4;
                } else if (lf >= 0) {
                    headEnd = lf;
                    bodyStart = lf + 2;
                }
                if (headEnd < 0 && data.size() > MaxHeaderBytes) {
                    m_tooLarge = true;
                    return fail(
                        QStringLiteral("The %1 %2 sent an invalid HTTP answer.").arg(what, peer));
                }
                if (headEnd >= 0 && !parseHeaders(data.left(headEnd), &contentLength, &chunked))
                    return fail(
                        QStringLiteral("The %1 %2 sent an invalid HTTP answer.").arg(what, peer));
            }
            // Chunk headers add a little to the body, hence the allowance.
            const qint64 limit = MaxBodyBytes + (chunked ? MaxBodyBytes / 8 + 1024 : 0);
            if (headEnd >= 0 && data.size() - bodyStart > limit) {
                m_tooLarge = true;
                return fail(QStringLiteral("The answer of the %1 %2 is larger than %3 KiB.")
                                .arg(what, peer)
                                .arg(MaxBodyBytes / 1024));
            }
            if (headEnd >= 0 && contentLength > MaxBodyBytes && !chunked) {
                m_tooLarge = true;
                return fail(QStringLiteral("The answer of the %1 %2 is larger than %3 KiB.")
                                .arg(what, peer)
                                .arg(MaxBodyBytes / 1024));
            }
            if (headEnd >= 0 && contentLength >= 0 && !chunked &&
                data.size() - bodyStart >= contentLength)
                break;
            // The last chunk ends the answer even when the server keeps the connection open.
            if (headEnd >= 0 && chunked) {
                const QByteArrayView tail = QByteArrayView(data).sliced(bodyStart);
                if (tail == "0\r\n\r\n" || tail.endsWith("\r\n0\r\n\r\n"))
                    break;
            }
        }
        if (closed)
            break;
        if (stopRequested())
            return fail(QStringLiteral("The lookup was stopped."));
        if (deadline.hasExpired())
            return timedOut();
        if (!socket.waitForReadyRead(slice()) && socket.state() != QAbstractSocket::ConnectedState)
            closed = true; // read what is left, then finish
    }

    if (headEnd < 0)
        return fail(
            QStringLiteral("The %1 %2 closed the connection without an answer.").arg(what, peer));
    QByteArray body = data.mid(bodyStart);
    if (chunked) {
        QByteArray decoded;
        if (!decodeChunked(body, &decoded))
            return fail(QStringLiteral("The %1 %2 sent an invalid HTTP answer.").arg(what, peer));
        body = decoded;
    } else if (contentLength >= 0) {
        if (body.size() < contentLength)
            return fail(QStringLiteral("The answer of the %1 %2 was cut short.").arg(what, peer));
        body.truncate(contentLength);
    }
    if (body.size() > MaxBodyBytes) {
        m_tooLarge = true;
        return fail(QStringLiteral("The answer of the %1 %2 is larger than %3 KiB.")
                        .arg(what, peer)
                        .arg(MaxBodyBytes / 1024));
    }
    if (m_status != 200)
        return fail(QStringLiteral("The %1 %2 answered HTTP %3.").arg(what, peer).arg(m_status));
    m_body = body;
    return true;
}

bool THttpGet::parseHeaders(const QByteArray& head, qint64* contentLength, bool* chunked) {
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> status = lines.value(0).trimmed().split(' ');
    if (status.size() < 2 || !status[0].startsWith("HTTP/1."))
        return false;
    bool ok = false;
    m_status = status[1].toInt(&ok);
    if (!ok || m_status < 100 || m_status > 599)
        return false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length") {
            const qint64 n = value.toLongLong(&ok);
            if (!ok || n < 0)
                return false;
            *contentLength = n;
        } else if (name == "transfer-encoding" && value.toLower().contains("chunked")) {
            *chunked = true;
        }
    }
    return true;
}

bool THttpGet::decodeChunked(const QByteArray& in, QByteArray* out) {
    qsizetype pos = 0;
    for (;;) {
        const qsizetype eol = in.indexOf('\n', pos);
        if (eol < 0)
            return false;
        QByteArray sizeText = in.mid(pos, eol - pos).trimmed();
        const qsizetype semi = sizeText.indexOf(';');
        if (semi >= 0)
            sizeText.truncate(semi);
        bool ok = false;
        const qint64 size = sizeText.toLongLong(&ok, 16);
        if (!ok || size < 0 || size > in.size())
            return false;
        pos = eol + 1;
        if (size == 0)
            return true;
        if (pos + size > in.size())
            return false;
        out->append(in.constData() + pos, size);
        pos += size;
        if (in.mid(pos, 2) == "\r\n")
            pos += 2;
        else if (in.mid(pos, 1) == "\n")
            pos += 1;
        else
            return false;
    }
}
