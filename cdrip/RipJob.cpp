#include "RipJob.h"

#include "FileIo.h"
#include "RipEvent.h"
#include "RipSheets.h"
#include "accuraterip/TArLookup.h"
#include "audio/ACS_Wave.h"
#include "audio/AtomicFile.h"
#include "audio/Helpers.h"
#include "cddb/CddbCalls.h"
#include "encode/EncodeStep.h"
#include "encode/OutputFormats.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <filesystem>

TRipJob::TRipJob(HCDROM handle, const TRipPlan& plan, const TAppOptions& options, QObject* parent)
    : TJob(parent), m_handle(handle), m_plan(plan), m_options(options) {
    // The encoders and the checks take the plan's folder and format, whatever the settings say.
    m_options.OutputFolder = plan.OutputFolder;
    m_options.OutputFormat = plan.Format;
}

TRipJob::~TRipJob() {
    stopRip();
    if (m_step)
        m_step->Stop(); // no handler of this job runs after this
}

void TRipJob::SetReadSource(const QString& drive, int readOffset) {
    m_log.Drive = drive;
    m_log.ReadOffset = readOffset;
}

int TRipJob::DriveReadOffset(int index, const QMap<QString, int>& offsets, QString* description) {
    TCDList list{};
    list.MaxCd = 8;
    GetCDList(&list);
    if (index < 0 || index >= list.NumCd)
        return 0;
    const TCDRec& rec = list.Cd[index];
    if (description)
        *description = CdDriveDescription(rec);
    // Images hold the audio where it belongs; only a drive reads it shifted.
    return rec.Ha == 0 ? 0 : offsets.value(CdDriveDescription(rec), 0);
}

void TRipJob::SetPace(int ms) {
    assertOwnThread();
    m_pace = std::max(0, ms);
    if (m_step)
        m_step->SetDoneDelay(m_pace);
}

TAuFileOut* TRipJob::Output() const {
    return m_step ? m_step->OutputOf(m_plan.Format) : nullptr;
}

int TRipJob::Total() const {
    return int(std::count_if(m_plan.Tracks.begin(), m_plan.Tracks.end(), [](const auto& t) {
        return t.State != TRipPlanTrack::TState::Skipped;
    }));
}

void TRipJob::fail(const QString& text) {
    emit message(TJobSeverity::Error, text);
    finishWith(TJobOutcome::Failed, text);
}

void TRipJob::Start() {
    assertOwnThread();
    const int format = m_plan.Format;
    if (format < 0 || format >= OutputFormatCount)
        return fail(QStringLiteral("Unknown output format %1.").arg(format));
    if (format != FormatWav) {
        // The encoder exists for the whole rip; one that cannot load its codec library says so
        // before any track is read.
        m_step = new TEncodeStep(m_options, this);
        m_step->SetDoneDelay(m_pace);
        try {
            m_step->OutputOf(format);
        } catch (const EAuException& e) {
            return fail(e.Message());
        }
        m_waveIn = new TWaveIn(this);
        connect(m_step, &TEncodeStep::progress, this, [this](int percent) {
            if (percent > 0 && percent <= 100)
                emit progress(percent);
        });
        connect(m_step, &TEncodeStep::finished, this,
                [this](const QString&, const QString& failure) { onEncoded(true, failure); });
    }
    withOutputFolder(m_plan.OutputFolder, [this] { checkExisting(); });
}

void TRipJob::checkExisting() {
    // The files this rip writes for each track, and those of them that exist already.
    const bool keepsWav = m_plan.Format != FormatWav && m_options.IsKeepWav;
    QStringList existing;
    QList<int> tracksWithExisting;
    for (int i = 0; i < int(m_plan.Tracks.size()); ++i) {
        const TRipPlanTrack& t = m_plan.Tracks[size_t(i)];
        QStringList outputs{m_plan.Format == FormatWav ? t.WavPath : t.Path};
        if (keepsWav)
            outputs << t.WavPath;
        bool any = false;
        for (const QString& path : outputs)
            if (NameTaken(path)) {
                existing << path;
                any = true;
            }
        if (any)
            tracksWithExisting << i;
    }
    if (existing.isEmpty())
        return begin();
    ask(TJobQuestion::ReplaceOutputs,
        QStringLiteral("These files exist in the output folder already:\n%1\nReplace them (Yes), "
                       "skip their tracks (No), or cancel the rip (Cancel)?")
            .arg(existing.join(QLatin1Char('\n'))),
        TJobButtons::YesNoCancel, [this, tracksWithExisting](TJobAnswer answer) {
            if (answer == TJobAnswer::Cancel)
                return finishWith(TJobOutcome::Cancelled);
            if (answer == TJobAnswer::No) {
                for (int i : tracksWithExisting) {
                    TRipPlanTrack& t = m_plan.Tracks[size_t(i)];
                    emit message(TJobSeverity::Info,
                                 QStringLiteral("Track %1 is skipped: %2 exists already.")
                                     .arg(t.Number)
                                     .arg(m_plan.Format == FormatWav ? t.WavPath : t.Path));
                    t.State = TRipPlanTrack::TState::Skipped;
                }
            }
            begin();
        });
}

