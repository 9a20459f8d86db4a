#include "TArLookup.h"

#include "lookup/HttpGet.h"
#include "lookup/LookupSources.h"

#include <QNetworkAccessManager>
#include <QUrl>

TArLookup::TArLookup(QObject* parent)
    : QObject(parent), m_net(new QNetworkAccessManager(this)),
      m_get(new THttpGet(m_net, QT_TRANSLATE_NOOP("THttpGet", "AccurateRip database"), this)) {
    connect(m_get, &THttpGet::finished, this, &TArLookup::onReply);
}

TArLookup::~TArLookup() {
    Abort();
}

QString TArLookup::UrlFor(const QString& server, const TArDiscIds& ids) {
    QString base = TLookupSources::ServerUrl(server);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + ids.Path();
}

void TArLookup::Start(const QString& server, const TArDiscIds& ids, int timeoutSeconds) {
    m_response = TArResponse();
    m_tracks = ids.Tracks;
    m_error.clear();
    m_shownError.clear();
    m_get->Start(QUrl(UrlFor(server, ids)), "application/octet-stream", MaxAnswerBytes,
                 timeoutSeconds);
}

void TArLookup::Abort() {
    m_get->Abort();
}

void TArLookup::onReply() {
    const THttpGet::Result& r = m_get->result();
    if (r.Status == 404) {
        emit finished(NotFound);
        return;
    }
    if (!r.Ok) {
        m_error = r.LogError;
        m_shownError = r.Error;
        emit finished(Failed);
        return;
    }
    if (!m_response.Parse(r.Body, m_tracks) || m_response.Pressings().empty()) {
        static const char* const notSums =
            QT_TR_NOOP("the answer of the AccurateRip database is not a list of checksums");
        m_error = QString::fromLatin1(notSums);
        m_shownError = tr(notSums);
        emit finished(Failed);
        return;
    }
    // Pressings of other track counts only: the file is another disc's.
    emit finished(m_response.FittingPressings() > 0 ? Found : NotFound);
}
