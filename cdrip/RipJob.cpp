#include "RipJob.h"

#include "FileIo.h"
#include "RipEvent.h"
#include "RipSheets.h"
#include "accuraterip/TArLookup.h"
#include "audio/ACS_Wave.h"
#include "audio/AtomicFile.h"
#include "audio/FileClaim.h"
#include "audio/Helpers.h"
#include "encode/EncodeStep.h"
#include "encode/OutputFormats.h"
#include "settings/ReadMode.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A write failure that every later track would meet as well: no space, a read-only file
// system, no permission.
bool WriteFailureRecurs(int systemError) {
    return systemError == ENOSPC || systemError == EDQUOT || systemError == EROFS ||
           systemError == EACCES || systemError == EPERM;
}

} // namespace

TRipJob::TRipJob(HCDROM handle, const TRipPlan& plan, const TAppOptions& options, QObject* parent)
    : TJob(parent), m_handle(handle), m_plan(plan), m_options(options) {
    // A plan made by hand may name one format and one file per track.
    if (m_plan.Formats.empty())
        m_plan.Formats = {m_plan.Format};
    if (m_plan.FilesFolders.empty())
        m_plan.FilesFolders = {m_plan.FilesFolder};
    for (TRipPlanTrack& t : m_plan.Tracks)
        if (t.Paths.empty())
            t.Paths = {t.Path};
    // The encoders and the checks take the plan's folder and format, whatever the settings say.
    m_options.OutputFolder = m_plan.OutputFolder;
    m_options.OutputFormat = m_plan.Format;
    m_coverSaved.assign(m_plan.Formats.size(), false);
    const size_t n = m_plan.Tracks.size();
    m_wavOf.assign(n, QString());
    m_formatsLeft.assign(n, 0);
    m_encodeFailed.assign(n, false);
    m_loudness.assign(n, nullptr);
    m_measuring.assign(n, nullptr);
    if (!TReplayGain::ParseMode(m_options.ReplayGainMode, &m_gainMode))
        m_gainMode = TReplayGain::TMode::Off;
}

TRipJob::~TRipJob() {
    stopRip();
    for (TEncodeLane& lane : m_lanes)
        lane.Step->Stop(); // no handler of this job runs after this
    for (const auto& lock : m_wavLocks)
        ::close(lock.first);
}

QString TRipJob::claimName(const QString& from, QString& to) {
    // A name the user agreed to replace is replaced; any other is never taken from the job
    // that wrote it meanwhile: this file takes the next free name.
    if (m_replacing.contains(to))
        return RenameOver(from, to);
    QString failure;
    const QString taken = TFileClaim::ClaimFree(from, to, &failure);
    if (!taken.isEmpty()) {
        TFileClaim::RemoveStalePartials(to);
        to = taken;
    }
    return failure;
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
    for (TEncodeLane& lane : m_lanes)
        lane.Step->SetDoneDelay(m_pace);
}

TAuFileOut* TRipJob::Output() const {
    return m_lanes.empty() || m_lanes.front().Format != 0
               ? nullptr
               : m_lanes.front().Step->OutputOf(m_plan.Format);
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
    for (size_t k = 0; k < m_plan.Formats.size(); ++k) {
        const int format = m_plan.Formats[k];
        if (format < 0 || format >= OutputFormatCount)
            return fail(tr("Unknown output format %1.").arg(format));
        if (format == FormatWav)
            continue; // the WAV read is that format's file
        // Each encoder exists for the whole rip; one that cannot load its codec library says
        // so before any track is read.
        TEncodeLane lane;
        lane.Format = k;
        lane.Step = new TEncodeStep(m_options, this);
        lane.Step->SetDoneDelay(m_pace);
        try {
            lane.Step->OutputOf(format);
        } catch (const EAuException& e) {
            return fail(e.Message());
        }
        lane.Input = new TWaveIn(this);
        m_lanes.push_back(lane);
    }
    if (m_lanes.empty()) {
        // WAV files carry no tags: nothing to measure for.
        m_gainMode = TReplayGain::TMode::Off;
        m_options.ReplayGainMode = TReplayGain::ModeName(m_gainMode);
    }
    for (size_t i = 0; i < m_lanes.size(); ++i) {
        TEncodeStep* step = m_lanes[i].Step;
        connect(step, &TEncodeStep::progress, this, [this, i](int percent) {
            TEncodeLane& lane = m_lanes[i];
            if (percent <= 0 || percent > 100 || lane.Track < 0)
                return;
            lane.Percent = percent;
            if (i == 0 || m_lanes.front().Track < 0)
                emit encodeProgress(track(lane.Track).Number, percent);
            // Once reading is over, the bar of the rip follows the encoding.
            if (m_reading < 0 && i == 0)
                emit progress(percent);
            reportOverall();
        });
        connect(step, &TEncodeStep::finished, this,
                [this, i](const QString& path, const QString& failure) {
                    // Another job may have taken the name meanwhile: the file has the next free
                    // one.
                    if (failure.isEmpty() && m_lanes[i].Track >= 0)
                        track(m_lanes[i].Track).Paths[m_lanes[i].Format] = path;
                    onEncoded(m_lanes[i], failure, m_lanes[i].Step->SystemError());
                });
    }
    withOutputFolder(m_plan.OutputFolder, [this] { checkExisting(); });
}

