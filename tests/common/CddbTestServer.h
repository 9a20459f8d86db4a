// A small HTTP server on 127.0.0.1 for the lookup tests (CDDB, MusicBrainz, cover archive). It runs
// in a thread of its own (the code under test blocks the test's thread), records every request it
// receives and answers through a handler given by the test. Handler and recording are safe across
// threads.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QThread>
#include <functional>

class TCddbTestServer {
public:
    struct Request {
        QByteArray RequestLine;       // "GET /~cddb/cddb.cgi?cmd=... HTTP/1.1"
        QByteArray Host;              // value of the Host header
        QByteArray UserAgent;         // value of the User-Agent header
        QByteArray Target;            // the request target, absolute URL through a proxy
        QMap<QString, QString> Query; // decoded query parameters, "+" read as a blank
        qint64 ReceivedMs = 0;        // when its head was complete, ms since the epoch
        QString Command() const { return Query.value(QStringLiteral("cmd")); }
    };
    // Returns the bytes to send back (the whole HTTP answer); an empty answer means the
    // server keeps the connection open and never says anything. An answer that starts with
    // KeepOpen is sent without it and the connection then stays open.
    using Handler = std::function<QByteArray(const Request&)>;

    // Listens on 127.0.0.1:`port` (0 = any free port).
    explicit TCddbTestServer(Handler handler, quint16 port = 0);
    ~TCddbTestServer();

    bool isListening() const { return m_port != 0; }
    quint16 port() const { return m_port; }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    QList<Request> requests() const;

    static constexpr const char* KeepOpen = "<keep-open>";

    // An HTTP 200 answer carrying `body` as text.
    static QByteArray ok(const QByteArray& body);
    // An answer of `status` carrying `body` of `contentType`; `headers` ("Name: value\r\n"
    // lines) are added.
    static QByteArray http(int status, const QByteArray& contentType, const QByteArray& body,
                           const QByteArray& headers = QByteArray());

    // A CDDB server: answers "cddb query" with `queryAnswer` and "cddb read CAT ID" with
    // reads["CAT ID"] (or 401 when it has none), everything wrapped in HTTP 200.
    static Handler cddb(const QByteArray& queryAnswer, const QMap<QString, QByteArray>& reads);

    // A record in the xmcd format: the header comments, DISCID, DTITLE, DYEAR, DGENRE, the
    // given TTITLE lines as they are, then EXTD, the EXTT lines and PLAYORDER.
    static QByteArray record(const QString& discId, const QString& dtitle, const QString& year,
                             const QString& genre, const QStringList& ttitleLines);
    // A "210 CAT ID" read answer around a record, ending with ".".
    static QByteArray readAnswer(const QString& category, const QString& discId,
                                 const QByteArray& record);

private:
    class Worker;
    QThread m_thread;
    Worker* m_worker = nullptr;
    quint16 m_port = 0;
};
