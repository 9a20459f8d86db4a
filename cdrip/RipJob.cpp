#include "RipJob.h"

#include "RipEvent.h"
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
#include <QSet>
#include <QTimer>

TRipJob::TRipJob(HCDROM handle, const QList<TRipTrack>& tracks, const TAppOptions& options,
                 const TDiscFields& disc, QObject* parent)
    : TJob(parent), m_handle(handle), m_options(options), m_disc(disc) {
    // A title that repeats gets " (2)" and so on, so no track replaces another's file.
    QSet<QString> taken;
    for (const TRipTrack& t : tracks) {
        m_tracks << Entry(t);
        QString name = t.Title;
        for (int n = 2; taken.contains(name); ++n)
            name = QStringLiteral("%1 (%2)").arg(t.Title).arg(n);
        taken.insert(name);
        m_names << name;
    }
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
    return m_step ? m_step->OutputOf(m_options.OutputFormat) : nullptr;
}

QString TRipJob::Entry(const TRipTrack& track) {
    return TwoDigit(track.Number) + track.Title;
}

int TRipJob::EntryNumber(const QString& entry) {
    return entry.left(2).toInt();
}

QString TRipJob::EntryTitle(const QString& entry) {
    return entry.mid(2);
}

void TRipJob::fail(const QString& text) {
    emit message(TJobSeverity::Error, text);
    finishWith(TJobOutcome::Failed, text);
}

void TRipJob::Start() {
    assertOwnThread();
    const int format = m_options.OutputFormat;
    if (format < FormatMp3 || format > FormatApe)
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
    withOutputFolder(m_options.OutputFolder, [this] { checkExisting(); });
}

void TRipJob::checkExisting() {
    // The files this rip writes for each track, and those of them that exist already.
    const bool keepsWav = m_options.OutputFormat != FormatWav && m_options.IsKeepWav;
    QStringList existing;
    QList<int> tracksWithExisting;
    for (int i = 0; i < m_tracks.size(); ++i) {
        QStringList outputs{encodedPath(i)};
        if (keepsWav)
            outputs << wavPath(i);
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
                for (auto it = tracksWithExisting.rbegin(); it != tracksWithExisting.rend(); ++it) {
                    emit message(TJobSeverity::Info,
                                 QStringLiteral("Track %1 is skipped: %2 exists already.")
                                     .arg(EntryNumber(m_tracks[*it]))
                                     .arg(encodedPath(*it)));
                    m_tracks.removeAt(*it);
                    m_names.removeAt(*it);
                }
            }
            begin();
        });
}

void TRipJob::begin() {
    m_log.Secure = m_options.SecureRip;
    m_log.NormalizePercent = m_options.IsNormalize ? m_options.NormalizePercent : 0;
    m_log.Album = m_disc.Album;
    m_log.Artist = m_disc.Artist;
    m_log.Tracks.clear();
    for (const QString& e : m_tracks)
        m_log.Tracks.push_back(TRipLog::Track{EntryNumber(e), QString(), false, {}, {}});
    TTOC toc{};
    if (ModifyCDParms(m_handle, CdParmTocMsf, 1) != 0 && ReadTOC(m_handle, &toc) == 1)
        m_log.Disc = CddbDiscFromToc(toc);
    if (m_tracks.isEmpty())
        return finish(false);
    for (int i = 0; i < m_tracks.size(); ++i)
        if (m_names[i] != EntryTitle(m_tracks[i]))
            emit message(TJobSeverity::Info,
                         QStringLiteral("Track %1 has the title of an earlier track: it is "
                                        "written as %2")
                             .arg(EntryNumber(m_tracks[i]))
                             .arg(encodedPath(i)));
    startRip(0);
    emit hint(QStringLiteral("Extracting..."));
    emit barCaption(QStringLiteral("Initializing..."));
}

void TRipJob::Stop() {
    assertOwnThread();
    if (IsFinished())
        return;
    finish(true);
}

