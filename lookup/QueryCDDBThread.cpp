#include "QueryCDDBThread.h"

#include "CddbCalls.h"
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
constexpr int RecordBufferSize = 32000;

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
    std::vector<TCddbMatch> matches(MatchCapacity);
    TCddbQuery query{MatchCapacity, matches.data()};

    // The options, in the order the CDDB layer expects them.
    CDDBSetOption(CDDB_OPT_SERVER, m_settings.Server.toUtf8().constData(), 0);
    CDDBSetOption(CDDB_OPT_CGI, m_settings.Script.toUtf8().constData(), 0);
    CDDBSetOption(CDDB_OPT_USER, CddbPlaceholderEmail, 0);
    CDDBSetOption(CDDB_OPT_AGENT, "program 1.0", 0);
    CDDBSetOption(CDDB_OPT_RESERVED, "", 0);
    CDDBSetOption(CDDB_OPT_USEPROXY, nullptr, m_settings.UseProxy ? 1 : 0);
    if (m_settings.UseProxy) {
        bool ok = false;
        int port = m_settings.Port.trimmed().toInt(&ok);
        if (!ok)
            port = 80;
        CDDBSetOption(CDDB_OPT_PROXYPORT, nullptr, port);
        CDDBSetOption(CDDB_OPT_PROXY, m_settings.ProxyAddress.toUtf8().constData(), 0);
    }
    CDDBSetOption(CDDB_OPT_TIMEOUT, nullptr, m_settings.TimeoutSeconds);

    if (CDDBQuery(m_handle, &query, &m_link->Stop) != 1) {
        postMessage(TCddbMessageEvent::Finished, 0, TCddbMessageEvent::QueryFailed,
                    CDDBFailureText());
        return;
    }
    if (query.Count < 1) {
        postMessage(TCddbMessageEvent::NoMatch, CDDBGetLastError(),
                    TCddbMessageEvent::NoMatchFound);
        return;
    }

    // The disc's texts are emptied only once a record has arrived: a match whose record never
    // comes must not cost the user the texts typed in.
    bool cleared = false;
    // The disc artist the last record named; it tells whether the titles name track artists.
    QString discArtist;

    std::vector<char> buffer(RecordBufferSize);
    const int count = qMin(query.Count, MatchCapacity);
    for (int i = 0; i < count; ++i) {
        if (m_link->Stop)
            return;
        if (CDDBGetDiskInfo(&matches[size_t(i)], buffer.data(), RecordBufferSize, &m_link->Stop) !=
            1) {
            // A record the server cannot give is skipped; a server that no longer answers
            // would only make every further fetch wait out its time limit.
            if (CDDBGetLastError() == TCddbClient::ErrNetwork)
                break;
            continue;
        }
        const TCddbRecord record = TCddbRecord::parse(QString::fromUtf8(buffer.data()));
        if (!cleared) {
            postWrite([](TDiscFieldsModel& m) { m.clearDiscFields(); });
            cleared = true;
        }

        if (record.hasDiscTitle()) {
            const QString artist = TCddbRecord::oneLine(record.artist());
            const QString album = TCddbRecord::oneLine(record.album());
            discArtist = artist;
            postWrite([artist, album](TDiscFieldsModel& m) {
                m.setArtist(artist);
                m.setAlbum(album);
            });
        }
        if (record.hasYear()) {
            const QString year = TCddbRecord::oneLine(record.year());
            postWrite([year](TDiscFieldsModel& m) { m.setYear(year); });
        }
        if (record.hasGenre()) {
            const int index = GenreIndexOf(TCddbRecord::oneLine(record.genre()));
            postWrite([index](TDiscFieldsModel& m) { m.setGenre(index >= 0 ? index + 1 : -1); });
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
                postWrite([row, title, artist](TDiscFieldsModel& m) {
                    m.setTrackTitle(row, title);
                    m.setTrackArtist(row, artist);
                });
            }
            postMessage(TCddbMessageEvent::Finished, 0, TCddbMessageEvent::TitlesApplied);
            return;
        }
    }
    postMessage(TCddbMessageEvent::Finished, 0, TCddbMessageEvent::NoTitles);
}
