// Speaks the CDDB protocol over HTTP (protocol level 6, UTF-8): keeps the options of the
// lookup, sends "cddb query" for a disc and "cddb read" for a match, and turns the server's
// answers into matches and record texts. Blocking: while a call waits, it runs a local event
// loop of the calling thread (Qt Network does the HTTP), so it is meant for a worker thread.
// One instance belongs to one thread.
#pragma once

#include "disc/TableOfContents.h"

#include <QString>
#include <QUrl>
#include <atomic>
#include <vector>

class TCddbClient {
public:
    // Option numbers of setOption.
    enum Option {
        OptServer = 0,    // text: HOST or HOST:PORT (port 80 when none is given)
        OptProxy = 1,     // text: proxy host
        OptUseProxy = 2,  // number: nonzero = go through the proxy
        OptProgram = 3,   // text: "NAME VERSION" of the client, for hello=
        OptEmail = 4,     // text: "USER@HOST" of the user, for hello= and the User-Agent
        OptProxyPort = 5, // number: proxy port (80 when not in 1..65535)
        OptScript = 6,    // text: path of the CDDB script on the server
        OptTimeout = 7,   // number: seconds one request may take (default 30)
        OptReserved = 8,  // text: accepted for compatibility, not used
    };

    // Error codes of the last failed call.
    enum Error {
        ErrNone = 0,
        ErrOptions = 1,  // the options do not make a usable request (e.g. no server)
        ErrNetwork = 2,  // no connection, no answer in time, connection cut
        ErrHttp = 3,     // the web server answered with a status other than 200
        ErrProtocol = 4, // a CDDB error, or an answer cut short, not understood or too large
        ErrStopped = 5,  // the stop flag was raised
        ErrArgument = 6, // invalid table of contents or match
    };

    struct Match {
        QString Category; // e.g. "rock"
        QString DiscId;   // 8 hexadecimal digits
        QString Title;    // "Artist / Album" as the server lists it
    };

    // Answer size limits in bytes; a larger answer fails the call.
    static constexpr qint64 MaxQueryAnswer = 256 * 1024;
    static constexpr qint64 MaxRecordAnswer = 512 * 1024;
    static constexpr int DefaultTimeoutSeconds = 30;
    static constexpr int StopPollMs = 100; // how often a waiting call looks at the stop flag

    // False for an unknown option number.
    bool setOption(int option, const QString& text, int number);

    // Sends the query for `disc`. True when the server answered it (200 one exact match,
    // 210 exact matches, 211 inexact matches, 202 no match); `matches` then holds at most
    // `capacity` matches in the server's order. `stop` may be null.
    bool query(const TTableOfContents& disc, int capacity, std::vector<Match>* matches,
               const std::atomic<bool>* stop = nullptr);

    // Fetches the record of a match ("cddb read"). True with the record's lines (without the
    // status line and the final ".") in `record`, line breaks as "\n", control characters
    // other than tab removed.
    bool read(const QString& category, const QString& discId, QString* record,
              const std::atomic<bool>* stop = nullptr);

    int lastError() const { return m_error; }
    // Records a failure that happened before the client was asked (e.g. an unreadable table).
    void setFailure(Error code, const QString& text) { fail(code, text); }
    const QString& FailureText() const { return m_errorText; }

    // The hello= value built from the e-mail and program options: "user+host+name+version",
    // each word percent-encoded.
    QString helloText() const;

    // Parsers of the CDDB part of the answers, public for the tests.
    static bool parseQueryAnswer(const QByteArray& body, int capacity, std::vector<Match>* matches,
                                 QString* error);
    static bool parseReadAnswer(const QByteArray& body, QString* record, QString* error);
    // Category and disc id as the protocol allows them, so that nothing a server sends can
    // change the next request.
    static bool isValidCategory(const QString& category);
    static bool isValidDiscId(const QString& discId);

private:
    bool fail(Error code, const QString& text);
    // Sends `command` as one HTTP GET (THttpGet, in a local event loop of this thread); true
    // with the body of a complete status-200 answer.
    bool fetch(const QString& command, qint64 maxBytes, QByteArray* body,
               const std::atomic<bool>* stop);

    QString m_server;
    QString m_script = QStringLiteral("/~cddb/cddb.cgi");
    QString m_email; // "" = none given: the hello says sondrel@localhost
    QString m_program = QStringLiteral("sondrel " SONDREL_VERSION);
    bool m_useProxy = false;
    QString m_proxy;
    int m_proxyPort = 80;
    int m_timeoutSeconds = DefaultTimeoutSeconds;
    int m_error = ErrNone;
    QString m_errorText;
};
