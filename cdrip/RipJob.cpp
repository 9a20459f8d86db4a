#include "RipJob.h"

#include "RipEvent.h"
#include "RipJobReport.h"
#include "settings/AppOptions.h"
#include "settings/Helpers.h"

#include <QCoreApplication>

namespace {
constexpr int FormatWav = 1;
}

TRipJob::TRipJob(HCDROM handle, const QStringList& tracks, int format, TRipJobReport* report)
    : m_handle(handle), m_tracks(tracks), m_format(format), m_report(report) {}

TRipJob::~TRipJob() {
    stopRip();
}

int TRipJob::EntryNumber(const QString& entry) {
    return entry.left(2).toInt();
}

QString TRipJob::EntryTitle(const QString& entry) {
    return entry.mid(2);
}

bool TRipJob::Start() {
    if (m_format != FormatWav) {
        m_report->Message(QStringLiteral("%1 output is not available yet; choose WAV.")
                              .arg(FormatName(m_format)));
        finish(false);
        return false;
    }
    if (m_tracks.isEmpty()) {
        finish(false);
        return true;
    }
    startRip(0);
    m_report->Hint(QStringLiteral("Extracting..."));
    m_report->BarCaption(QStringLiteral("Initializing..."));
    return true;
}

void TRipJob::Stop() {
    if (m_finished)
        return;
    finish(true);
}

void TRipJob::startRip(int entry) {
    const QString& e = m_tracks[entry];
    m_worker.reset(); // the previous worker has posted its last event already
    m_report->TrackStarted(EntryNumber(e), EntryTitle(e), m_completed);
    m_worker = std::make_unique<TCDRipThread>(EntryNumber(e), EntryTitle(e));
    m_worker->CDHandle = m_handle;
    m_worker->NotifyWindow = this;
    m_worker->start();
}

void TRipJob::stopRip() {
    if (m_worker) {
        m_worker->Aborted = true;
        m_worker.reset(); // waits for the thread to end
    }
    // Whatever the worker posted before it ended is of no interest now.
    QCoreApplication::removePostedEvents(this, RipDriveFailureEvent);
    QCoreApplication::removePostedEvents(this, RipProcessInfoEvent);
}

void TRipJob::finish(bool stopped) {
    stopRip();
    m_finished = true;
    m_report->Finished(stopped);
}

bool TRipJob::event(QEvent* e) {
    if (e->type() == RipDriveFailureEvent) {
        if (!m_finished) {
            const int code = static_cast<TRipEvent*>(e)->DriveFailure;
            m_report->Message(code == DriveSetupRefused
                                  ? QStringLiteral("CD extract failed! Please try again.")
                                  : QStringLiteral("Error while reading TOC information!"));
            ++m_failed;
            m_report->Halted(); // nothing moves on until the job is stopped
        }
        return true;
    }
    if (e->type() == RipProcessInfoEvent) {
        if (!m_finished)
            onProcessInfo(static_cast<TRipEvent*>(e)->Info);
        return true;
    }
    return QObject::event(e);
}

void TRipJob::onProcessInfo(const TProcessInfo& info) {
    if (info.Value == ProcessNormalizing)
        m_report->Hint(QStringLiteral("Normalizing..."));
    else if (info.Value == ProcessRipEnded)
        onRipEnded(info);
    else if (info.Value > 0 && info.Value <= 100)
        m_report->Progress(info.Value);
}

void TRipJob::onRipEnded(const TProcessInfo& info) {
    const QString& entry = m_tracks[m_completed];
    const QString title = EntryTitle(entry);
    const QString wavPath =
        m_worker ? m_worker->wavPath()
                 : AppOptions.OutputFolder + QLatin1Char('/') + title + QLatin1String(".wav");
    switch (info.ErrorCode) {
    case RipOk:
        break;
    case RipReadFailed:
        m_report->Message(QStringLiteral("Error while reading CD information!"));
        break;
    case RipCannotCreate:
        m_report->Message(
            wavPath +
            QStringLiteral(" is not a valid file name. Please rename the Title in the CD tracks "
                           "list."));
        break;
    default:
        m_report->Message(info.ErrorText.isEmpty() ? QStringLiteral("Cannot write %1").arg(wavPath)
                                                   : info.ErrorText);
        break;
    }
    if (info.ErrorCode != RipOk)
        ++m_failed;
    m_report->TrackEnded(EntryNumber(entry), title, wavPath, info.ErrorCode);
    ++m_completed;
    // WAV output: the ripped file is the result; encoded formats will encode it here before
    // moving on.
    if (m_completed >= m_tracks.size()) {
        finish(false);
        return;
    }
    m_report->Hint(QStringLiteral("Extracting..."));
    m_report->BarCaption(QStringLiteral("Initializing..."));
    startRip(m_completed);
}
