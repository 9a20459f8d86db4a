#include "LookupJob.h"

#include "CoverCheck.h"
#include "HttpGet.h"
#include "RequestPacer.h"
#include "audio/Helpers.h"

#include <QRegularExpression>

namespace {

QString withoutTrailingSlash(QString url) {
    while (url.endsWith(u'/'))
        url.chop(1);
    return url;
}

} // namespace

QString TLookupJob::NoMatchNotice() {
    return tr("No match found. Perhaps:\n1. The CDDB server has no information on this "
              "disc.\n2. The CDDB options are wrong.\n3. The network is down.");
}

TLookupJob::TLookupJob(HCDROM handle, const TQueryCDDBThread::Settings& settings,
                       TDiscFieldsModel* model, QObject* parent)
    : TJob(parent), m_handle(handle), m_settings(settings), m_model(model) {}

TLookupJob::~TLookupJob() {
    if (m_worker)
        m_worker->Abandon();
    delete m_get; // before the network manager it uses
}

void TLookupJob::Start() {
    assertOwnThread();
    TTOC toc{};
    if (ModifyCDParms(m_handle, CdParmTocMsf, 1) == 0 || ReadTOC(m_handle, &toc) != 1) {
        const QString text = tr("Error while reading TOC information!");
        emit message(TJobSeverity::Error, text);
        return finishWith(TJobOutcome::Failed, text);
    }
    m_first = toc.FirstTrack;
    m_last = toc.LastTrack;
    if (m_sources.Source == TLookupSources::Cddb)
        startCddb();
    else
        startMusicBrainz(toc);
}

void TLookupJob::startCddb() {
    m_sourceName = QStringLiteral("CDDB");
    // CDDB servers ask each client for a real address and may shut out those that send none;
    // said once a run.
    static bool emailNoticeGiven = false;
    if (m_settings.Email.trimmed().isEmpty() && !emailNoticeGiven) {
        emailNoticeGiven = true;
        emit message(TJobSeverity::Info,
                     tr("The CDDB server asks for your e-mail address and may refuse programs "
                        "that send none. Enter it in the lookup dialog or the options, or: "
                        "sondrel-cli settings --set QueryCDDB.Email=you@example.org"));
    }
    emit hint(tr("Querying %1 ...").arg(m_settings.Server));
    m_worker = TQueryCDDBThread::Start(this, m_model, m_first, m_last, m_handle, m_settings);
}

void TLookupJob::Stop() {
    assertOwnThread();
    if (IsFinished())
        return;
    if (m_worker)
        m_worker->Abandon();
    if (m_get)
        m_get->Abort();
    m_choosing = false;
    finishWith(TJobOutcome::Stopped);
}

void TLookupJob::startMusicBrainz(const TTOC& toc) {
    m_sourceName = QStringLiteral("MusicBrainz");
    m_disc = TMusicBrainzDisc::FromToc(toc);
    if (!m_disc.isValid()) {
        m_result = TCddbMessageEvent::QueryFailed;
        return finishWith(TJobOutcome::Failed,
                          tr("The table of contents gives no MusicBrainz disc id."));
    }
    const QString server = withoutTrailingSlash(m_sources.MusicBrainzServer);
    const QUrl url(server + QStringLiteral("/ws/2/discid/") + m_disc.Id +
                   QStringLiteral("?inc=artist-credits+recordings+genres&cdstubs=no&fmt=json"));
    emit hint(tr("Querying %1 ...").arg(server));
    // Requests go out at least a second apart across every Sondrel process, whatever the
    // server.
    const int delay = TRequestPacer::Reserve(QStringLiteral("musicbrainz"), MusicBrainzIntervalMs);
    m_get = new THttpGet(&m_network, QT_TRANSLATE_NOOP("THttpGet", "MusicBrainz server"), this);
    m_get->SetPeer(server);
    m_get->SetContact(m_settings.Email);
    connect(m_get, &THttpGet::finished, this, &TLookupJob::onDiscAnswer);
    m_get->Start(url, "application/json", MaxMusicBrainzAnswer, m_sources.TimeoutSeconds, delay);
}

void TLookupJob::onDiscAnswer() {
    const THttpGet::Result answer = m_get->result();
    m_get->deleteLater();
    m_get = nullptr;
    if (IsFinished())
        return;
    if (!answer.Ok) {
        // An unknown disc id is a 404.
        if (answer.Status == 404)
            return musicBrainzNoMatch();
        m_result = TCddbMessageEvent::QueryFailed;
        return finishWith(TJobOutcome::Failed,
                          tr("The MusicBrainz lookup failed: %1").arg(answer.Error));
    }
    QString error;
    if (!TMusicBrainzRelease::ParseDiscAnswer(answer.Body, m_disc.Id,
                                              m_disc.LastTrack - m_disc.FirstTrack + 1, &m_releases,
                                              &error)) {
        m_result = TCddbMessageEvent::QueryFailed;
        return finishWith(TJobOutcome::Failed, tr("The MusicBrainz lookup failed: %1").arg(error));
    }
    if (m_releases.empty())
        return musicBrainzNoMatch();
    if (m_releases.size() == 1 || m_chooseFirst)
        return applyRelease(0);
    QStringList descriptions;
    for (const TMusicBrainzRelease& r : m_releases)
        descriptions << r.Description();
    m_choosing = true;
    emit releaseChoice(descriptions);
}

