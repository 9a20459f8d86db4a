// One HTTP/1.0 GET on a blocking socket of the calling thread, with an overall time limit, a
// size limit and a stop flag, so that a dead, slow or hostile server can never hang or flood the
// caller. Made for worker threads (it blocks); an instance is used by one thread.
#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>

class THttpGet {
public:
    // The server, and the path with its query text, already percent-encoded.
    QString Host;
    quint16 Port = 80;
    QByteArray PathAndQuery;
    // With UseProxy the connection goes to the proxy, which receives the absolute URL.
    bool UseProxy = false;
    QString ProxyHost;
    quint16 ProxyPort = 80;
    // Limit for the whole exchange, connecting included, in milliseconds.
    int TimeoutMs = 30000;
    // Largest body accepted, in bytes; a longer answer is an error, not a truncation.
    qint64 MaxBodyBytes = 512 * 1024;
    // Polled about every 100 ms while waiting; when it becomes true the request ends at once.
    const std::atomic<bool>* Stop = nullptr;

    // Runs the request. True when the server answered with status 200; the body is then in
    // body(). False otherwise, with errorText() saying what went wrong in words for the user.
    bool run();

    const QByteArray& body() const { return m_body; }
    int status() const { return m_status; } // HTTP status, 0 when none was received
    bool stopped() const { return m_stopped; }
    // True when the failure was an answer beyond MaxBodyBytes (or headers beyond 64 KiB): the
    // server is there but sends what no CDDB server sends.
    bool tooLarge() const { return m_tooLarge; }
    const QString& errorText() const { return m_error; }

    // The request line and headers exactly as sent.
    QByteArray requestText() const;

private:
    bool fail(const QString& text);
    bool parseHeaders(const QByteArray& head, qint64* contentLength, bool* chunked);
    static bool decodeChunked(const QByteArray& in, QByteArray* out);

    QByteArray m_body;
    int m_status = 0;
    bool m_stopped = false;
    bool m_tooLarge = false;
    QString m_error;
};
