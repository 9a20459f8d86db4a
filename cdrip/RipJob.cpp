#include "RipJob.h"

#include "RipEvent.h"
#include "RipJobReport.h"
#include "Tid3tag.h"
#include "audio/ACS_Tags.h"
#include "audio/ACS_Wave.h"
#include "codecs/ACS_WinMedia.h"
#include "settings/AppOptions.h"
#include "settings/EncoderConfig.h"
#include "settings/Helpers.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

TRipJob::TRipJob(HCDROM handle, const QStringList& tracks, int format, TRipJobReport* report)
    : m_handle(handle), m_tracks(tracks), m_format(format), m_report(report) {}

TRipJob::~TRipJob() {
    stopRip();
    if (m_output)
        m_output->Stop(false); // no handler of this job runs after this
}

int TRipJob::EntryNumber(const QString& entry) {
    return entry.left(2).toInt();
}

QString TRipJob::EntryTitle(const QString& entry) {
    return entry.mid(2);
}

bool TRipJob::Start() {
    if (m_format < FormatMp3 || m_format > FormatApe) {
        m_report->Message(QStringLiteral("Unknown output format %1.").arg(m_format));
        finish(false);
        return false;
    }
    if (m_format != FormatWav) {
        // The encoder exists for the whole rip; one that cannot load its codec library says so
        // before any track is read.
        try {
            m_output = CreateFormatOutput(m_format, this);
        } catch (const EAuException& e) {
            m_report->Message(e.Message());
            finish(false);
            return false;
        }
        m_waveIn = new TWaveIn(this);
        m_output->SetInput(m_waveIn);
        m_output->SetOnDone([this](TAuOutput* sender) { outputDone(sender); });
        m_output->SetOnProgress([this](TAuOutput* sender) { outputProgress(sender); });
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
    // The output stops before the job reports its end, so the encoded file is no longer
    // being written once the presenter hears of it.
    if (m_output) {
        m_output->Stop(false);
        m_output->SetFileName(QString());
    }
    if (m_waveIn)
        m_waveIn->SetFileName(QString());
    m_finished = true;
    m_report->Finished(stopped);
}

QString TRipJob::encodedPath(const QString& title) const {
    return WithTrailingBackslash(AppOptions.OutputFolder) + title + FormatExtension(m_format);
}

void TRipJob::outputDone(TAuOutput* sender) {
    // Posted rather than handled here, so the finishing steps run as the next event, never
    // inside the dispatcher's delivery.
    TProcessInfo info;
    info.Value = ProcessEncoded;
    const QString failure = sender->FailureText();
    if (!failure.isEmpty()) {
        info.ErrorCode = EncodeFailed;
        info.ErrorText = failure;
    }
    QCoreApplication::postEvent(this, new TRipEvent(info));
}

void TRipJob::outputProgress(TAuOutput* sender) {
    TProcessInfo info;
    info.Value = sender->Progress(); // -1 (length unknown) is ignored by the handler
    QCoreApplication::postEvent(this, new TRipEvent(info));
}

void TRipJob::configureOutput(const QString& title, int number) {
    ConfigureFormatOutput(*m_output, m_format, m_disc, title, number);
    if (m_format == FormatWma) {
        // The track's texts become the file's attributes, as the other tagged formats have them.
        TId3v2Tags tags;
        tags.SetTitle(title);
        tags.SetArtist(m_disc.Artist);
        tags.SetAlbum(m_disc.Album);
        tags.SetYear(m_disc.Year);
        tags.SetGenre(GenreBoxText(m_disc.Genre));
        tags.SetTrack(QString::number(number));
        static_cast<TWMAOut*>(m_output)->SetId3v2Tags(tags);
    }
}

void TRipJob::startEncoding(const QString& entry) {
    const QString title = EntryTitle(entry);
    const QString wav = WithTrailingBackslash(AppOptions.OutputFolder) + title + ".wav";
    const QString out = encodedPath(title);
    m_report->EncodingStarted(EntryNumber(entry), title, out);
    m_report->Hint(QStringLiteral("Encoding..."));
    m_report->BarCaption(QStringLiteral("Encoding..."));
    try {
        m_waveIn->SetFileName(wav);
        m_output->SetFileName(out);
        configureOutput(title, EntryNumber(entry));
        m_output->Start();
        m_outputRan = true;
    } catch (const EAuException& e) {
        // The output never ran: go through the finishing steps as for a failed run.
        TProcessInfo info;
        info.Value = ProcessEncoded;
        info.ErrorCode = EncodeFailed;
        info.ErrorText = e.Message();
        QCoreApplication::postEvent(this, new TRipEvent(info));
    }
}

void TRipJob::onEncoded(const TProcessInfo& info) {
    const QString& entry = m_tracks[m_completed - 1];
    const QString title = EntryTitle(entry);
    const bool encodeFailed = info.ErrorCode == EncodeFailed;
    if (encodeFailed) {
        m_report->Message(
            QStringLiteral("Encoding %1 failed: %2").arg(encodedPath(title), info.ErrorText));
        ++m_failed;
        // What the failed run wrote would pass for an encoded track; the WAV stays instead.
        if (m_outputRan)
            QFile::remove(encodedPath(title));
    }
    m_outputRan = false;
    Pause(300);
    // A failed encoding keeps the WAV: it may be the only copy of the track's audio.
    const QString wav = m_waveIn->FileName();
    if (!AppOptions.IsKeepWav && !encodeFailed && !wav.isEmpty() && QFileInfo::exists(wav) &&
        !IsFileInUse(wav))
        QFile::remove(wav);
    // Each WAV goes through this step once: a later track whose rip fails must not delete a
    // WAV kept because its encoding failed.
    m_waveIn->SetFileName(QString());
    if (m_format == FormatMp3 && !encodeFailed) {
        Tid3tag tag;
        tag.SetTitle(title);
        tag.SetArtist(m_disc.Artist);
        tag.SetAlbum(m_disc.Album);
        tag.SetYear(m_disc.Year);
        tag.SetComment(m_disc.Comment);
        tag.Genre = Tid3tag::GenreByte(m_disc.Genre);
        tag.SetTrack(quint8(EntryNumber(entry)));
        tag.WriteTag(encodedPath(title)); // a missing file is left alone
    }
    m_report->TrackFinished(EntryNumber(entry), title, encodedPath(title), info.ErrorCode == RipOk);
    if (m_completed >= m_tracks.size()) {
        stopRip();
        Pause(300);
        finish(false);
        return;
    }
    m_report->Hint(QStringLiteral("Extracting..."));
    m_report->BarCaption(QStringLiteral("Extracting..."));
    startRip(m_completed);
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
    else if (info.Value == ProcessEncoded)
        onEncoded(info);
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
    if (m_format != FormatWav) {
        if (info.ErrorCode == RipOk) {
            startEncoding(entry);
        } else {
            // Nothing to encode: the track goes through the finishing steps only.
            TProcessInfo skipped;
            skipped.Value = ProcessEncoded;
            skipped.ErrorCode = RipSkipped;
            QCoreApplication::postEvent(this, new TRipEvent(skipped));
        }
        return;
    }
    // WAV output: the ripped file is the result.
    if (m_completed >= m_tracks.size()) {
        finish(false);
        return;
    }
    m_report->Hint(QStringLiteral("Extracting..."));
    m_report->BarCaption(QStringLiteral("Initializing..."));
    startRip(m_completed);
}
