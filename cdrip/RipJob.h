// The rip job: walks the records of a rip plan, reading each track into a WAV with a rip worker
// (driven by the events the workers post, 2125 and 2126) and encoding each WAV into every format
// of the plan (one encode step per format, which also tags the file) while the next track is
// read. The WAV is deleted once every format has its file, unless it is kept. It fills each
// record's results (state, sums, verdict), and at the end writes the rip log, the playlist and
// the cue sheet of each format from them. Headless; the rip dialog and the command line present
// it through its signals.
//
// Reading runs ahead of encoding by at most MaxTracksAhead tracks (WAVs waiting on disk); then
// it waits for the encoders.
//
// Lives on the GUI (main) thread and needs its event loop. It is the workers' event receiver:
// it stops and joins its worker before it is destroyed (and Qt drops events still queued for
// it), so no worker ever posts to a receiver that is gone. The workers share only their Aborted
// flag (atomic) with it; the encoders' outputs report through the framework's dispatcher.
// In album mode the album gain goes into the finished files on a worker of its own
// (TAlbumGainPass, given copies of the paths and values; stop flag atomic); the database
// lookup and the end follow once it calls back.
#pragma once

#include "CDRipThread.h"
#include "RipLog.h"
#include "RipPlan.h"
#include "TProcessInfo.h"
#include "accuraterip/TArDiscIds.h"
#include "accuraterip/TArLookup.h"
#include "audio/CoverArt.h"
#include "audio/Job.h"
#include "audio/LoudnessMeter.h"
#include "audio/ReplayGain.h"
#include "disc/CdAccess.h"
#include "encode/AlbumGainPass.h"
#include "settings/TAppOptions.h"

#include <QString>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

struct TEncodeRequest;
class TAuFileOut;
class TEncodeStep;
class TWaveIn;

class TRipJob : public TJob {
    Q_OBJECT
public:
    // `plan` names the tracks, their files and the disc's texts (TRipPlan::Build); `options`
    // gives IsKeepWav, normalisation, the read mode, the AccurateRip server, whether a
    // playlist and a cue sheet are written, and the encoders' settings. Both are copied; the
    // output folder and format are the plan's.
    TRipJob(HCDROM handle, const TRipPlan& plan, const TAppOptions& options,
            QObject* parent = nullptr);
    ~TRipJob() override;

    // Milliseconds of pause after each track's encoding and before the end: 300 by default, so
    // a window's bar shows each track complete; 0 on the command line. Set before Start.
    void SetPace(int ms);
    // The disc's front cover: embedded in every FLAC, Ogg, MP3 and APE file, and saved in the
    // plan's FilesFolder as cover.jpg or cover.png once the first track is written, unless the
    // folder has a cover.jpg or cover.png already (which is kept). Empty (the default) for
    // none. Set before Start.
    void SetCover(const TCoverArt& cover) { m_cover = cover; }

    // The drive's description for the log and its read offset in samples, given to every
    // worker. Set before Start.
    void SetReadSource(const QString& drive, int readOffset);
    // The sector read every worker uses (ReadCDAudioLBA); tests put a stand-in here. Set
    // before Start.
    void SetSectorRead(TSectorRead read) { m_read = std::move(read); }
    // The read offset of drive `index` of the drive list: 0 for a disc image, else the
    // `offsets` entry under the drive's description (0 when it has none). `description` gets
    // the description. GUI thread.
    static int DriveReadOffset(int index, const QMap<QString, int>& offsets, QString* description);

    // Asks "The output folder <folder> does not exist. Make it?" first when the
    // output folder is missing (No cancels the rip). Then, when files the rip would write exist
    // already, asks once (YesNoCancel) with their list: Yes replaces them, No skips their
    // tracks, Cancel ends the rip. Then starts the first track. A format index out of range or
    // an encoder whose codec library is missing fails at once.
    //
    // The folders a record's path names are made before its track is read. Every file is
    // written under "<name>.partial<ext>" and takes its name once complete; what a stopped or
    // failed rip read stays under the partial name.
    void Start() override;
    // In the verify-first read mode the database is asked before the first track instead: a
    // track whose first read its answer confirms is done; any other is read again in secure
    // mode before an encoder sees it, and that read is kept. Without an answer every track is
    // read in secure mode, which a warning says at the start.
    //
    // Once the last track is done, the tracks' checksums are looked up in the AccurateRip
    // database (the AccurateRipServer setting; none when empty) without blocking, each ripped
    // track gets its verdict (trackVerdict), and the rip log (logWritten), the playlist and the
    // cue sheet are written into the plan's FilesFolder. A database that cannot be reached
    // gives "not checked", never a failure. A track with sectors that never read the same twice
    // keeps its file but fails the rip.
    //
    // Stops the running worker (waiting for it), then the running output (waiting for it), and
    // finishes as Stopped. The files being written stay as they are. During the album pass:
    // waits for the file being tagged, and the log says how many files have the album gain.
    void Stop() override;

    // With hold on (a window sets it), the next track starts only once every error message of
    // a failed track has been acknowledged with Acknowledge, as a message box is dismissed.
    // Off by default: the command line goes straight on.
    void SetHoldOnError(bool hold);
    void Acknowledge();