void TLookupJob::musicBrainzNoMatch() {
    const QString text =
        tr("MusicBrainz knows no release with this disc (disc id %1). It can be added at:\n%2")
            .arg(m_disc.Id, m_disc.SubmitUrl(m_sources.MusicBrainzServer).toString());
    if (m_sources.Source == TLookupSources::MusicBrainzThenCddb) {
        emit message(TJobSeverity::Info, text);
        return startCddb();
    }
    m_result = TCddbMessageEvent::NoMatchFound;
    emit noMatch(0);
    finishWith(TJobOutcome::Failed, text);
}

void TLookupJob::ChooseRelease(int index) {
    assertOwnThread();
    if (!m_choosing || IsFinished())
        return;
    m_choosing = false;
    if (index < 0 || index >= int(m_releases.size())) {
        m_result = TCddbMessageEvent::NoTitles;
        return finishWith(TJobOutcome::Cancelled, tr("No release was chosen."));
    }
    applyRelease(index);
}

void TLookupJob::applyRelease(int index) {
    const TMusicBrainzRelease& r = m_releases[size_t(index)];
    if (r.Titles.isEmpty()) {
        m_result = TCddbMessageEvent::NoTitles;
        return finishWith(TJobOutcome::Failed,
                          tr("The MusicBrainz release holds no track titles for this disc."));
    }
    m_chosen = index;
    m_model->clearDiscFields();
    m_model->setArtist(r.Artist);
    m_model->setAlbum(r.Album);
    m_model->setYear(r.Year);
    m_model->setGenre(r.Genre);
    m_model->setDiscNumber(r.MediumPosition, r.MediumCount);
    for (int row = 0; row < r.Titles.size(); ++row) {
        m_model->setTrackTitle(row, r.Titles[row].isEmpty()
                                        ? QStringLiteral("Track") + TwoDigit(row + 1)
                                        : r.Titles[row]);
        m_model->setTrackArtist(row, r.Artists.value(row));
    }
    m_result = TCddbMessageEvent::TitlesApplied;

    static const QRegularExpression mbid(
        QStringLiteral("^[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}$"));
    if (!m_sources.CoverArt || !mbid.match(r.Mbid).hasMatch())
        return finishWith(TJobOutcome::Done);
    const QUrl url(withoutTrailingSlash(m_sources.CoverArtServer) + QStringLiteral("/release/") +
                   r.Mbid + QStringLiteral("/front"));
    emit hint(tr("Fetching the front cover ..."));
    m_get = new THttpGet(&m_network, QT_TRANSLATE_NOOP("THttpGet", "cover art server"), this);
    m_get->SetContact(m_settings.Email);
    connect(m_get, &THttpGet::finished, this, &TLookupJob::onCoverAnswer);
    m_get->Start(url, "image/jpeg, image/png", MaxCoverBytes, m_sources.TimeoutSeconds);
}

void TLookupJob::onCoverAnswer() {
    const THttpGet::Result answer = m_get->result();
    m_get->deleteLater();
    m_get = nullptr;
    if (IsFinished())
        return;
    // The titles are in; a cover that cannot be had only costs the picture.
    if (answer.Ok) {
        // Embedded in every file and saved beside them: only a whole picture will do.
        QString reason;
        if (TCoverCheck::IsWholePicture(answer.Body, &reason))
            m_cover = TCoverArt::FromBytes(answer.Body);
        else
            emit message(TJobSeverity::Warning,
                         tr("The cover art server sent no usable picture (%1); the files go "
                            "without a cover.")
                             .arg(reason));
    } else if (answer.Status == 404) {
        emit message(TJobSeverity::Info,
                     tr("The cover archive has no front cover for this release."));
    } else {
        emit message(TJobSeverity::Warning,
                     tr("%1 The files go without a cover.").arg(answer.Error));
    }
    finishWith(TJobOutcome::Done);
}

bool TLookupJob::event(QEvent* e) {
    if (e->type() != TCddbMessageEvent::MessageType)
        return TJob::event(e);
    if (IsFinished())
        return true;
    const auto* m = static_cast<const TCddbMessageEvent*>(e);
    m_result = m->How;
    if (m->WParam == TCddbMessageEvent::NoMatch) {
        emit noMatch(m->LParam);
        finishWith(TJobOutcome::Failed, NoMatchNotice());
    } else if (m->How == TCddbMessageEvent::QueryFailed) {
        finishWith(TJobOutcome::Failed, tr("The CDDB query failed: %1").arg(m->Detail));
    } else if (m->How == TCddbMessageEvent::NoTitles) {
        // A record that could not be read says why; the titles may well be in it.
        finishWith(TJobOutcome::Failed,
                   m->Detail.isEmpty()
                       ? tr("The CDDB records hold no track titles for this disc.")
                       : tr("The CDDB record could not be read: %1").arg(m->Detail));
    } else {
        finishWith(TJobOutcome::Done);
    }
    return true;
}
