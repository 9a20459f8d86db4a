// Fetches a disc's checksums from the AccurateRip database over HTTP without blocking: a GET
// (THttpGet: time and size limits, the program's User-Agent) of the disc's dBAR file on the
// server, whose answer (or failure) arrives as `finished`.
// Lives on the thread that made it (the GUI thread) and needs its event loop.
#pragma once

#include "TArDiscIds.h"
#include "TArResponse.h"

#include <QObject>
#include <QString>

class QNetworkAccessManager;
class THttpGet;

class TArLookup : public QObject {
    Q_OBJECT
public:
    enum Status {
        Found,    // the database knows the disc: Response() holds its pressings
        NotFound, // the server has no such file, or none of its pressings fits the disc
        Failed,   // no answer: the server is unreachable, timed out or sent rubbish
    };

    explicit TArLookup(QObject* parent = nullptr);
    ~TArLookup() override;

    // An answer holds 13 bytes per pressing and 9 per track of each; no disc has this many.
    static constexpr qint64 MaxAnswerBytes = 1 << 20;

    // `server` is "host", "host:port" or a URL ("http://host:port"); the disc's path is
    // appended. `timeoutSeconds` bounds the whole request. One lookup at a time; a second
    // Start abandons the first.
    void Start(const QString& server, const TArDiscIds& ids, int timeoutSeconds = 15);
    // Abandons the request; finished is not emitted.
    void Abort();

    // The URL asked for: the server with the disc's path.
    static QString UrlFor(const QString& server, const TArDiscIds& ids);

    const TArResponse& Response() const { return m_response; }
    // Why the lookup failed, for the log: the server and the network's reason, in English.
    const QString& ErrorText() const { return m_error; }
    // The same through the translation, for the window.
    const QString& ShownErrorText() const { return m_shownError; }

signals:
    void finished(TArLookup::Status status);

private:
    void onReply();

    QNetworkAccessManager* m_net;
    THttpGet* m_get;
    TArResponse m_response;
    int m_tracks = 0; // the audio tracks of the disc asked for
    QString m_error;
    QString m_shownError;
};