    // The plan with the results filled in so far.
    const TRipPlan& Plan() const { return m_plan; }
    // Tracks to rip: the plan's, less those skipped because their files exist.
    int Total() const;
    // Tracks read whole and waiting for their encoders at most, before reading waits.
    static constexpr int MaxTracksAhead = 3;

    // Tracks whose rip has ended, whatever the outcome.
    int Completed() const { return m_completed; }
    // Why the database was not asked or gave no answer ("not checked: host not found"),
    // translated for the window (the rip log has it in English); empty when it answered. Set
    // when the job finishes.
    QString DatabaseNote() const { return m_shownDatabaseNote; }
    // Tracks that ended with an error (rip or encoding), plus one for a halt of the drive.
    int Failed() const { return m_failed; }
    // Tracks whose file was written.
    int Succeeded() const { return m_succeeded; }
    int Format() const { return m_plan.Format; }
    const QString& OutputFolder() const { return m_plan.OutputFolder; }
    // The output of the first format once Start has made it; null for WAV. For tests.
    TAuFileOut* Output() const;

signals:
    // The caption of the progress bar: "Initializing...", "Extracting...", "Encoding...".
    void barCaption(const QString& text);
    // A track starts: its number and title, and the tracks completed so far.
    void trackStarted(int number, const QString& title, int completed);
    // A track's rip has ended: the WAV's path and the worker's error code (0 = ripped).
    void trackEnded(int number, const QString& title, const QString& wavPath, int errorCode);
    // Encoded formats: the track's WAV is being encoded into `path`.
    void encodingStarted(int number, const QString& title, const QString& path);
    // Encoded formats: the track's finishing steps are done; `ok` false when its rip or its
    // encoding failed (a message said why).
    void trackFinished(int number, const QString& title, const QString& path, bool ok);
    // The drive failed before a track could be read (a message said so); nothing moves on until
    // the job is stopped.
    void halted();
    // After the rip: a ripped track's verdict, "accurate (confidence N)", "not accurate", "not in
    // database" or "not checked", followed by ", suspicious, N sectors" when it is; translated
    // (TArVerdict::ShownText), while the rip log keeps the English words.
    void trackVerdict(int number, const QString& title, const QString& verdict);
    // The rip log was written to `path`.
    void logWritten(const QString& path);
    // The playlist ("Playlist") or the cue sheet ("Cue sheet") of the rip was written to `path`.
    void sheetWritten(const QString& kind, const QString& path);
    // Percentages, 0..100: of the track being read, of the track being encoded (the first
    // encoder's, -1 when none is busy), and of the whole rip, reading and encoding together.
    void readProgress(int percent);
    void encodeProgress(int number, int percent);
    void overallProgress(int percent);

protected:
    bool event(QEvent* e) override;

private:
    // A text the rip log keeps in English and the window shows translated.
    struct TNote {
        QString Log;
        QString Shown;
        TNote arg(const QString& log, const QString& shown) const {
            return {Log.arg(log), Shown.arg(shown)};
        }
    };
    // `source` is marked with QT_TR_NOOP.
    static TNote note(const char* source);

    // One encoder for one format of the plan: its step, the WAV input feeding it, and where it
    // is in the list of records read.
    struct TEncodeLane {
        size_t Format = 0; // index into the plan's Formats
        TEncodeStep* Step = nullptr;
        TWaveIn* Input = nullptr; // owned by the job (Qt parent)
        int Track = -1;           // the record being encoded, -1 when idle
        size_t Next = 0;          // position in m_ready of the next record to encode
        int Percent = 0;
    };