void TRipJob::startRip(int entry) {
    const QString& e = m_tracks[entry];
    m_worker.reset(); // the previous worker has posted its last event already
    emit trackStarted(EntryNumber(e), EntryTitle(e), m_completed);
    emit currentItem(entry + 1, int(m_tracks.size()), EntryTitle(e));
    // The worker writes under a partial name; a name that cannot be a file goes to it as it is,
    // so it fails the way it always does.
    const QString name = m_names[entry];
    const QString base = TCDRipThread::IsUsableFileName(name)
                             ? QFileInfo(PartialName(wavPath(entry))).completeBaseName()
                             : name;
    m_worker = std::make_unique<TCDRipThread>(EntryNumber(e), base, m_options);
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
    for (const TRipLog::Track& t : m_log.Tracks)
        anyChecked = anyChecked || (t.Ok && t.Check.Valid);
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
    for (size_t i = 0; i < m_log.Tracks.size(); ++i) {
        TRipLog::Track& t = m_log.Tracks[i];
        if (!t.Ok || !t.Check.Valid)
            continue;
        if (response)
            t.Verdict = response->Verdict(t.Number - 1, t.Check.ArV1, t.Check.ArV2);
        else
            t.Verdict.Result = without;
        QString verdict = t.Verdict.Text();
        if (const QString s = TRipLog::SuspiciousText(t.Check); !s.isEmpty())
            verdict += QStringLiteral(", ") + s;
        emit trackVerdict(t.Number, EntryTitle(m_tracks[int(i)]), verdict);
    }
    if (m_completed > 0 && QFileInfo(m_options.OutputFolder).isDir()) {
        QString error;
        const QString path = m_log.Write(m_options.OutputFolder, &error);
        if (path.isEmpty())
            emit message(TJobSeverity::Warning, error);
        else
            emit logWritten(path);
    }
    const TJobOutcome outcome = m_log.Stopped                        ? TJobOutcome::Stopped
                                : m_failed == 0 && m_suspicious == 0 ? TJobOutcome::Done
                                                                     : TJobOutcome::Failed;
    finishWith(outcome, QStringLiteral("Ripped %1 of %2 tracks").arg(m_succeeded).arg(Total()));
}

QString TRipJob::encodedPath(int entry) const {
    return WithTrailingBackslash(m_options.OutputFolder) + m_names[entry] +
           FormatExtension(m_options.OutputFormat);
}

QString TRipJob::wavPath(int entry) const {
    return WithTrailingBackslash(m_options.OutputFolder) + m_names[entry] + QStringLiteral(".wav");
}

