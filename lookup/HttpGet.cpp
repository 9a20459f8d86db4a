#include "HttpGet.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

THttpGet::THttpGet(QNetworkAccessManager* manager, const QString& what, QObject* parent)
    : QObject(parent), m_manager(manager), m_what(what) {
    m_delay.setSingleShot(true);
    m_delay.setTimerType(Qt::PreciseTimer); // a coarse timer may fire 5 % early
    m_deadline.setSingleShot(true);
    connect(&m_delay, &QTimer::timeout, this, &THttpGet::send);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_timedOut = true;
        if (m_reply)
            m_reply->abort(); // finished follows
    });
}

THttpGet::~THttpGet() {
    Abort();
}

QString THttpGet::UserAgent() {
    return QStringLiteral("Sondrel/" SONDREL_VERSION " ( Linux CD ripper )");
}

void THttpGet::Start(const QUrl& url, const QByteArray& accept, qint64 maxBytes, int timeoutSeconds,
                     int delayMs) {
    m_url = url;
    m_accept = accept;
    m_maxBytes = maxBytes;
    m_timeoutSeconds = timeoutSeconds > 0 ? timeoutSeconds : DefaultTimeoutSeconds;
    m_result = Result();
    m_done = false;
    if (delayMs > 0)
        m_delay.start(delayMs);
    else
        send();
}

void THttpGet::Abort() {
    m_done = true;
    m_delay.stop();
    m_deadline.stop();
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void THttpGet::send() {
    if (m_done)
        return;
    QNetworkRequest request(m_url);
    request.setHeader(QNetworkRequest::UserAgentHeader, UserAgent());
    request.setRawHeader("Accept", m_accept);
    // Qt follows redirects except from HTTPS to HTTP.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    m_tooLarge = false;
    m_timedOut = false;
    m_reply = m_manager->get(request);
    // Bounds what the network layer buffers ahead of us; the limit is checked as data comes.
    m_reply->setReadBufferSize(64 * 1024);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &THttpGet::takeData);
    connect(m_reply, &QNetworkReply::readyRead, this, &THttpGet::takeData);
    connect(m_reply, &QNetworkReply::finished, this, &THttpGet::complete);
    m_deadline.start(m_timeoutSeconds * 1000);
}

void THttpGet::takeData() {
    if (!m_reply || m_tooLarge)
        return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status < 400)
        return; // a redirect's own body is not the answer
    m_result.Body += m_reply->readAll();
    const qint64 announced = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (m_result.Body.size() > m_maxBytes || announced > m_maxBytes) {
        m_tooLarge = true;
        m_reply->abort();
    }
}

void THttpGet::fail(const QString& text) {
    m_result.Ok = false;
    m_result.Body.clear();
    m_result.Error = text;
}

void THttpGet::complete() {
    if (m_done || !m_reply)
        return;
    takeData();
    m_deadline.stop();
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    m_done = true;

    const QUrl url = reply->url(); // after redirects
    const QString peer =
        url.host() + (url.port() > 0 ? u':' + QString::number(url.port()) : QString());
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_result.Status = status;
    if (m_tooLarge)
        fail(QStringLiteral("The answer of the %1 %2 is larger than %3 KiB.")
                 .arg(m_what, peer)
                 .arg(m_maxBytes / 1024));
    else if (m_timedOut)
        fail(QStringLiteral("The %1 %2 did not answer within %3 seconds.")
                 .arg(m_what, peer)
                 .arg(m_timeoutSeconds));
    else if (status != 0 && status != 200)
        fail(QStringLiteral("The %1 %2 answered HTTP %3.").arg(m_what, peer).arg(status));
    else if (reply->error() != QNetworkReply::NoError)
        fail(QStringLiteral("Cannot reach the %1 %2: %3.").arg(m_what, peer, reply->errorString()));
    else if (status != 200)
        fail(QStringLiteral("The %1 %2 sent an invalid HTTP answer.").arg(m_what, peer));
    else
        m_result.Ok = true;
    emit finished();
}
