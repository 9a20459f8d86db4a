#include "TArLookup.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

TArLookup::TArLookup(QObject* parent) : QObject(parent), m_net(new QNetworkAccessManager(this)) {}

TArLookup::~TArLookup() {
    Abort();
}

QString TArLookup::UrlFor(const QString& server, const TArDiscIds& ids) {
    QString base = server.trimmed();
    if (!base.contains(QLatin1String("://")))
        base.prepend(QLatin1String("http://"));
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + ids.Path();
}

void TArLookup::Start(const QString& server, const TArDiscIds& ids, int timeoutMs) {
    Abort();
    m_response = TArResponse();
    m_error.clear();
    QNetworkRequest request{QUrl(UrlFor(server, ids))};
    request.setTransferTimeout(timeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Sondrel/%1").arg(QLatin1String(SONDREL_VERSION)));
    m_reply = m_net->get(request);
    connect(m_reply, &QNetworkReply::finished, this, &TArLookup::onReply);
}

void TArLookup::Abort() {
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void TArLookup::onReply() {
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    const int http = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (http == 404) {
        emit finished(NotFound);
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        m_error = reply->errorString();
        emit finished(Failed);
        return;
    }
    if (!m_response.Parse(reply->readAll()) || m_response.Pressings().empty()) {
        m_error = QStringLiteral("the answer of %1 is not a list of checksums")
                      .arg(reply->url().toString());
        emit finished(Failed);
        return;
    }
    emit finished(Found);
}
