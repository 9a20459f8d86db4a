// Shared by the rip worker and rip job tests: opening an image as a drive, collecting the
// events a worker posts, track lists and a job's signals (Le32 from TestUtil reads a WAV's
// header fields).
#pragma once

#include "cdrip/RipEvent.h"
#include "cdrip/RipJob.h"
#include "disc/CdAccess.h"
#include "tests/common/TestUtil.h"

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

// The rip plan of track entries such as "03Intro" (number and title), ripped in the order given,
// named as TRipPlan::Build names them.
TRipPlan PlanOf(const QStringList& entries, const TAppOptions& options,
                const TDiscFields& disc = TDiscFields());

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
    // Errors and warnings; the notes of what became of the files are not recorded.
    QObject::connect(&job, &TJob::message, [&rec](TJobSeverity severity, const QString& t) {
        if (severity != TJobSeverity::Info)
            rec.Message(t);
    });
    QObject::connect(&job, &TRipJob::halted, [&rec] { rec.Halted(); });
    // Questions (a missing folder, files that exist) are answered Yes unless the recorder has
    // its own answer.
    QObject::connect(&job, &TJob::question, &job, [&job, &rec](const QString& text, TJobButtons) {
        if constexpr (requires { rec.Answer(text); })
            job.Answer(rec.Answer(text));
        else
            job.Answer(TJobAnswer::Yes);
    });
    QObject::connect(&job, &TJob::finished, [&rec](TJobOutcome o, const QString&) {
        rec.Finished(o == TJobOutcome::Stopped);
    });
}