void TRipJob::keepWav(int entry, const QString& partial) {
    // A WAV kept takes the track's name unless something else has it (the question covered
    // only the files the rip meant to write).
    const QString target = wavPath(entry);
    if (!m_options.IsKeepWav && NameTaken(target)) {
        emit message(TJobSeverity::Info, QStringLiteral("The WAV of track %1 is kept as %2")
                                             .arg(EntryNumber(m_tracks[entry]))
                                             .arg(partial));
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
    const int index = m_completed;
    const QString& entry = m_tracks[index];
    const QString title = EntryTitle(entry);
    m_wavPath = m_worker->wavPath();
    m_log.Tracks[size_t(index)].Check = info.Check;
    if (info.ErrorCode == RipOk && info.Check.UnreadableSectors > 0) {
        // The file is kept: it is the best the disc gave, but no proof of an exact copy.
        ++m_suspicious;
        emit message(TJobSeverity::Warning,
                     QStringLiteral("Track %1 is %2: they never read the same twice")
                         .arg(EntryNumber(entry))
                         .arg(TRipLog::SuspiciousText(info.Check)));
    }
    switch (info.ErrorCode) {
    case RipOk:
        break;
    case RipReadFailed:
        trackError(QStringLiteral("Error while reading CD information!"));
        break;
    case RipCannotCreate:
        // A title that cannot be a file name is the user's to fix; anything else the system
        // explains.
        trackError(info.ErrorText.isEmpty()
                       ? m_wavPath + QStringLiteral(" is not a valid file name. Please rename the "
                                                    "Title in the CD tracks list.")
                       : info.ErrorText);
        break;
    default:
        trackError(info.ErrorText.isEmpty() ? QStringLiteral("Cannot write %1").arg(m_wavPath)
                                            : info.ErrorText);
        break;
    }
    if (info.ErrorCode != RipOk) {
        ++m_failed;
        if (info.ErrorCode != RipCannotCreate && NameTaken(m_wavPath))
            emit message(TJobSeverity::Info, QStringLiteral("What was read of track %1 is in %2")
                                                 .arg(EntryNumber(entry))
                                                 .arg(m_wavPath));
    } else if (m_options.OutputFormat == FormatWav) {
        // The WAV is the result: it takes its name now that it is complete.
        if (const QString failure = RenameOver(m_wavPath, wavPath(index)); failure.isEmpty()) {
            m_wavPath = wavPath(index);
        } else {
            trackError(failure);
            ++m_failed;
            emit trackEnded(EntryNumber(entry), title, m_wavPath, RipWriteFailed);
            ++m_completed;
            if (m_completed >= m_tracks.size())
                return finish(false);
            return nextTrack(QStringLiteral("Initializing..."));
        }
    }
    emit trackEnded(EntryNumber(entry), title, m_wavPath, info.ErrorCode);
    ++m_completed;
    if (m_options.OutputFormat != FormatWav) {
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
        trackWritten();
        m_log.Tracks[size_t(index)].Ok = true;
        m_log.Tracks[size_t(index)].File = QFileInfo(m_wavPath).fileName();
    }
    if (m_completed >= m_tracks.size())
        return finish(false);
    nextTrack(QStringLiteral("Initializing..."));
}

void TRipJob::startEncoding() {
    const QString& entry = m_tracks[m_completed - 1];
    TEncodeRequest request;
    request.Input = m_waveIn;
    request.Format = m_options.OutputFormat;
    request.Path = encodedPath(m_completed - 1);
    request.Disc = m_disc;
    request.Title = EntryTitle(entry);
    request.Track = EntryNumber(entry);
    request.TrackTotal = m_trackTotal;
    request.Texts = TEncodeRequest::DiscTexts;
    request.Cover = m_cover;
    emit encodingStarted(request.Track, request.Title, request.Path);
    emit hint(QStringLiteral("Encoding..."));
    emit barCaption(QStringLiteral("Encoding..."));
    m_waveIn->SetFileName(m_wavPath);
    m_step->Start(request);
}

void TRipJob::onEncoded(bool ran, const QString& failure) {
    const QString& entry = m_tracks[m_completed - 1];
    const bool encodeFailed = ran && !failure.isEmpty();
    if (encodeFailed) {
        trackError(
            QStringLiteral("Encoding %1 failed: %2").arg(encodedPath(m_completed - 1), failure));
        ++m_failed;
    }
    if (!ran && m_options.OutputFormat == FormatMp3) {
        // A track whose rip failed: an MP3 of it from an earlier rip is tagged anew.
        TEncodeRequest request;
        request.Path = encodedPath(m_completed - 1);
        request.Disc = m_disc;
        request.Title = EntryTitle(entry);
        request.Track = EntryNumber(entry);
        request.TrackTotal = m_trackTotal;
        request.Cover = m_cover;
        TEncodeStep::TagMp3(request);
    }
    const bool ok = ran && !encodeFailed;
    QTimer::singleShot(m_pace, this, [this, ok, encodeFailed] {
        if (IsFinished())
            return;
        // A failed encoding keeps the WAV: it may be the only copy of the track's audio.
        const QString wav = m_waveIn->FileName();
        if (!wav.isEmpty() && QFileInfo::exists(wav) && !IsFileInUse(wav)) {
            if (m_options.IsKeepWav || encodeFailed)
                keepWav(m_completed - 1, wav);
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
    const QDir folder(m_options.OutputFolder);
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
    const QString& entry = m_tracks[m_completed - 1];
    if (ok) {
        trackWritten();
        m_log.Tracks[size_t(m_completed - 1)].Ok = true;
        m_log.Tracks[size_t(m_completed - 1)].File =
            QFileInfo(encodedPath(m_completed - 1)).fileName();
    }
    emit trackFinished(EntryNumber(entry), EntryTitle(entry), encodedPath(m_completed - 1), ok);
    if (m_completed < m_tracks.size())
        return nextTrack(QStringLiteral("Extracting..."));
    stopRip();
    QTimer::singleShot(m_pace, this, [this] {
        if (!IsFinished())
            finish(false);
    });
}

void TRipJob::nextTrack(const QString& caption) {
    emit hint(QStringLiteral("Extracting..."));
    emit barCaption(caption);
    if (m_unacknowledged > 0) {
        m_held = true; // Acknowledge starts it
        return;
    }
    startRip(m_completed);
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
        startRip(m_completed);
    }
}