void TRipJob::begin() {
    m_log.Secure = m_options.SecureRip;
    m_log.NormalizePercent = m_options.IsNormalize ? m_options.NormalizePercent : 0;
    m_log.Album = m_plan.Disc.Album;
    m_log.Artist = m_plan.Disc.Artist;
    TTOC toc{};
    if (ModifyCDParms(m_handle, CdParmTocMsf, 1) != 0 && ReadTOC(m_handle, &toc) == 1)
        m_log.Disc = CddbDiscFromToc(toc);
    // A drive does not tell its gaps; the cue sheet then says they were not detected.
    if (ReadTrackGaps(m_handle, &m_pregaps) != 1)
        m_pregaps.clear();
    m_current = -1;
    m_current = nextIndex();
    if (m_current < 0)
        return finish(false);
    startRip();
    emit hint(QStringLiteral("Extracting..."));
    emit barCaption(QStringLiteral("Initializing..."));
}

int TRipJob::nextIndex() const {
    for (int i = m_current + 1; i < int(m_plan.Tracks.size()); ++i)
        if (m_plan.Tracks[size_t(i)].State != TRipPlanTrack::TState::Skipped)
            return i;
    return -1;
}

void TRipJob::Stop() {
    assertOwnThread();
    if (IsFinished())
        return;
    finish(true);
}

bool TRipJob::makeFolderOf(const QString& path) {
    // The template's folders below the output folder, made as each track needs them.
    const QString folder = QFileInfo(path).path();
    if (QFileInfo(folder).isDir())
        return true;
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
    if (!error)
        return true;
    trackError(QStringLiteral("Cannot create %1: %2")
                   .arg(folder, QString::fromStdString(error.message())));
    return false;
}

void TRipJob::startRip() {
    const TRipPlanTrack& t = current();
    m_worker.reset(); // the previous worker has posted its last event already
    emit trackStarted(t.Number, t.Title, m_completed);
    emit currentItem(m_completed + 1, Total(), t.Title);
    if (!makeFolderOf(t.WavPath)) {
        // Nothing can be written for this track: it fails as a write would, as an event of its
        // own so the presenters hear of the start first.
        QTimer::singleShot(0, this, [this] {
            if (!IsFinished())
                onRipEnded(TProcessInfo{ProcessRipEnded, RipCannotCreate, QStringLiteral(" "), {}});
        });
        return;
    }
    m_worker = std::make_unique<TCDRipThread>(t.Number, PartialName(t.WavPath), m_options);
    m_worker->CDHandle = m_handle;
    m_worker->ReadOffset = m_log.ReadOffset;
    m_worker->ReadSectors = m_read;
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
    if (m_step)
        m_step->Stop();
    if (m_waveIn)
        m_waveIn->SetFileName(QString());
    m_log.Stopped = m_log.Stopped || stopped;
    if (m_lookup) {
        // Stopped while the database was asked: the verdicts stay unknown.
        m_lookup->Abort();
        m_lookup = nullptr;
        return conclude(nullptr, TArVerdict::NotChecked,
                        QStringLiteral("not checked: the rip was stopped"));
    }
    bool anyChecked = false;
    for (const TRipPlanTrack& t : m_plan.Tracks)
        anyChecked = anyChecked || (t.State == TRipPlanTrack::TState::Done && t.Check.Valid);
    const TArDiscIds ids = TArDiscIds::FromDisc(m_log.Disc);
    if (stopped || !anyChecked || ids.Tracks == 0 || m_options.AccurateRipServer.isEmpty())
        return conclude(nullptr, TArVerdict::NotChecked,
                        m_options.AccurateRipServer.isEmpty()
                            ? QStringLiteral("not checked: no server is set")
                            : QString());
    emit hint(QStringLiteral("Checking AccurateRip..."));
    m_lookup = new TArLookup(this);
    connect(m_lookup, &TArLookup::finished, this, [this](TArLookup::Status status) {
        TArLookup* lookup = m_lookup;
        m_lookup = nullptr;
        lookup->deleteLater();
        if (IsFinished())
            return;
        if (status == TArLookup::Found)
            return conclude(&lookup->Response(), TArVerdict::NotChecked, QString());
        if (status == TArLookup::NotFound)
            return conclude(nullptr, TArVerdict::NotInDatabase,
                            QStringLiteral("the disc is not in the database"));
        conclude(nullptr, TArVerdict::NotChecked,
                 QStringLiteral("not checked: %1").arg(lookup->ErrorText()));
    });
    m_lookup->Start(m_options.AccurateRipServer, ids);
}

