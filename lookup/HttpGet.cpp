#include "HttpGet.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>

THttpGet::THttpGet(QNetworkAccessManager* manager, const char* what, QObject* parent)
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

QString THttpGet::UserAgent(const QString& contact) {
    // Typed by the user: nothing in it may end the header line.
    QString c = contact;
    c.removeIf([](QChar ch) { return ch.unicode() < 0x20 || ch.unicode() == 0x7f; });
    c = c.trimmed();
    return QStringLiteral("Sondrel/" SONDREL_VERSION " ( %1 )")
        .arg(c.isEmpty() ? QStringLiteral(SONDREL_HOME_PAGE) : c);
}

QString THttpGet::peer(const QUrl& url) const {
    if (!m_peer.isEmpty())
        return m_peer;
    const QString host = url.host();
    const QString shown = host.contains(u':') ? u'[' + host + u']' : host;
    return shown + (url.port() > 0 ? u':' + QString::number(url.port()) : QString());
}

void THttpGet::Start(const QUrl& url, const QByteArray& accept, qint64 maxBytes, int timeoutSeconds,
                     int delayMs) {
    m_url = url;
    m_accept = accept;
    m_maxBytes = maxBytes;
    m_timeoutSeconds = timeoutSeconds > 0 ? timeoutSeconds : DefaultTimeoutSeconds;
    m_result = Result();
    m_done = false;
    if (!url.isValid() || url.host().isEmpty()) {
        // Reported from the event loop, as every other outcome, never from inside Start.
        // An invalid QUrl prints as ""; its error text still holds what was given.
        const QString error = url.errorString();
        static const QRegularExpression source(QStringLiteral("source was \"([^\"]*)\""));
        QString given = m_peer;
        if (given.isEmpty())
            given = url.isValid() ? url.toString() : source.match(error).captured(1);
        const char* const noHost = QT_TR_NOOP("it names no host");
        const QString why = url.isValid() ? QString::fromLatin1(noHost) : error.section(u';', 0, 0);
        fail(Address, QT_TR_NOOP("The %1 address '%2' is not valid: %3."), given, why,
             url.isValid() ? tr(noHost) : why);
        QTimer::singleShot(0, this, [this] {
            if (m_done)
                return; // aborted meanwhile
            m_done = true;
            emit finished();
        });
        return;
    }
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
    request.setHeader(QNetworkRequest::UserAgentHeader, UserAgent(m_contact));
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
    // An aborted reply is no longer readable; reading it would only make Qt warn.
    if (!m_reply || m_tooLarge || !m_reply->isReadable())
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

void THttpGet::fail(Failure why, const char* source, const QString& peer, const QString& detail,
                    const QString& shownDetail) {
    m_result.Ok = false;
    m_result.Why = why;
    m_result.Body.clear();
    const QString english = QString::fromLatin1(source);
    const QString shown = tr(source);
    if (detail.isNull()) {
        m_result.LogError = english.arg(QString::fromLatin1(m_what), peer);
        m_result.Error = shown.arg(tr(m_what), peer);
    } else {
        m_result.LogError = english.arg(QString::fromLatin1(m_what), peer, detail);
        m_result.Error = shown.arg(tr(m_what), peer, shownDetail.isNull() ? detail : shownDetail);
    }
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

    const QString peer = this->peer(reply->url().isEmpty() ? m_url : reply->url());
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = reply->error();
    // An answer that ends before the length it announced was cut, whatever Qt made of it.
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    const bool cutShort = status == 200 && announced.isValid() &&
                          !reply->hasRawHeader("Content-Encoding") &&
                          m_result.Body.size() < announced.toLongLong();
    m_result.Status = status;
    if (m_tooLarge)
        fail(TooLarge, QT_TR_NOOP("The answer of the %1 %2 is larger than %3 KiB."), peer,
             QString::number(m_maxBytes / 1024));
    else if (m_timedOut)
        fail(Network, QT_TR_NOOP("The %1 %2 did not answer within %3 seconds."), peer,
             QString::number(m_timeoutSeconds));
    else if (error == QNetworkReply::TooManyRedirectsError)
        fail(Network, QT_TR_NOOP("The %1 %2 redirected more than %3 times (a redirect loop)."),
             this->peer(m_url), QString::number(MaxRedirects));
    else if (error == QNetworkReply::InsecureRedirectError)
        fail(Network,
             QT_TR_NOOP("The %1 %2 redirected from HTTPS to plain HTTP, which is not followed."),
             this->peer(m_url));
    else if (status != 0 && status != 200)
        fail(HttpError, QT_TR_NOOP("The %1 %2 answered HTTP %3."), peer, QString::number(status));
    else if ((error == QNetworkReply::RemoteHostClosedError && status == 200) || cutShort)
        fail(Network, QT_TR_NOOP("The answer of the %1 %2 was cut short."), peer);
    else if (error == QNetworkReply::RemoteHostClosedError)
        fail(Network, QT_TR_NOOP("The %1 %2 closed the connection without an answer."), peer);
    else if (error != QNetworkReply::NoError)
        fail(Network, QT_TR_NOOP("Cannot reach the %1 %2: %3."), peer, reply->errorString());
    else if (status != 200)
        fail(Network, QT_TR_NOOP("The %1 %2 sent an invalid HTTP answer."), peer);
    else
        m_result.Ok = true;
    emit finished();
}
