#include "QueryCDDBThread.h"

#include "CddbClient.h"
#include "CddbMessageEvent.h"
#include "CddbRecord.h"
#include "audio/Genres.h"
#include "audio/Helpers.h"

#include <QCoreApplication>
#include <QWaitCondition>
#include <vector>

namespace {

constexpr int MatchCapacity = 10;

// Workers that have not yet ended, for WaitForAll.
QMutex g_runningLock;
QWaitCondition g_runningDone;
int g_running = 0; // guarded by g_runningLock

// The freedb convention for a compilation: its disc artist is "Various" or "Various Artists"
// and each track title reads "Artist / Title".
bool isVariousArtists(const QString& discArtist) {
    for (const QLatin1String name : {QLatin1String("Various"), QLatin1String("Various Artists")})
        if (discArtist.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Splits a compilation's "Artist / Title" at the first " / " into `artist` and `title`; a
// title without it stays whole, with no artist.
void splitTrackTitle(QString* title, QString* artist) {
    const qsizetype at = title->indexOf(QLatin1String(" / "));
    if (at < 0)
        return;
    *artist = title->left(at).trimmed();
    *title = title->mid(at + 3).trimmed();
}

} // namespace

TQueryCDDBThread::Settings TQueryCDDBThread::Settings::From(const TAppOptions& options) {
    Settings s;
    s.Server = options.Server;
    s.Script = options.Script;
    s.UseProxy = options.UseProxy;
    s.ProxyAddress = options.ProxyAddress;
    s.Port = options.Port;
    s.Email = options.QueryCDDBEmail;
    return s;
}

TQueryCDDBThread::TQueryCDDBThread(QObject* receiver, TDiscFieldsModel* model, int firstTrack,
                                   int lastTrack, HCDROM handle, const Settings& settings)
    : m_link(std::make_shared<Link>()), m_first(firstTrack), m_last(lastTrack), m_handle(handle),
      m_settings(settings) {
    m_link->Receiver = receiver;
    m_link->Model = model;
}

QPointer<TQueryCDDBThread> TQueryCDDBThread::Start(QObject* receiver, TDiscFieldsModel* model,
                                                   int firstTrack, int lastTrack, HCDROM handle,
                                                   const Settings& settings) {
    auto* worker = new TQueryCDDBThread(receiver, model, firstTrack, lastTrack, handle, settings);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    {
        QMutexLocker l(&g_runningLock);
        ++g_running;
    }
    worker->start();
    return worker;
}

void TQueryCDDBThread::Abandon() {
    Link* link = m_link.get();
    if (!link)
        return;
    QMutexLocker l(&link->Mutex);
    link->Abandoned.store(true);
    link->Stop.store(true);
    link->Receiver = nullptr;
    link->Model = nullptr;
}

bool TQueryCDDBThread::WaitForAll(int ms) {
    QDeadlineTimer deadline(ms);
    QMutexLocker l(&g_runningLock);
    while (g_running > 0)
        if (!g_runningDone.wait(&g_runningLock, deadline))
            return g_running == 0;
    return true;
}

void TQueryCDDBThread::run() {
    execute();
    QMutexLocker l(&g_runningLock);
    --g_running;
    g_runningDone.wakeAll();
}

void TQueryCDDBThread::postMessage(int wParam, int lParam, int outcome, const QString& detail) {
    QMutexLocker l(&m_link->Mutex);
    if (m_link->Abandoned || !m_link->Receiver)
        return;
    QObject* receiver = m_link->Receiver;
    std::shared_ptr<Link> link = m_link;
    // Delivered on the receiver's (GUI) thread in order with the model's changes; dropped when
    // the worker was abandoned in the meantime or the receiver is gone.
    QMetaObject::invokeMethod(
        receiver,
        [link, receiver, wParam, lParam, outcome, detail] {
            if (link->Abandoned)
                return;
            TCddbMessageEvent message(wParam, lParam, TCddbMessageEvent::Outcome(outcome), detail);
            QCoreApplication::sendEvent(receiver, &message);
        },
        Qt::QueuedConnection);
}

void TQueryCDDBThread::postWrite(std::function<void(TDiscFieldsModel&)> write) {
    QMutexLocker l(&m_link->Mutex);
    if (m_link->Abandoned || !m_link->Model)
        return;
    TDiscFieldsModel* model = m_link->Model;
    std::shared_ptr<Link> link = m_link;
    // Runs on the model's (GUI) thread; Qt drops it if the model is gone by then.
    QMetaObject::invokeMethod(
        model,
        [link, model, write = std::move(write)] {
            if (!link->Abandoned)
                write(*model);
        },
        Qt::QueuedConnection);
}

void TQueryCDDBThread::execute() {
    TCddbClient client;
    client.setOption(TCddbClient::OptServer, m_settings.Server, 0);
    client.setOption(TCddbClient::OptScript, m_settings.Script, 0);
    client.setOption(TCddbClient::OptEmail, m_settings.Email, 0);
    client.setOption(TCddbClient::OptUseProxy, QString(), m_settings.UseProxy ? 1 : 0);
    if (m_settings.UseProxy) {
        bool ok = false;
        int port = m_settings.Port.trimmed().toInt(&ok);
        if (!ok)
            port = 80;
        client.setOption(TCddbClient::OptProxyPort, QString(), port);
        client.setOption(TCddbClient::OptProxy, m_settings.ProxyAddress, 0);
    }
    client.setOption(TCddbClient::OptTimeout, QString(), m_settings.TimeoutSeconds);

    TTableOfContents toc;
    if (ReadTableOfContents(m_handle, &toc) != 1)
        client.setFailure(TCddbClient::ErrArgument,
                          tr("The table of contents of the disc cannot be read."));
    std::vector<TCddbClient::Match> matches;
    if (client.lastError() != TCddbClient::ErrNone ||
        !client.query(toc, MatchCapacity, &matches, &m_link->Stop)) {
        postMessage(TCddbMessageEvent::Finished, 0, TCddbMessageEvent::QueryFailed,
                    client.FailureText());
        return;
    }
    if (matches.empty()) {
        postMessage(TCddbMessageEvent::NoMatch, client.lastError(),
                    TCddbMessageEvent::NoMatchFound);
        return;
    }

    // The changes wait until a record holds the track titles: a lookup that ends without them
    // changes nothing, and the texts typed in stay.
    std::vector<std::function<void(TDiscFieldsModel&)>> writes;
    writes.push_back([](TDiscFieldsModel& m) { m.clearDiscFields(); });
    // The disc artist the last record named; it tells whether the titles name track artists.
    QString discArtist;
    // Why the last record could not be had; said when no record gave titles.
    QString readFailure;

    for (const TCddbClient::Match& match : matches) {
        if (m_link->Stop)
            return;
        QString text;
        if (!client.read(match.Category, match.DiscId, &text, &m_link->Stop)) {
            readFailure = client.FailureText();
            // A record the server cannot give is skipped; a server that no longer answers
            // would only make every further fetch wait out its time limit.
            if (client.lastError() == TCddbClient::ErrNetwork ||
                client.lastError() == TCddbClient::ErrStopped)
                break;
            continue;
        }
        const TCddbRecord record = TCddbRecord::parse(text);

        if (record.hasDiscTitle()) {
            const QString artist = TCddbRecord::oneLine(record.artist());
            const QString album = TCddbRecord::oneLine(record.album());
            discArtist = artist;
            writes.push_back([artist, album](TDiscFieldsModel& m) {
                m.setArtist(artist);
                m.setAlbum(album);
            });
        }
        if (record.hasYear()) {
            const QString year = TCddbRecord::oneLine(record.year());
            writes.push_back([year](TDiscFieldsModel& m) { m.setYear(year); });
        }
        if (record.hasGenre()) {
            const int index = GenreIndexOf(TCddbRecord::oneLine(record.genre()));
            writes.push_back(
                [index](TDiscFieldsModel& m) { m.setGenre(index >= 0 ? index + 1 : -1); });
        }
        // The titles are keyed from the first track's number less one (TTITLE0 for a disc
        // that starts at track 1); each row takes the title of its own key.
        if (record.hasTrackTitle(m_first - 1)) {
            // Only a compilation's titles name artists: elsewhere "AC/DC" or "Live / Unplugged"
            // is the title.
            const bool compilation = isVariousArtists(discArtist);
            for (int t = m_first; t <= m_last; ++t) {
                if (!record.hasTrackTitle(t - 1))
                    continue;
                QString title = TCddbRecord::oneLine(record.trackTitle(t - 1));
                QString artist;
                if (compilation)
                    splitTrackTitle(&title, &artist);
                if (title.isEmpty())
                    title = QStringLiteral("Track") + TwoDigit(t - m_first + 1);
                const int row = t - m_first;
                writes.push_back([row, title, artist](TDiscFieldsModel& m) {
                    m.setTrackTitle(row, title);
                    m.setTrackArtist(row, artist);
                });
            }
            for (auto& write : writes)
                postWrite(std::move(write));
            postMessage(TCddbMessageEvent::Finished, 0, TCddbMessageEvent::TitlesApplied);
            return;
        }
    }
    postMessage(TCddbMessageEvent::Finished, 0, TCddbMessageEvent::NoTitles, readFailure);
}