void TRipJob::conclude(const TArResponse* response, TArVerdict::Kind without, const QString& note) {
    m_log.DatabaseNote = note;
    m_log.Tracks.clear();
    for (TRipPlanTrack& t : m_plan.Tracks) {
        if (t.State == TRipPlanTrack::TState::Skipped)
            continue; // its file was there and kept: this rip did not read it
        const bool ok = t.State == TRipPlanTrack::TState::Done;
        const QString file = m_plan.Format == FormatWav ? t.WavPath : t.Path;
        if (ok && t.Check.Valid) {
            if (response)
                t.Verdict = response->Verdict(t.Number - 1, t.Check.ArV1, t.Check.ArV2);
            else
                t.Verdict.Result = without;
            t.VerdictText = t.Verdict.Text();
            if (const QString s = TRipLog::SuspiciousText(t.Check); !s.isEmpty())
                t.VerdictText += QStringLiteral(", ") + s;
            emit trackVerdict(t.Number, t.Title, t.VerdictText);
        }
        m_log.Tracks.push_back(TRipLog::Track{
            t.Number, ok ? m_plan.RelativeToFiles(file) : QString(), ok, t.Check, t.Verdict});
    }
    if (m_completed > 0 && QFileInfo(m_plan.FilesFolder).isDir())
        writeRipFiles();
    const TJobOutcome outcome = m_log.Stopped                        ? TJobOutcome::Stopped
                                : m_failed == 0 && m_suspicious == 0 ? TJobOutcome::Done
                                                                     : TJobOutcome::Failed;
    finishWith(outcome, QStringLiteral("Ripped %1 of %2 tracks").arg(m_succeeded).arg(Total()));
}

void TRipJob::writeRipFiles() {
    QString error;
    const QString path = m_log.Write(m_plan.FilesFolder, m_options.FatSafeNames, &error);
    if (path.isEmpty())
        emit message(TJobSeverity::Warning, error);
    else
        emit logWritten(path);
    // The playlist and the cue sheet name the files that were written, the tracks whose files
    // existed and were kept among them.
    const QString base = QFileInfo(path.isEmpty() ? TRipLog::LogFileName(m_plan.Disc.Album) : path)
                             .completeBaseName();
    const TRipSheets sheets(m_plan, m_log.Disc, m_pregaps);
    if (m_options.WritePlaylist && sheets.HasFiles()) {
        const QString written = WriteNewFile(m_plan.FilesFolder, base + QStringLiteral(".m3u8"),
                                             sheets.Playlist().toUtf8(), &error);
        if (written.isEmpty())
            emit message(TJobSeverity::Warning, error);
        else
            emit sheetWritten(QStringLiteral("Playlist"), written);
    }
    if (m_options.WriteCueSheet && sheets.HasFiles() && m_log.Disc.isValid()) {
        const QString written = WriteNewFile(m_plan.FilesFolder, base + QStringLiteral(".cue"),
                                             sheets.CueSheet().toUtf8(), &error);
        if (written.isEmpty())
            emit message(TJobSeverity::Warning, error);
        else
            emit sheetWritten(QStringLiteral("Cue sheet"), written);
    }
}