void TRipJob::checkExisting() {
    // The files this rip writes for each track, and those of them that exist already.
    const bool keepsWav = m_options.IsKeepWav && encodes();
    QStringList existing;
    QList<int> tracksWithExisting;
    for (int i = 0; i < int(m_plan.Tracks.size()); ++i) {
        const TRipPlanTrack& t = m_plan.Tracks[size_t(i)];
        QStringList outputs;
        for (const QString& path : t.Paths)
            outputs << path;
        if (keepsWav && !outputs.contains(t.WavPath))
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
        tr("These files exist in the output folder already:\n%1\nReplace them (Yes), "
           "skip their tracks (No), or cancel the rip (Cancel)?")
            .arg(existing.join(QLatin1Char('\n'))),
        TJobButtons::YesNoCancel, [this, tracksWithExisting, existing](TJobAnswer answer) {
            if (answer == TJobAnswer::Cancel)
                return finishWith(TJobOutcome::Cancelled);
            if (answer == TJobAnswer::Yes)
                m_replacing = existing;
            if (answer == TJobAnswer::No) {
                for (int i : tracksWithExisting) {
                    TRipPlanTrack& t = track(i);
                    QString which;
                    for (const QString& path : existing)
                        if (t.Paths.end() != std::find(t.Paths.begin(), t.Paths.end(), path) ||
                            path == t.WavPath) {
                            which = path;
                            break;
                        }
                    emit message(
                        TJobSeverity::Info,
                        tr("Track %1 is skipped: %2 exists already.").arg(t.Number).arg(which));
                    t.State = TRipPlanTrack::TState::Skipped;
                }
            }
            begin();
        });
}

void TRipJob::begin() {
    m_log.Mode = ReadModeOf(m_options.ReadMode);
    m_log.NormalizePercent = m_options.IsNormalize ? m_options.NormalizePercent : 0;
    m_log.ReadSpeed = m_options.ReadSpeed;
    m_log.Album = m_plan.Disc.Album;
    m_log.Artist = m_plan.Disc.Artist;
    if (ReadTableOfContents(m_handle, &m_log.Disc) != 1)
        m_log.Disc = TTableOfContents();
    // A drive does not tell its gaps; the cue sheet then says they were not detected.
    if (ReadTrackGaps(m_handle, &m_pregaps) != 1)
        m_pregaps.clear();
    // A drive may ignore the speed asked for; the log says what was asked.
    if (m_options.ReadSpeed > 0)
        SetReadSpeed(m_handle, m_options.ReadSpeed);
    m_reading = nextIndex(-1);
    if (m_reading < 0)
        return finish(false);
    if (m_log.Mode == TReadMode::VerifyFirst)
        return askAhead();
    startFirstRead();
}

void TRipJob::startFirstRead() {
    startRead();
    emit hint(tr("Extracting..."));
    emit barCaption(tr("Initializing..."));
}

TRipJob::TNote TRipJob::note(const char* source) {
    return {QString::fromLatin1(source), tr(source)};
}

void TRipJob::askAhead() {
    const TArDiscIds ids = TArDiscIds::FromDisc(m_log.Disc);
    if (m_options.AccurateRipServer.isEmpty())
        return fallBack(note(QT_TR_NOOP("no AccurateRip server is set")), TArVerdict::NotChecked,
                        note(QT_TR_NOOP("not checked: no server is set")));
    if (ids.Tracks == 0)
        return fallBack(note(QT_TR_NOOP("the disc has no audio tracks the database knows")),
                        TArVerdict::NotChecked, TNote());
    askDatabase(ids, [this](TArLookup::Status status, const TArLookup& lookup) {
        m_asked = true;
        if (status == TArLookup::Found) {
            m_answer = lookup.Response();
            m_verifying = true;
            return startFirstRead();
        }
        if (status == TArLookup::NotFound)
            return fallBack(note(QT_TR_NOOP("the disc is not in the AccurateRip database")),
                            TArVerdict::NotInDatabase,
                            note(QT_TR_NOOP("the disc is not in the database")));
        fallBack(
            note(QT_TR_NOOP("the AccurateRip database gave no answer (%1)"))
                .arg(lookup.ErrorText(), lookup.ShownErrorText()),
            TArVerdict::NotChecked,
            note(QT_TR_NOOP("not checked: %1")).arg(lookup.ErrorText(), lookup.ShownErrorText()));
    });
}

void TRipJob::askDatabase(const TArDiscIds& ids,
                          std::function<void(TArLookup::Status, const TArLookup&)> answered) {
    emit hint(tr("Checking AccurateRip..."));
    m_lookup = new TArLookup(this);
    connect(m_lookup, &TArLookup::finished, this,
            [this, answered = std::move(answered)](TArLookup::Status status) {
                TArLookup* lookup = m_lookup;
                m_lookup = nullptr;
                lookup->deleteLater();
                if (!IsFinished())
                    answered(status, *lookup);
            });
    m_lookup->Start(m_options.AccurateRipServer, ids);
}

