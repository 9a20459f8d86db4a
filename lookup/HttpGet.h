// One HTTP GET without blocking, the one HTTP client of the lookups (CDDB, MusicBrainz, the
// cover archive) and of AccurateRip: sent after an optional delay, redirects followed (never
// from HTTPS to HTTP), the body read as it comes and refused once it passes a size limit, the
// whole exchange ended by a time limit or by Abort. Reports once through finished, with a text
// that names the server and the reason (cut short, HTTP status, too large, redirect loop, no
// answer in time). Lives on the thread that made it and needs its event loop: the GUI thread
// for the lookup job, a local event loop of the CDDB worker thread for TCddbClient.
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

    // Why an exchange failed.
    enum Failure {
        NoFailure,
        Address,   // the URL cannot be asked (no host, an invalid port)
        Network,   // no connection, no answer in time, an answer cut short, a redirect loop
        HttpError, // the server answered with a status other than 200
        TooLarge,  // the body passed the size limit
    };

    // What the exchange gave, once finished.
    struct Result {
        bool Ok = false; // a complete answer with status 200
        Failure Why = NoFailure;
        int Status = 0;   // the HTTP status of the last answer; 0 when none came
        QByteArray Body;  // the body of a status-200 answer
        QString Error;    // what went wrong, naming the server, translated; "" when Ok
        QString LogError; // the same in English, for logs
    };

    // `what` names the server in the error texts ("MusicBrainz server", "cover art server"): a
    // text marked with QT_TRANSLATE_NOOP("THttpGet", ...), translated where it is shown.
    THttpGet(QNetworkAccessManager* manager, const char* what, QObject* parent = nullptr);
    ~THttpGet() override;

    // How the error texts name the server, e.g. "127.0.0.1:8080" as the user gave it; by
    // default the host and port of the URL asked last.
    void SetPeer(const QString& peer) { m_peer = peer; }
    // The contact the User-Agent carries; "" names the program's home page.
    void SetContact(const QString& contact) { m_contact = contact; }

    // Sends a GET of `url` after `delayMs` milliseconds with the program's User-Agent and
    // `accept` as Accept header. `maxBytes` limits the body; `timeoutSeconds` (0 = 30) the
    // whole exchange from sending on.
    void Start(const QUrl& url, const QByteArray& accept, qint64 maxBytes, int timeoutSeconds,
               int delayMs = 0);
    // Ends the exchange at once; finished is not emitted.
    void Abort();

    const Result& result() const { return m_result; }
    // The User-Agent the program sends: "Sondrel/<version> ( <contact> )", the contact being
    // the user's address when given, else the program's home page, as public databases ask.
    static QString UserAgent(const QString& contact = QString());

signals:
    void finished();

private:
    void send();
    void takeData();
    void complete();
    // Records a failure: `source` is an untranslated text of this class with %1 the kind of
    // server, %2 `peer` and %3 `detail` (`shownDetail` in the translated text, when given).
    void fail(Failure why, const char* source, const QString& peer,
              const QString& detail = QString(), const QString& shownDetail = QString());
    QString peer(const QUrl& url) const;

    QNetworkAccessManager* m_manager;
    const char* m_what;
    QString m_peer;
    QString m_contact;
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