void TRipJob::keepWav(const QString& partial) {
    // A WAV kept takes the track's name unless something else has it (the question covered
    // only the files the rip meant to write).
    const QString target = current().WavPath;
    if (!m_options.IsKeepWav && NameTaken(target)) {
        emit message(
            TJobSeverity::Info,
            QStringLiteral("The WAV of track %1 is kept as %2").arg(current().Number).arg(partial));
        return;
    }
    if (const QString failure = RenameOver(partial, target); !failure.isEmpty())
        trackError(failure);
}

bool TRipJob::event(QEvent* e) {
    if (e->type() == RipDriveFailureEvent) {
        if (!IsFinished()) {
            const int code = static_cast<TRipEvent*>(e)->DriveFailure;
            emit message(TJobSeverity::Error,
                         code == DriveSetupRefused
                             ? QStringLiteral("CD extract failed! Please try again.")
                             : QStringLiteral("Error while reading TOC information!"));
            ++m_failed;
            emit halted(); // nothing moves on until the job is stopped
        }
        return true;
    }
    if (e->type() == RipProcessInfoEvent) {
        if (!IsFinished())
            onProcessInfo(static_cast<TRipEvent*>(e)->Info);
        return true;
    }
    return TJob::event(e);
}

void TRipJob::onProcessInfo(const TProcessInfo& info) {
    if (info.Value == ProcessNormalizing)
        emit hint(QStringLiteral("Normalizing..."));
    else if (info.Value == ProcessRipEnded)
        onRipEnded(info);
    else if (info.Value > 0 && info.Value <= 100)
        emit progress(info.Value);
}

void TRipJob::onRipEnded(const TProcessInfo& info) {
    TRipPlanTrack& t = current();
    m_wavPath = m_worker ? m_worker->WavPath : QString();
    t.Check = info.Check;
    if (info.ErrorCode == RipOk && info.Check.UnreadableSectors > 0) {
        // The file is kept: it is the best the disc gave, but no proof of an exact copy.
        ++m_suspicious;
        emit message(TJobSeverity::Warning,
                     QStringLiteral("Track %1 is %2: they never read the same twice")
                         .arg(t.Number)
                         .arg(TRipLog::SuspiciousText(info.Check)));
    }
    switch (info.ErrorCode) {
    case RipOk:
        break;
    case RipReadFailed:
        trackError(QStringLiteral("Error while reading CD information!"));
        break;
    case RipCannotCreate:
        // The folder's own failure was reported when it was made (the text is blank then).
        if (!info.ErrorText.trimmed().isEmpty())
            trackError(info.ErrorText);
        break;
    default:
        trackError(info.ErrorText.isEmpty() ? QStringLiteral("Cannot write %1").arg(m_wavPath)
                                            : info.ErrorText);
        break;
    }
    if (info.ErrorCode != RipOk) {
        ++m_failed;
        t.State = TRipPlanTrack::TState::Failed;
        if (info.ErrorCode != RipCannotCreate && NameTaken(m_wavPath))
            emit message(
                TJobSeverity::Info,
                QStringLiteral("What was read of track %1 is in %2").arg(t.Number).arg(m_wavPath));
    } else if (m_plan.Format == FormatWav) {
        // The WAV is the result: it takes its name now that it is complete.
        if (const QString failure = RenameOver(m_wavPath, t.WavPath); failure.isEmpty()) {
            m_wavPath = t.WavPath;
        } else {
            trackError(failure);
            ++m_failed;
            t.State = TRipPlanTrack::TState::Failed;
            emit trackEnded(t.Number, t.Title, m_wavPath, RipWriteFailed);
            ++m_completed;
            return trackDone(false);
        }
    }
    emit trackEnded(t.Number, t.Title, m_wavPath, info.ErrorCode);
    ++m_completed;
    if (m_plan.Format != FormatWav) {
        if (info.ErrorCode == RipOk) {
            startEncoding();
        } else {
            // Nothing to encode: the track goes through the finishing steps only, as an event
            // of its own.
            QTimer::singleShot(0, this, [this] {
                if (!IsFinished())
                    onEncoded(false, QString());
            });
        }
        return;
    }
    // WAV output: the ripped file is the result.
    if (info.ErrorCode == RipOk) {
        t.State = TRipPlanTrack::TState::Done;
        trackWritten();
    }
    trackDone(info.ErrorCode == RipOk);
}