void TRipJob::fallBack(const TNote& reason, TArVerdict::Kind without, const TNote& note) {
    m_asked = true;
    m_without = without;
    m_databaseNote = note;
    m_log.FallbackNote = reason.Log;
    emit message(TJobSeverity::Warning,
                 tr("Verify first: %1, so every track is read in secure mode.").arg(reason.Shown));
    startFirstRead();
}

int TRipJob::nextIndex(int index) const {
    for (int i = index + 1; i < int(m_plan.Tracks.size()); ++i)
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
    if (WriteFailureRecurs(error.value())) {
        m_unwritableFolder = folder;
        m_unwritableError = error.value();
        return false;
    }
    trackError(tr("Cannot create %1: %2").arg(folder, QString::fromStdString(error.message())));
    return false;
}

void TRipJob::startRead() {
    const TRipPlanTrack& t = track(m_reading);
    m_worker.reset(); // the previous worker has posted its last event already
    m_readPercent = 0;
    if (!m_reReading) {
        emit trackStarted(t.Number, t.Title, m_completed);
        emit currentItem(m_completed + 1, Total(), t.Title);
    }
    bool folders = true;
    for (const QString& path : t.Paths)
        folders = folders && makeFolderOf(path);
    if (!folders || !makeFolderOf(t.WavPath)) {
        // Nothing can be written for this track: it fails as a write would, as an event of its
        // own so the presenters hear of the start first.
        QTimer::singleShot(0, this, [this] {
            if (IsFinished())
                return;
            if (m_unwritableError != 0)
                return stopOnWriteFailure(m_unwritableFolder, m_unwritableError);
            onRipEnded(TProcessInfo{ProcessRipEnded, RipCannotCreate, QStringLiteral(" "), {}});
        });
        return;
    }
    // The partial WAV is this job's alone and stays locked until the job ends, so no other job
    // writes into it or clears it as left over.
    QString partial;
    const int lock = TFileClaim::CreatePartial(t.WavPath, &partial);
    if (lock < 0) {
        const int error = errno;
        const QString reason = tr("Cannot create a file beside %1: %2")
                                   .arg(t.WavPath, QString::fromLocal8Bit(std::strerror(error)));
        QTimer::singleShot(0, this, [this, reason, error] {
            if (!IsFinished())
                onRipEnded(
                    TProcessInfo{ProcessRipEnded, RipCannotCreate, reason, {}, nullptr, error});
        });
        return;
    }
    m_wavLocks.emplace_back(lock, partial);
    m_worker = std::make_unique<TCDRipThread>(t.Number, partial, m_options);
    m_worker->CDHandle = m_handle;
    m_worker->ReadOffset = m_log.ReadOffset;
    m_worker->ReadSectors = m_read;
    // Verify-first reads securely where the database cannot vouch for a single read.
    m_worker->Secure = m_log.Mode == TReadMode::Secure ||
                       (m_log.Mode == TReadMode::VerifyFirst && (!m_verifying || m_reReading));
    m_worker->NotifyWindow = this;
    if (m_gainMode != TReplayGain::TMode::Off) {
        // One set of buffers for the whole rip: fresh memory for every track costs page faults.
        if (!m_meterBuffers)
            m_meterBuffers = TCDRipThread::MakeMeterBuffers();
        m_worker->MeterBuffers = m_meterBuffers;
        // The meters measure one track after the other, in the order the encoders want them.
        for (const std::shared_ptr<TMeterThread>& meter : m_measuring)
            if (meter)
                m_worker->PreviousMeter = meter;
    }
    m_worker->start();
}

void TRipJob::stopRip() {
    if (m_worker) {
        m_worker->Aborted = true;
        m_worker.reset(); // waits for the thread to end
    }
    // A partial WAV the drive gave nothing for (a drive failure before the first sector) is
    // no file of the user's.
    for (const auto& [fd, path] : m_wavLocks) {
        struct stat held {
        }, named{};
        const QByteArray native = QFile::encodeName(path);
        if (::fstat(fd, &held) == 0 && held.st_size == 0 && held.st_nlink > 0 &&
            ::lstat(native.constData(), &named) == 0 && named.st_ino == held.st_ino &&
            named.st_dev == held.st_dev)
            ::unlink(native.constData());
    }
    // No meter posts to this job once stopped; a track still measured has no file yet.
    for (std::shared_ptr<TMeterThread>& meter : m_measuring) {
        if (meter)
            meter->Cancel();
        meter.reset();
    }
    // Whatever the worker posted before it ended is of no interest now.
    QCoreApplication::removePostedEvents(this, RipDriveFailureEvent);
    QCoreApplication::removePostedEvents(this, RipProcessInfoEvent);
}

