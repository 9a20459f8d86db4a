// One HTTP GET without blocking: sent after an optional delay, redirects followed (never from
// HTTPS to HTTP), the body read as it comes and refused once it passes a size limit, the whole
// exchange ended by a time limit or by Abort. Reports once through finished. Lives on the
// thread that made it (the GUI thread for the lookup job) and needs its event loop.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

class THttpGet : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxRedirects = 5;
    static constexpr int DefaultTimeoutSeconds = 30;

    // What the exchange gave, once finished.
    struct Result {
        bool Ok = false; // a complete answer with status 200
        int Status = 0;  // the HTTP status of the last answer; 0 when none came
        QByteArray Body; // the body of a status-200 answer
        QString Error;   // what went wrong, naming the server; "" when Ok
    };

    // `what` names the server in the error texts ("MusicBrainz server", "cover art server").
    THttpGet(QNetworkAccessManager* manager, const QString& what, QObject* parent = nullptr);
    ~THttpGet() override;

    // Sends a GET of `url` after `delayMs` milliseconds with the program's User-Agent and
    // `accept` as Accept header. `maxBytes` limits the body; `timeoutSeconds` (0 = 30) the
    // whole exchange from sending on.
    void Start(const QUrl& url, const QByteArray& accept, qint64 maxBytes, int timeoutSeconds,
               int delayMs = 0);
    // Ends the exchange at once; finished is not emitted.
    void Abort();

    const Result& result() const { return m_result; }
    // The User-Agent the program sends: "Sondrel/<version> ( Linux CD ripper )"; the program
    // has no contact address of its own to name.
    static QString UserAgent();

signals:
    void finished();

private:
    void send();
    void takeData();
    void complete();
    void fail(const QString& text);

    QNetworkAccessManager* m_manager;
    QString m_what;
    QUrl m_url;
    QByteArray m_accept;
    qint64 m_maxBytes = 0;
    int m_timeoutSeconds = DefaultTimeoutSeconds;
    QPointer<QNetworkReply> m_reply;
    QTimer m_delay;
    QTimer m_deadline;
    bool m_tooLarge = false;
    bool m_timedOut = false;
    bool m_done = false;
    Result m_result;
};