TEncodeRequest TRipJob::requestFor(const TRipPlanTrack& t) const {
    TEncodeRequest request;
    request.Format = m_plan.Format;
    request.Path = t.Path;
    request.Disc = m_plan.Disc;
    request.Title = t.Title;
    request.Artist = t.Artist;
    request.Compilation = m_plan.Compilation;
    request.Track = t.Number;
    request.TrackTotal = m_plan.TrackTotal;
    request.Texts = TEncodeRequest::DiscTexts;
    request.Cover = m_cover;
    return request;
}

void TRipJob::startEncoding() {
    TEncodeRequest request = requestFor(current());
    request.Input = m_waveIn;
    emit encodingStarted(request.Track, request.Title, request.Path);
    emit hint(QStringLiteral("Encoding..."));
    emit barCaption(QStringLiteral("Encoding..."));
    m_waveIn->SetFileName(m_wavPath);
    m_step->Start(request);
}

void TRipJob::onEncoded(bool ran, const QString& failure) {
    const bool encodeFailed = ran && !failure.isEmpty();
    if (encodeFailed) {
        trackError(QStringLiteral("Encoding %1 failed: %2").arg(current().Path, failure));
        ++m_failed;
    }
    if (!ran && m_plan.Format == FormatMp3)
        TEncodeStep::TagMp3(requestFor(current())); // an MP3 of an earlier rip is tagged anew
    const bool ok = ran && !encodeFailed;
    QTimer::singleShot(m_pace, this, [this, ok, encodeFailed] {
        if (IsFinished())
            return;
        // A failed encoding keeps the WAV: it may be the only copy of the track's audio.
        const QString wav = m_waveIn->FileName();
        if (!wav.isEmpty() && QFileInfo::exists(wav) && !IsFileInUse(wav)) {
            if (m_options.IsKeepWav || encodeFailed)
                keepWav(wav);
            else
                QFile::remove(wav);
        }
        // Each WAV goes through this step once: a later track whose rip fails must not delete
        // a WAV kept because its encoding failed.
        m_waveIn->SetFileName(QString());
        finishTrack(ok);
    });
}

void TRipJob::trackWritten() {
    ++m_succeeded;
    if (m_cover.isEmpty() || m_coverSaved)
        return;
    m_coverSaved = true;
    const QDir folder(m_plan.FilesFolder);
    // A cover the folder has already, of either kind, stays the folder's only one.
    if (QFileInfo::exists(folder.filePath(QStringLiteral("cover.jpg"))) ||
        QFileInfo::exists(folder.filePath(QStringLiteral("cover.png"))))
        return;
    const QString path = folder.filePath(QStringLiteral("cover.") + m_cover.extension());
    QString error;
    if (!TAtomicFile::writeWhole(path, m_cover.data(), &error))
        emit message(TJobSeverity::Warning, error);
}

void TRipJob::finishTrack(bool ok) {
    TRipPlanTrack& t = current();
    if (ok) {
        t.State = TRipPlanTrack::TState::Done;
        trackWritten();
    } else {
        t.State = TRipPlanTrack::TState::Failed;
    }
    emit trackFinished(t.Number, t.Title, t.Path, ok);
    if (nextIndex() >= 0)
        return nextTrack(QStringLiteral("Extracting..."));
    stopRip();
    QTimer::singleShot(m_pace, this, [this] {
        if (!IsFinished())
            finish(false);
    });
}

// The end of a track ripped to WAV, whatever its outcome.
void TRipJob::trackDone(bool) {
    if (nextIndex() < 0)
        return finish(false);
    nextTrack(QStringLiteral("Initializing..."));
}

void TRipJob::nextTrack(const QString& caption) {
    emit hint(QStringLiteral("Extracting..."));
    emit barCaption(caption);
    m_current = nextIndex();
    if (m_unacknowledged > 0) {
        m_held = true; // Acknowledge starts it
        return;
    }
    startRip();
}

void TRipJob::SetHoldOnError(bool hold) {
    assertOwnThread();
    m_holdOnError = hold;
}

void TRipJob::trackError(const QString& text) {
    if (m_holdOnError)
        ++m_unacknowledged;
    emit message(TJobSeverity::Error, text);
}

void TRipJob::Acknowledge() {
    assertOwnThread();
    if (m_unacknowledged > 0)
        --m_unacknowledged;
    if (m_unacknowledged == 0 && m_held && !IsFinished()) {
        m_held = false;
        startRip();
    }
}