void TRipJob::finish(bool stopped) {
    if (m_albumPass && !stopped)
        return; // the rip's end was reached a second time: the album pass is under way
    stopRip();
    // The outputs stop before the job reports its end, so no encoded file is being written
    // once the presenter hears of it.
    for (TEncodeLane& lane : m_lanes) {
        lane.Step->Stop();
        lane.Input->SetFileName(QString());
    }
    m_log.Stopped = m_log.Stopped || stopped;
    if (m_albumPass) {
        // Stopped while the album gain was written: the worker ends after its current file.
        m_albumPass->Stop();
        albumGainWritten(true);
    } else if (writeAlbumGain()) {
        return; // albumGainWritten goes on once the worker is done
    }
    afterAlbumGain(stopped);
}

void TRipJob::afterAlbumGain(bool stopped) {
    if (m_lookup) {
        // Stopped while the database was asked: the verdicts stay unknown.
        m_lookup->Abort();
        m_lookup = nullptr;
        return conclude(nullptr, TArVerdict::NotChecked,
                        note(QT_TR_NOOP("not checked: the rip was stopped")));
    }
    if (m_asked)
        // Verify-first asked the database before the first track; it is not asked again.
        return m_verifying ? conclude(&m_answer, TArVerdict::NotChecked, TNote())
                           : conclude(nullptr, m_without, m_databaseNote);
    bool anyChecked = false;
    for (const TRipPlanTrack& t : m_plan.Tracks)
        anyChecked = anyChecked || (t.State == TRipPlanTrack::TState::Done && t.Check.Valid);
    const TArDiscIds ids = TArDiscIds::FromDisc(m_log.Disc);
    if (stopped || !anyChecked || ids.Tracks == 0 || m_options.AccurateRipServer.isEmpty())
        return conclude(nullptr, TArVerdict::NotChecked,
                        m_options.AccurateRipServer.isEmpty()
                            ? note(QT_TR_NOOP("not checked: no server is set"))
                            : TNote());
    askDatabase(ids, [this](TArLookup::Status status, const TArLookup& lookup) {
        if (status == TArLookup::Found)
            return conclude(&lookup.Response(), TArVerdict::NotChecked, TNote());
        if (status == TArLookup::NotFound)
            return conclude(nullptr, TArVerdict::NotInDatabase,
                            note(QT_TR_NOOP("the disc is not in the database")));
        conclude(
            nullptr, TArVerdict::NotChecked,
            note(QT_TR_NOOP("not checked: %1")).arg(lookup.ErrorText(), lookup.ShownErrorText()));
    });
}

void TRipJob::conclude(const TArResponse* response, TArVerdict::Kind without, const TNote& note) {
    m_log.DatabaseNote = note.Log;
    m_shownDatabaseNote = note.Shown;
    for (TRipPlanTrack& t : m_plan.Tracks) {
        if (t.State != TRipPlanTrack::TState::Done || !t.Check.Valid)
            continue;
        if (response)
            t.Verdict = response->Verdict(t.Number - 1, t.Check.ArV1, t.Check.ArV2);
        else
            t.Verdict = TArVerdict::Without(without, t.Check.ArV1, t.Check.ArV2);
        t.VerdictText = t.Verdict.ShownText();
        if (const QString s = TRipLog::ShownSuspiciousText(t.Check); !s.isEmpty())
            t.VerdictText += QStringLiteral(", ") + s;
        emit trackVerdict(t.Number, t.Title, t.VerdictText);
    }
    // A folder the rip stopped for takes no log either.
    if (m_completed > 0)
        for (size_t k = 0; k < m_plan.Formats.size(); ++k)
            if (QFileInfo(m_plan.FilesFolders[k]).isDir() &&
                QDir::cleanPath(m_plan.FilesFolders[k]) != QDir::cleanPath(m_unwritableFolder))
                writeRipFiles(k);
    const TJobOutcome outcome = m_log.Stopped                        ? TJobOutcome::Stopped
                                : m_failed == 0 && m_suspicious == 0 ? TJobOutcome::Done
                                                                     : TJobOutcome::Failed;
    finishWith(outcome, tr("Ripped %1 of %n tracks", nullptr, Total()).arg(m_succeeded));
}

