// The lookup job: reads the disc's table of contents and looks the disc up in the sources its
// TLookupSources names: a CDDB lookup worker, or MusicBrainz by the disc id over HTTP (then,
// when the settings say so, the front cover from the cover archive), or MusicBrainz first and
// CDDB when it knows no release. What it finds goes into a disc fields model only once a
// lookup has succeeded. Headless; the lookup dialogs and the command line present it through
// its signals. GUI (main) thread only; the CDDB worker's results and its message 2129 reach the
// job and the model as queued calls there, and the HTTP exchanges run in its event loop.
#pragma once

#include "LookupSources.h"
#include "MusicBrainzDisc.h"
#include "MusicBrainzRelease.h"
#include "QueryCDDBThread.h"
#include "audio/CoverArt.h"
#include "audio/Job.h"
#include "lookup/CddbMessageEvent.h"

#include <QNetworkAccessManager>
#include <QPointer>
#include <vector>

class THttpGet;

class TLookupJob : public TJob {
    Q_OBJECT
public:
    // "No match found. Perhaps:..." — what a CDDB lookup without a match tells the user,
    // translated.
    static QString NoMatchNotice();
    // Size limits of the answers, in bytes.
    static constexpr qint64 MaxMusicBrainzAnswer = 4 * 1024 * 1024;
    static constexpr qint64 MaxCoverBytes = 8 * 1024 * 1024;
    // The least time between two requests to MusicBrainz from any Sondrel process
    // (TRequestPacer): the second the service asks, and a tenth to spare, since a process's
    // first connection leaves tens of ms later than the timer says and the next one's may not.
    static constexpr int MusicBrainzIntervalMs = 1100;

    // `model` must outlive the job; `handle` is the open drive. The job asks CDDB alone
    // until SetSources says otherwise.
    TLookupJob(HCDROM handle, const TQueryCDDBThread::Settings& settings, TDiscFieldsModel* model,
               QObject* parent = nullptr);
    // Abandons a worker still running: nothing it finds afterwards reaches the model.
    ~TLookupJob() override;

    // Which sources to ask and where; set before Start.
    void SetSources(const TLookupSources& sources) { m_sources = sources; }
    // With several releases for the disc, take the first instead of asking (releaseChoice).
    void SetChooseFirst(bool first) { m_chooseFirst = first; }

    // Reads the table of contents ("Error while reading TOC information!" fails the job), then
    // asks the first source. Done: titles were applied (a cover that could not be fetched only
    // adds a warning message). Failed: no match (noMatch is emitted first), a failed query, or
    // an answer without titles; the detail says which. Cancelled: no release was chosen.
    void Start() override;
    // Abandons the worker or the HTTP exchange; the job ends as Stopped at once.
    void Stop() override;
    // Answers releaseChoice: the index of the release to take, or -1 to take none (the job
    // ends as Cancelled and the disc fields stay as they were).
    void ChooseRelease(int index);

    // How the lookup ended, once finished.
    TCddbMessageEvent::Outcome Result() const { return m_result; }
    int FirstTrack() const { return m_first; }
    int LastTrack() const { return m_last; }
    // "CDDB" or "MusicBrainz": the source asked last.
    const QString& SourceName() const { return m_sourceName; }
    // The disc as MusicBrainz identifies it (valid once a MusicBrainz lookup has started).
    const TMusicBrainzDisc& MusicBrainzDisc() const { return m_disc; }
    // The releases MusicBrainz gave, and the index of the one applied (-1 for none).
    const std::vector<TMusicBrainzRelease>& Releases() const { return m_releases; }
    int ChosenRelease() const { return m_chosen; }
    // The front cover of the chosen release; empty when none was fetched.
    const TCoverArt& Cover() const { return m_cover; }

signals:
    // No source knows the disc; `cddbError` is the CDDB layer's code (0 for MusicBrainz).
    void noMatch(int cddbError);
    // MusicBrainz gave several releases; the job waits for ChooseRelease.
    void releaseChoice(const QStringList& descriptions);

protected:
    bool event(QEvent* e) override;

private:
    void startCddb();
    void startMusicBrainz(const TTOC& toc);
    void onDiscAnswer();
    void musicBrainzNoMatch();
    void applyRelease(int index);
    void onCoverAnswer();

    HCDROM m_handle;
    TQueryCDDBThread::Settings m_settings;
    TLookupSources m_sources;
    TDiscFieldsModel* m_model;
    QPointer<TQueryCDDBThread> m_worker;
    QNetworkAccessManager m_network;
    THttpGet* m_get = nullptr; // the HTTP exchange running now; a child of the job
    TCddbMessageEvent::Outcome m_result = TCddbMessageEvent::QueryFailed;
    int m_first = 0;
    int m_last = 0;
    bool m_chooseFirst = false;
    bool m_choosing = false;
    QString m_sourceName;
    TMusicBrainzDisc m_disc;
    std::vector<TMusicBrainzRelease> m_releases;
    int m_chosen = -1;
    TCoverArt m_cover;
};
