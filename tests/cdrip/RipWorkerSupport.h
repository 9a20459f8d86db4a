// Shared by the rip worker and rip job tests: opening an image as a drive, collecting the
// events a worker posts, and reading the header fields of a WAV.
#pragma once

#include "cdrip/RipEvent.h"
#include "cdrip/RipJob.h"
#include "disc/CdAccess.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

// Registers `cue` as the only image and opens it; 0 on failure.
HCDROM OpenTestImage(const QString& cue);

class TEventCollector : public QObject {
public:
    std::vector<TProcessInfo> Infos;
    std::vector<int> DriveFailures;
    bool event(QEvent* e) override;
    // The percentages posted, in order.
    std::vector<int> Percents() const;
};

// Little-endian uint32 at `offset` of `bytes`.
quint32 Le32(const QByteArray& bytes, int offset);

// The tracks of track entries such as "03Intro".
QList<TRipTrack> TracksOf(const QStringList& entries);

// Connects a rip job's signals to the like-named calls of a test's recorder (those it has).
template <class Recorder> void Attach(TRipJob& job, Recorder& rec) {
    QObject::connect(&job, &TRipJob::trackStarted,
                     [&rec](int n, const QString& t, int c) { rec.TrackStarted(n, t, c); });
    QObject::connect(
        &job, &TRipJob::trackEnded,
        [&rec](int n, const QString& t, const QString& w, int e) { rec.TrackEnded(n, t, w, e); });
    if constexpr (requires { rec.EncodingStarted(0, QString(), QString()); })
        QObject::connect(
            &job, &TRipJob::encodingStarted,
            [&rec](int n, const QString& t, const QString& p) { rec.EncodingStarted(n, t, p); });
    if constexpr (requires { rec.TrackFinished(0, QString(), QString(), true); })
        QObject::connect(&job, &TRipJob::trackFinished,
                         [&rec](int n, const QString& t, const QString& p, bool ok) {
                             rec.TrackFinished(n, t, p, ok);
                         });
    QObject::connect(&job, &TJob::hint, [&rec](const QString& t) { rec.Hint(t); });
    QObject::connect(&job, &TRipJob::barCaption, [&rec](const QString& t) { rec.BarCaption(t); });
    QObject::connect(&job, &TJob::progress, [&rec](int p) { rec.Progress(p); });
    QObject::connect(&job, &TJob::message,
                     [&rec](TJobSeverity, const QString& t) { rec.Message(t); });
    QObject::connect(&job, &TRipJob::halted, [&rec] { rec.Halted(); });
    QObject::connect(&job, &TJob::finished, [&rec](TJobOutcome o, const QString&) {
        rec.Finished(o == TJobOutcome::Stopped);
    });
}