void TRipJob::writeRipFiles(size_t format) {
    // The log of this format's folder names this format's files.
    m_log.Tracks.clear();
    for (const TRipPlanTrack& t : m_plan.Tracks) {
        if (t.State == TRipPlanTrack::TState::Skipped)
            continue; // its file was there and kept: this rip did not read it
        const bool ok = t.State == TRipPlanTrack::TState::Done;
        m_log.Tracks.push_back(TRipLog::Track{
            t.Number, ok ? m_plan.RelativeToFiles(t.Paths[format], format) : QString(), ok, t.Check,
            t.Verdict, t.ReadTwice, t.FirstRead, t.FirstVerdict});
    }
    const QString folder = m_plan.FilesFolders[format];
    QString error;
    // "Replace" for the files that exist covers the log, playlist and cue sheet of the rip too.
    const bool replace = !m_replacing.isEmpty();
    const QString path = m_log.Write(folder, m_options.FatSafeNames, replace, &error);
    if (path.isEmpty())
        emit message(TJobSeverity::Warning, error);
    else
        emit logWritten(path);
    // The playlist and the cue sheet name the files that were written, the tracks whose files
    // existed and were kept among them.
    const QString base = QFileInfo(path.isEmpty() ? TRipLog::LogFileName(m_plan.Disc.Album) : path)
                             .completeBaseName();
    const TRipSheets sheets(m_plan, format, m_log.Disc, m_pregaps);
    if (m_options.WritePlaylist && sheets.HasFiles()) {
        const QString written = WriteNewFile(folder, base + QStringLiteral(".m3u8"),
                                             sheets.Playlist().toUtf8(), replace, &error);
        if (written.isEmpty())
            emit message(TJobSeverity::Warning, error);
        else
            emit sheetWritten(QStringLiteral("Playlist"), written);
    }
    if (m_options.WriteCueSheet && sheets.HasFiles() && m_log.Disc.isValid()) {
        const QString written = WriteNewFile(folder, base + QStringLiteral(".cue"),
                                             sheets.CueSheet().toUtf8(), replace, &error);
        if (written.isEmpty())
            emit message(TJobSeverity::Warning, error);
        else
            emit sheetWritten(QStringLiteral("Cue sheet"), written);
    }
}

void TRipJob::keepWav(int index, const QString& partial) {
    // A WAV kept takes the track's name, or the next free one when something else has it (the
    // question covered only the files the rip meant to write); a partial name would be cleared
    // as left over by the next rip of the track.
    TRipPlanTrack& t = track(index);
    if (const QString failure = claimName(partial, t.WavPath); !failure.isEmpty())
        trackError(failure);
    else if (!m_options.IsKeepWav)
        emit message(TJobSeverity::Info,
                     tr("The WAV of track %1 is kept as %2").arg(t.Number).arg(t.WavPath));
}