    TRipPlanTrack& track(int index) { return m_plan.Tracks[size_t(index)]; }
    void begin();
    void startFirstRead();
    // Verify-first: asks the AccurateRip database before the first track is read.
    void askAhead();
    // Asks the AccurateRip database for `ids` (m_lookup while it runs); `answered` runs on this
    // thread once it has answered, unless the job has finished meanwhile.
    void askDatabase(const TArDiscIds& ids,
                     std::function<void(TArLookup::Status, const TArLookup&)> answered);
    // Verify-first without an answer: says why once and reads every track in secure mode.
    void fallBack(const TNote& reason, TArVerdict::Kind without, const TNote& note);
    // Verify-first: whether the first read of the record being read stands (its sums match a
    // pressing the database answered with, confidence 1 or more).
    bool confirmed(const TProcessInfo& info) const;
    // Reads the record being read again, in secure mode.
    void readAgain(const TProcessInfo& info);
    // The next record to read after `index`, or -1.
    int nextIndex(int index) const;
    void startRead();
    void stopRip();
    void onProcessInfo(const TProcessInfo& info);
    void onRipEnded(const TProcessInfo& info);
    // A track's meter has measured all of it: its gain goes to the encoders waiting for it.
    void onMeasured(const TProcessInfo& info);
    // Reading moves on to the next record, unless the encoders or an unread message hold it.
    void advanceReading();
    void resumeReading();
    void kickEncoders();
    // `systemError`: the step's SystemError() for a failed file.
    void onEncoded(TEncodeLane& lane, const QString& failure, int systemError);
    // Every format of record `index` has been tried: the WAV is dealt with and the track ends.
    void finishEncodedTrack(int index);
    // A record whose read failed ends without encoding.
    void finishFailedRead(int index);
    void maybeFinish();
    void reportOverall();
    void finish(bool stopped);
    // The end of the rip after the album pass: the database lookup, then conclude.
    void afterAlbumGain(bool stopped);
    // Gives each ripped track its verdict from `response`, or `without` when there is none,
    // writes the log, playlist and cue sheet of each format, and finishes.
    void conclude(const TArResponse* response, TArVerdict::Kind without, const TNote& note);
    void writeRipFiles(size_t format);
    void fail(const QString& text);
    void trackError(const QString& text);
    void checkExisting();
    bool makeFolderOf(const QString& path);
    // Ends the rip at a write failure every later track would meet too (no space, read-only,
    // no permission): one message naming `folder` and the system's reason for `systemError`.
    void stopOnWriteFailure(const QString& folder, int systemError);
    // The folder of such a failure: set by makeFolderOf when it made a folder fail, and when
    // the rip stops for it (no log is written there then).
    QString m_unwritableFolder;
    int m_unwritableError = 0;
    void keepWav(int index, const QString& partial);
    QString claimName(const QString& from, QString& to);
    void trackWritten();
    bool encodes() const { return !m_lanes.empty(); }
    TEncodeRequest requestFor(const TRipPlanTrack& track, size_t format) const;
    // Album mode: the album's values go into every file of the rip, unless it was stopped, on
    // m_albumPass's worker; true when that pass runs and calls albumGainWritten once done.
    bool writeAlbumGain();
    // The pass has ended, all through or `stopped` by a Stop: its warnings and the log's note.
    void albumGainWritten(bool stopped);

    HCDROM m_handle;
    TRipPlan m_plan;
    TAppOptions m_options;
    int m_pace = 300;
    TCoverArt m_cover;
    std::vector<int> m_pregaps;     // the tracks' gaps where the source knows them (an image)
    std::vector<bool> m_coverSaved; // per format: the cover was saved, or found there
    std::unique_ptr<TCDRipThread> m_worker;
    std::vector<TEncodeLane> m_lanes; // one per encoded format, in plan order
    std::vector<int> m_ready;         // records read whole, in reading order
    std::vector<QString> m_wavOf;     // per record: its (partial) WAV once read
    // Descriptors holding the locks of the partial WAVs, and the names they were made under.
    std::vector<std::pair<int, QString>> m_wavLocks;
    QStringList m_replacing;          // existing files the user agreed to replace
    std::vector<int> m_formatsLeft;   // per record: encodings not yet finished
    std::vector<bool> m_encodeFailed; // per record: an encoding failed
    int m_reading = -1;               // the record being read, -1 when none
    int m_readPercent = 0;
    int m_ahead = 0;          // records read whose encodings have not all finished
    bool m_readWaits = false; // reading waits for the encoders (MaxTracksAhead reached)
    int m_endingTracks = 0;   // tracks between their last encoding and their end
    int m_encodingsDone = 0;  // (record, format) encodings finished
    int m_completed = 0;
    int m_failed = 0;
    int m_succeeded = 0;
    bool m_holdOnError = false;
    int m_unacknowledged = 0;      // error messages not yet acknowledged (with hold on)
    bool m_held = false;           // the next read waits for the acknowledgement
    TRipLog m_log;                 // the drive, read mode and table; its tracks come from the plan
    TArLookup* m_lookup = nullptr; // the database lookup (at the end or, verify-first, ahead)
    // Verify-first: the database was asked before the first track (m_asked); with an answer
    // (m_verifying, in m_answer) each first read is checked as it ends, without one m_without
    // and m_databaseNote give the verdicts at the end.
    bool m_asked = false;
    bool m_verifying = false;
    TArResponse m_answer;
    TArVerdict::Kind m_without = TArVerdict::NotChecked;
    TNote m_databaseNote;
    QString m_shownDatabaseNote; // the log's DatabaseNote, translated
    bool m_reReading = false;    // the record being read is read a second time, in secure mode
    TSectorRead m_read = ReadCDAudioLBA;
    int m_suspicious = 0; // tracks with sectors that never read the same twice
    TReplayGain::TMode m_gainMode = TReplayGain::TMode::Off;
    std::vector<std::shared_ptr<const TLoudnessMeter>> m_loudness; // per record, once read
    // Per record: its meter while it still measures (the record's files wait for it before
    // they are tagged); cancelled by stopRip.
    std::vector<std::shared_ptr<TMeterThread>> m_measuring;
    std::shared_ptr<TBufferPool> m_meterBuffers; // the meters' buffers, made for the first read
    // The album pass while it runs, and what the log says of it once done (its tracks and the
    // album's values).
    size_t m_albumTracks = 0;
    TReplayGain m_album;
    // Last, so it is stopped and joined first when the job goes.
    std::unique_ptr<TAlbumGainPass> m_albumPass;
};
