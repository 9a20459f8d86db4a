// The rip job: walks the records of a rip plan one by one, a rip worker for each, driven by the
// events the workers post (2125, 2126); unless the format is WAV it encodes each fresh WAV into
// the record's file (one encode step, which also tags the file), then deletes the WAV unless it
// is kept. It fills each record's results (state, sums, verdict), and at the end writes the rip
// log, the playlist and the cue sheet from them. Headless; the rip dialog and the command line
// present it through its signals.
//
// Lives on the GUI (main) thread and needs its event loop. It is the workers' event receiver:
// it stops and joins its worker before it is destroyed (and Qt drops events still queued for
// it), so no worker ever posts to a receiver that is gone. The workers share only their Aborted
// flag (atomic) with it.
#pragma once

#include "CDRipThread.h"
#include "RipLog.h"
#include "RipPlan.h"
#include "TProcessInfo.h"
#include "audio/CoverArt.h"
#include "audio/Job.h"
#include "disc/CdAccess.h"
#include "settings/TAppOptions.h"

#include <QString>
#include <algorithm>
#include <memory>

class TArLookup;
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

    // Asks "<folder>,the output folder does not exist.\r\ncreates a new folder?" first when the
    // output folder is missing (No cancels the rip). Then, when files the rip would write exist
    // already, asks once (YesNoCancel) with their list: Yes replaces them, No skips their
    // tracks, Cancel ends the rip. Then starts the first track. A format index out of range or
    // an encoder whose codec library is missing fails at once.
    //
    // The folders a record's path names are made before its track is read. Every file is
    // written under "<name>.partial<ext>" and takes its name once complete; what a stopped or
    // failed rip read stays under the partial name.
    void Start() override;
    // Once the last track is done, the tracks' checksums are looked up in the AccurateRip
    // database (the AccurateRipServer setting; none when empty) without blocking, each ripped
    // track gets its verdict (trackVerdict), and the rip log (logWritten), the playlist and the
    // cue sheet are written into the plan's FilesFolder. A database that cannot be reached
    // gives "not checked", never a failure. A track with sectors that never read the same twice
    // keeps its file but fails the rip.
    //
    // Stops the running worker (waiting for it), then the running output (waiting for it), and
    // finishes as Stopped. The files being written stay as they are.
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
    // Tracks whose rip has ended, whatever the outcome.
    int Completed() const { return m_completed; }
    // Tracks that ended with an error (rip or encoding), plus one for a halt of the drive.
    int Failed() const { return m_failed; }
    // Tracks whose file was written.
    int Succeeded() const { return m_succeeded; }
    int Format() const { return m_plan.Format; }
    const QString& OutputFolder() const { return m_plan.OutputFolder; }
    // The output of the chosen format once Start has made it; null for WAV. For tests.
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
    // database" or "not checked", followed by ", suspicious, N sectors" when it is.
    void trackVerdict(int number, const QString& title, const QString& verdict);
    // The rip log was written to `path`.
    void logWritten(const QString& path);
    // The playlist ("Playlist") or the cue sheet ("Cue sheet") of the rip was written to `path`.
    void sheetWritten(const QString& kind, const QString& path);

protected:
    bool event(QEvent* e) override;

private:
    TRipPlanTrack& current() { return m_plan.Tracks[size_t(m_current)]; }
    void begin();
    // The next record to rip after the current one, or -1.
    int nextIndex() const;
    void startRip();
    void stopRip();
    void onProcessInfo(const TProcessInfo& info);
    void onRipEnded(const TProcessInfo& info);
    void startEncoding();
    void onEncoded(bool ran, const QString& failure);
    void finishTrack(bool ok);
    void trackDone(bool ok);
    void nextTrack(const QString& barCaption);
    void finish(bool stopped);
    // Gives each ripped track its verdict from `response`, or `without` when there is none,
    // writes the log, playlist and cue sheet, and finishes.
    void conclude(const TArResponse* response, TArVerdict::Kind without, const QString& note);
    void writeRipFiles();
    void fail(const QString& text);
    void trackError(const QString& text);
    void checkExisting();
    bool makeFolderOf(const QString& path);
    void keepWav(const QString& partial);
    void trackWritten();
    TEncodeRequest requestFor(const TRipPlanTrack& track) const;

    HCDROM m_handle;
    TRipPlan m_plan;
    TAppOptions m_options;
    int m_pace = 300;
    TCoverArt m_cover;
    std::vector<int> m_pregaps; // the tracks' gaps where the source knows them (an image)
    bool m_coverSaved = false;  // the cover was saved, or found there, in this rip
    std::unique_ptr<TCDRipThread> m_worker;
    // WaveIn1 feeds the encode step's output. Owned by the job (Qt parent).
    TWaveIn* m_waveIn = nullptr;
    TEncodeStep* m_step = nullptr;
    QString m_wavPath;  // the (partial) WAV of the track being finished
    int m_current = -1; // the record being read or finished
    int m_completed = 0;
    int m_failed = 0;
    int m_succeeded = 0;
    bool m_holdOnError = false;
    int m_unacknowledged = 0;      // error messages not yet acknowledged (with hold on)
    bool m_held = false;           // the next track waits for the acknowledgement
    TRipLog m_log;                 // the drive, read mode and table; its tracks come from the plan
    TArLookup* m_lookup = nullptr; // the database lookup at the end, while it runs
    TSectorRead m_read = ReadCDAudioLBA;
    int m_suspicious = 0; // tracks with sectors that never read the same twice
};