bool TRipJob::event(QEvent* e) {
    if (e->type() == RipDriveFailureEvent) {
        if (!IsFinished()) {
            const int code = static_cast<TRipEvent*>(e)->DriveFailure;
            emit message(TJobSeverity::Error, code == DriveSetupRefused
                                                  ? tr("CD extract failed! Please try again.")
                                                  : tr("Error while reading TOC information!"));
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
    if (info.Value == ProcessNormalizing) {
        emit hint(tr("Normalizing..."));
    } else if (info.Value == ProcessRipEnded) {
        onRipEnded(info);
    } else if (info.Value == ProcessMeasured) {
        onMeasured(info);
    } else if (info.Value > 0 && info.Value <= 100) {
        m_readPercent = info.Value;
        emit progress(info.Value);
        emit readProgress(info.Value);
        reportOverall();
    }
}

bool TRipJob::confirmed(const TProcessInfo& info) const {
    if (info.ErrorCode == RipCannotCreate || info.ErrorCode == RipWriteFailed)
        return true; // nothing a second read would mend: the failure stands
    if (info.ErrorCode != RipOk)
        return false; // a failed request may succeed when retried, as secure reads do
    const TRipPlanTrack& t = m_plan.Tracks[size_t(m_reading)];
    const TArVerdict verdict = m_answer.Verdict(t.Number - 1, info.Check.ArV1, info.Check.ArV2);
    return verdict.Result == TArVerdict::Accurate && verdict.Confidence >= 1;
}

void TRipJob::readAgain(const TProcessInfo& info) {
    TRipPlanTrack& t = track(m_reading);
    t.ReadTwice = true;
    t.FirstRead = info.ErrorCode == RipOk ? info.Check : TTrackCheck();
    t.FirstVerdict = info.ErrorCode == RipOk
                         ? m_answer.Verdict(t.Number - 1, info.Check.ArV1, info.Check.ArV2)
                         : TArVerdict();
    // No encoder has seen the first read: its file goes, and the secure read's takes its place
    // before any encoder starts on the track.
    if (m_worker)
        QFile::remove(m_worker->WavPath);
    m_reReading = true;
    emit hint(tr("Track %1 is not confirmed: reading it again in secure mode...").arg(t.Number));
    startRead();
}

void TRipJob::onRipEnded(const TProcessInfo& info) {
    if (m_verifying && !m_reReading && !confirmed(info))
        return readAgain(info);
    m_reReading = false;
    const int index = m_reading;
    TRipPlanTrack& t = track(index);
    QString wav = m_worker ? m_worker->WavPath : QString();
    if ((info.ErrorCode == RipCannotCreate || info.ErrorCode == RipWriteFailed) &&
        WriteFailureRecurs(info.SystemError)) {
        // A partial file that holds no audio yet tells nothing: it goes.
        if (!wav.isEmpty() && QFileInfo(wav).size() <= 44) // the WAV header alone
            QFile::remove(wav);
        return stopOnWriteFailure(QFileInfo(wav.isEmpty() ? t.WavPath : wav).path(),
                                  info.SystemError);
    }
    t.Check = info.Check;
    if (info.ErrorCode == RipOk && info.Loudness) {
        m_loudness[size_t(index)] = info.Loudness;
        m_measuring[size_t(index)] = info.Measuring;
        if (!info.Measuring) {
            t.Gain.HasTrack = TReplayGain::GainOf(info.Loudness->Loudness(), &t.Gain.TrackGain);
            t.Gain.TrackPeak = info.Loudness->Peak();
        }
    }
    if (info.ErrorCode == RipOk && info.Check.UnreadableSectors > 0) {
        // The file is kept: it is the best the disc gave, but no proof of an exact copy.
        ++m_suspicious;
        emit message(TJobSeverity::Warning, tr("Track %1 is %2: they never read the same twice")
                                                .arg(t.Number)
                                                .arg(TRipLog::ShownSuspiciousText(info.Check)));
    }
    switch (info.ErrorCode) {
    case RipOk:
        break;
    case RipReadFailed:
        trackError(tr("Error while reading CD information!"));
        break;
    case RipCannotCreate:
        // The folder's own failure was reported when it was made (the text is blank then).
        if (!info.ErrorText.trimmed().isEmpty())
            trackError(info.ErrorText);
        break;
    default:
        trackError(info.ErrorText.isEmpty() ? tr("Cannot write %1").arg(wav) : info.ErrorText);
        break;
    }
    int code = info.ErrorCode;
    if (code != RipOk) {
        if (code != RipCannotCreate && NameTaken(wav))
            emit message(TJobSeverity::Info,
                         tr("What was read of track %1 is in %2").arg(t.Number).arg(wav));
    } else if (!encodes()) {
        // The WAV is the result: it takes its name now that it is complete.
        if (const QString failure = claimName(wav, t.WavPath); failure.isEmpty()) {
            wav = t.WavPath;
        } else {
            trackError(failure);
            code = RipWriteFailed;
        }
    }
    emit trackEnded(t.Number, t.Title, wav, code);
    ++m_completed;
    if (code != RipOk) {
        ++m_failed;
        t.State = TRipPlanTrack::TState::Failed;
        if (encodes()) {
            // Nothing to encode: the track goes through the finishing steps only, as an event
            // of its own.
            ++m_endingTracks;
            QTimer::singleShot(0, this, [this, index] {
                if (!IsFinished())
                    finishFailedRead(index);
            });
        }
    } else if (!encodes()) {
        t.State = TRipPlanTrack::TState::Done;
        trackWritten();
    } else {
        m_wavOf[size_t(index)] = wav;
        m_formatsLeft[size_t(index)] = int(m_lanes.size());
        m_ready.push_back(index);
        ++m_ahead;
        kickEncoders();
    }
    advanceReading();
}

void TRipJob::onMeasured(const TProcessInfo& info) {
    const auto it = std::find(m_loudness.begin(), m_loudness.end(), info.Loudness);
    if (it == m_loudness.end() || !info.Loudness)
        return; // a read that was read again
    const size_t index = size_t(it - m_loudness.begin());
    m_measuring[index].reset();
    TRipPlanTrack& t = m_plan.Tracks[index];
    t.Gain.HasTrack = TReplayGain::GainOf(info.Loudness->Loudness(), &t.Gain.TrackGain);
    t.Gain.TrackPeak = info.Loudness->Peak();
    for (TEncodeLane& lane : m_lanes)
        if (lane.Track == int(index))
            lane.Step->SetTrackGain(t.Gain);
}

void TRipJob::advanceReading() {
    m_reading = nextIndex(m_reading);
    m_worker.reset(); // it has posted its last event
    if (m_reading < 0) {
        // Only encoding is left: the rip's bar follows it now.
        if (m_ahead > 0) {
            emit hint(tr("Encoding..."));
            emit barCaption(tr("Encoding..."));
        }
        return maybeFinish();
    }
    if (m_ahead >= MaxTracksAhead) {
        m_readWaits = true; // the encoders let it go on (finishEncodedTrack)
        return;
    }
    resumeReading();
}

void TRipJob::resumeReading() {
    emit hint(tr("Extracting..."));
    emit barCaption(encodes() ? tr("Extracting...") : tr("Initializing..."));
    if (m_unacknowledged > 0) {
        m_held = true; // Acknowledge starts it
        return;
    }
    startRead();
}

TEncodeRequest TRipJob::requestFor(const TRipPlanTrack& t, size_t format) const {
    TEncodeRequest request;
    request.Format = m_plan.Formats[format];
    request.Path = t.Paths[format];
    request.MayReplace = m_replacing.contains(request.Path);
    request.Disc = m_plan.Disc;
    request.Title = t.Title;
    request.Artist = t.Artist;
    request.Compilation = m_plan.Compilation;
    request.Track = t.Number;
    request.TrackTotal = m_plan.TrackTotal;
    request.Texts = TEncodeRequest::DiscTexts;
    request.Cover = m_cover;
    request.Gain = t.Gain;
    request.TrackGainLater = m_measuring[size_t(&t - m_plan.Tracks.data())] != nullptr;
    return request;
}

bool TRipJob::writeAlbumGain() {
    // A stop during the database lookup finishes a second time: the note says it was done.
    if (m_gainMode == TReplayGain::TMode::Off || !m_log.GainNote.isEmpty())
        return false;
    std::vector<const TLoudnessMeter*> meters;
    for (size_t i = 0; i < m_plan.Tracks.size(); ++i)
        if (m_plan.Tracks[i].State == TRipPlanTrack::TState::Done && m_loudness[i])
            meters.push_back(m_loudness[i].get());
    if (m_gainMode == TReplayGain::TMode::Track || meters.empty()) {
        m_log.GainNote = QStringLiteral("track gain and peak");
        return false;
    }
    if (m_log.Stopped) {
        // The album's loudness needs every track; the files keep their track values.
        m_log.GainNote = QStringLiteral("track gain and peak only: the rip was stopped before "
                                        "the album gain could be measured");
        emit message(TJobSeverity::Warning,
                     tr("The rip was stopped: its files have no album gain."));
        return false;
    }
    TReplayGain album;
    album.HasAlbum = TReplayGain::GainOf(TLoudnessMeter::AlbumLoudness(meters), &album.AlbumGain);
    for (const TLoudnessMeter* m : meters)
        album.AlbumPeak = std::max(album.AlbumPeak, m->Peak());
    if (!album.HasAlbum) {
        m_log.GainNote = QStringLiteral("track gain and peak; the album is silent");
        return false;
    }
    // The worker gets copies of what it needs: it touches nothing of the job's.
    std::vector<TAlbumGainPass::TItem> items;
    for (size_t i = 0; i < m_plan.Tracks.size(); ++i) {
        TRipPlanTrack& t = m_plan.Tracks[i];
        if (t.State != TRipPlanTrack::TState::Done || !m_loudness[i])
            continue;
        t.Gain.HasAlbum = true;
        t.Gain.AlbumGain = album.AlbumGain;
        t.Gain.AlbumPeak = album.AlbumPeak;
        for (size_t k = 0; k < m_plan.Formats.size(); ++k)
            if (m_plan.Formats[k] != FormatWav) // a WAV has no tags
                items.push_back({t.Paths[k], m_plan.Formats[k], t.Gain});
    }
    m_album = album;
    m_albumTracks = meters.size();
    m_albumPass = std::make_unique<TAlbumGainPass>(std::move(items), this, [this] {
        albumGainWritten(false);
        afterAlbumGain(false);
    });
    return true;
}

void TRipJob::albumGainWritten(bool stopped) {
    for (const QString& failure : m_albumPass->Failures())
        emit message(TJobSeverity::Warning, failure);
    const int failures = int(m_albumPass->Failures().size());
    const int tagged = m_albumPass->Tagged();
    const int files = m_albumPass->Files();
    m_albumPass.reset();
    m_log.GainNote =
        QStringLiteral("track and album gain and peak; album gain %1 and peak %2 "
                       "over %3 tracks")
            .arg(TReplayGain::GainText(m_album.AlbumGain), TReplayGain::PeakText(m_album.AlbumPeak))
            .arg(m_albumTracks);
    if (failures > 0)
        m_log.GainNote += QStringLiteral(" (%1 files could not be tagged)").arg(failures);
    if (stopped) {
        m_log.GainNote += QStringLiteral("; the rip was stopped while the album gain was "
                                         "written: %1 of %2 files have it")
                              .arg(tagged)
                              .arg(files);
        emit message(TJobSeverity::Warning,
                     tr("The rip was stopped while the album gain was written: %1 of %2 files "
                        "have it.")
                         .arg(tagged)
                         .arg(files));
    }
}

void TRipJob::kickEncoders() {
    for (TEncodeLane& lane : m_lanes) {
        if (lane.Track >= 0 || lane.Next >= m_ready.size())
            continue;
        lane.Track = m_ready[lane.Next];
        lane.Percent = 0;
        const TRipPlanTrack& t = track(lane.Track);
        TEncodeRequest request = requestFor(t, lane.Format);
        request.Input = lane.Input;
        emit encodingStarted(request.Track, request.Title, request.Path);
        if (m_reading < 0) {
            emit hint(tr("Encoding..."));
            emit barCaption(tr("Encoding..."));
        }
        lane.Input->SetFileName(m_wavOf[size_t(lane.Track)]);
        lane.Step->Start(request);
    }
}

void TRipJob::onEncoded(TEncodeLane& lane, const QString& failure, int systemError) {
    const int index = lane.Track;
    if (index < 0)
        return;
    if (!failure.isEmpty() && WriteFailureRecurs(systemError)) {
        // Every later file of this format would fail alike: the rip stops here, once.
        TRipPlanTrack& t = track(index);
        t.State = TRipPlanTrack::TState::Failed;
        lane.Input->SetFileName(QString());
        lane.Track = -1;
        return stopOnWriteFailure(QFileInfo(t.Paths[lane.Format]).path(), systemError);
    }
    if (!failure.isEmpty()) {
        trackError(tr("Encoding %1 failed: %2").arg(track(index).Paths[lane.Format], failure));
        if (!m_encodeFailed[size_t(index)])
            ++m_failed;
        m_encodeFailed[size_t(index)] = true;
    }
    // Each WAV input lets go of its file, so the WAV can be renamed or removed.
    lane.Input->SetFileName(QString());
    lane.Track = -1;
    ++lane.Next;
    ++m_encodingsDone;
    if (--m_formatsLeft[size_t(index)] == 0) {
        ++m_endingTracks;
        QTimer::singleShot(m_pace, this, [this, index] {
            if (!IsFinished())
                finishEncodedTrack(index);
        });
    }
    reportOverall();
    kickEncoders();
    // Every encoder waits for the next read: the last encoding shows as complete meanwhile.
    if (std::none_of(m_lanes.begin(), m_lanes.end(), [](const auto& l) { return l.Track >= 0; }))
        emit encodeProgress(track(index).Number, 100);
}

void TRipJob::finishEncodedTrack(int index) {
    --m_endingTracks;
    TRipPlanTrack& t = track(index);
    const bool ok = !m_encodeFailed[size_t(index)];
    // A failed encoding keeps the WAV: it may be the only copy of the track's audio. With WAV
    // among the formats, it is that format's file.
    const QString wav = m_wavOf[size_t(index)];
    const bool wavIsFormat = std::find(m_plan.Formats.begin(), m_plan.Formats.end(),
                                       int(FormatWav)) != m_plan.Formats.end();
    if (!wav.isEmpty() && QFileInfo::exists(wav) && !IsFileInUse(wav)) {
        if (wavIsFormat) {
            if (const QString failure = claimName(wav, t.WavPath); !failure.isEmpty())
                trackError(failure);
        } else if (m_options.IsKeepWav || !ok) {
            keepWav(index, wav);
        } else {
            QFile::remove(wav);
        }
    }
    m_wavOf[size_t(index)].clear();
    t.State = ok ? TRipPlanTrack::TState::Done : TRipPlanTrack::TState::Failed;
    if (ok)
        trackWritten();
    emit trackFinished(t.Number, t.Title, t.Path, ok);
    --m_ahead;
    reportOverall();
    if (m_readWaits && m_ahead < MaxTracksAhead) {
        m_readWaits = false;
        resumeReading();
    }
    maybeFinish();
}

void TRipJob::finishFailedRead(int index) {
    --m_endingTracks;
    const TRipPlanTrack& t = track(index);
    // An MP3 of an earlier rip is tagged anew with the texts of this one.
    for (size_t k = 0; k < m_plan.Formats.size(); ++k)
        if (m_plan.Formats[k] == FormatMp3)
            TEncodeStep::TagMp3(requestFor(t, k));
    emit trackFinished(t.Number, t.Title, t.Path, false);
    maybeFinish();
}

void TRipJob::maybeFinish() {
    if (m_reading >= 0 || m_ahead > 0 || m_endingTracks > 0 || IsFinished())
        return;
    stopRip();
    // With encoders, the last track's pause has passed already.
    if (!encodes())
        return finish(false);
    QTimer::singleShot(m_pace, this, [this] {
        if (!IsFinished())
            finish(false);
    });
}

void TRipJob::reportOverall() {
    // A track is one part reading and, with encoders, one part encoding.
    const int total = Total();
    if (total == 0)
        return;
    double done = m_completed + (m_reading >= 0 ? m_readPercent / 100.0 : 0.0);
    double parts = total;
    if (encodes()) {
        double encoded = m_encodingsDone;
        for (const TEncodeLane& lane : m_lanes)
            encoded += lane.Track >= 0 ? lane.Percent / 100.0 : 0.0;
        done += encoded / double(m_lanes.size());
        parts *= 2;
    }
    emit overallProgress(std::clamp(int(done * 100 / parts), 0, 100));
}

void TRipJob::trackWritten() {
    ++m_succeeded;
    if (m_cover.isEmpty())
        return;
    for (size_t k = 0; k < m_plan.Formats.size(); ++k) {
        if (m_coverSaved[k])
            continue;
        m_coverSaved[k] = true;
        const QDir folder(m_plan.FilesFolders[k]);
        // A cover the folder has already, of either kind, stays the folder's only one.
        if (QFileInfo::exists(folder.filePath(QStringLiteral("cover.jpg"))) ||
            QFileInfo::exists(folder.filePath(QStringLiteral("cover.png"))))
            continue;
        const QString path = folder.filePath(QStringLiteral("cover.") + m_cover.extension());
        QString error;
        if (!TAtomicFile::writeWhole(path, m_cover.data(), &error))
            emit message(TJobSeverity::Warning, error);
    }
}

void TRipJob::stopOnWriteFailure(const QString& folder, int systemError) {
    if (m_reading >= 0)
        track(m_reading).State = TRipPlanTrack::TState::Failed;
    ++m_failed;
    m_unwritableFolder = folder;
    emit message(TJobSeverity::Error,
                 tr("Cannot write into %1: %2. The rip has stopped; please choose "
                    "another output folder or make room there.")
                     .arg(QDir::toNativeSeparators(folder),
                          QString::fromLocal8Bit(std::strerror(systemError))));
    finish(true);
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
        startRead();
    }
}
