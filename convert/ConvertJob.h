// The batch convert job: converts a list of files, each into the output folder with the
// route's output format. Headless; the conversion dialog and the command line present it
// through its signals. Runs on the GUI (main) thread and needs its event loop.
//
// The files are shared out among one or more lanes (TConvertLane), each with its own input
// components and encode step, driven one file at a time by the events of type 2130 it posts to
// itself. The dialog uses one lane; the command line one per core. All the job's state lives on
// the GUI thread; the lanes' outputs only reach it through their done and progress events. The
// overwrite questions of the lanes are asked one at a time; a lane waits for its answer.
// In album mode the album gain goes into the converted files on a worker of its own
// (TAlbumGainPass, given copies of the paths and values); the job finishes once it calls back.
#pragma once

#include "audio/DiscFields.h"
#include "audio/Job.h"
#include "audio/LoudnessMeter.h"
#include "audio/ReplayGain.h"
#include "convert/ConvertKinds.h"
#include "encode/AlbumGainPass.h"
#include "settings/TAppOptions.h"

#include <QSet>
#include <QStringList>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

class TConvertLane;

// How one file ended.
enum class TConvertOutcome {
    Converted, // the output's run ended without failure
    Skipped,   // its output existed and was not to be overwritten
    Failed,    // the input could not be read or the output's run failed; the text says why
    Stopped,   // the job was stopped while the file was being converted; the text names the
               // ".partial" file that holds what was written
    Damaged,   // the input was not whole (cut short, audio that did not decode); the output
               // holds what could be read and is kept; the text says what was wrong
};

class TConvertJob : public TJob {
    Q_OBJECT
public:
    // `files` are full paths, converted in this order, into options.OutputFolder with the
    // encoders' settings of `options`; `disc` gives the Ogg Vorbis and FLAC comments (the title
    // is the output's base name). `lanes` below 1 counts as 1.
    TConvertJob(const QStringList& files, const TConvertRoute& route, const TAppOptions& options,
                const TDiscFields& disc, int lanes = 1, QObject* parent = nullptr);
    ~TConvertJob() override;

    // Lanes for the Converter.Jobs setting: the setting when above 0 (at most 64), else one
    // per core.
    static int LaneCountFor(int jobsSetting);

    // The wait before each file's done event, 300 ms by default (see TAuOutput::DoneDelay);
    // 0 on the command line. Set before Start.
    void SetPace(int ms);

    // Asks "The output folder <folder> does not exist. Make it?" first when the
    // output folder is missing (No cancels), then posts each lane its first 2130 event; the
    // first files start once the event loop runs. With no files the job finishes at once.
    void Start() override;
    // Stops every running output and waits for it, then finishes. The files being written
    // stay as far as they were written. Nothing is emitted after finished.
    void Stop() override;

    int Converted() const { return m_converted; }
    int Skipped() const { return m_skipped; }
    int Failed() const { return m_failed; }
    // Files done so far, whatever their outcome.
    int Damaged() const { return m_damaged; }
    int Completed() const { return m_converted + m_skipped + m_failed + m_damaged; }
    const QStringList& Files() const { return m_files; }
    const TConvertRoute& Route() const { return m_route; }
    const TDiscFields& DiscFields() const { return m_disc; }
    const TAppOptions& Options() const { return m_options; }
    int Pace() const { return m_pace; }
    int LaneCount() const { return int(m_lanes.size()); }
    // Answers the pending overwrite question, and every later one of this job, with `replace`
    // (true replaces, false skips) without asking again. GUI thread.
    void AnswerOverwriteForAll(bool replace);
    // The output the pending overwrite question is about; empty when none is asked.
    QString AskedOutput() const {
        return PendingQuestion() == TJobQuestion::ReplaceFile ? m_askedOutput : QString();
    }
    // Output path of a file: OutputFolder with a trailing separator, then the file's name
    // without its folder and with its extension replaced by the format's; the name made safe
    // as a rip's names are (SafeNameComponent, FAT-safe with the FatSafeNames setting).
    QString OutputPathOf(const QString& input) const;
    // Output path of file `index`: OutputPathOf, but a file whose output another file of the
    // batch already takes gets "<base> (2)<ext>" and so on, so no result replaces another.
    const QString& OutputPathAt(int index) const { return m_outputPaths[size_t(index)]; }

signals:
    // File `index` (0-based position in the list) starts on lane `lane`; `completed` files were
    // done before it.
    void fileStarted(int lane, int index, const QString& input, const QString& output,
                     int completed);
    // 0..100 percent of file `index`.
    void fileProgress(int lane, int index, int percent);
    // File `index` has ended; `text` says why for Failed, names the partial file for Stopped,
    // else it is empty.
    void fileFinished(int lane, int index, const QString& input, const QString& output,
                      TConvertOutcome outcome, const QString& text);

private:
    friend class TConvertLane;

    // Lane calls, GUI thread.
    int takeNextFile(); // -1 when every file has been taken
    // Marks `path` as being written by a lane; false when another lane writes it now.
    bool claimOutput(const QString& path);
    void releaseOutput(const QString& path);
    // Asks whether `output` may be replaced (Yes, No, or Cancel, which stops the job); the lane
    // hears the answer through OverwriteAnswered. One question at a time: the others wait
    // their turn. Once answered for all, the lane hears that answer without a question.
    void askOverwrite(TConvertLane* lane, const QString& output);
    void askNext();
    void fileBegun(int lane, int index, const QString& input, const QString& output);
    void fileFinishedOnLane(int lane, int index, const QString& input, const QString& output,
                            TConvertOutcome outcome, const QString& text);
    void laneIdle();
    void finish(bool stopped);
    // The summary and the end, after the album pass.
    void conclude(bool stopped);
    void begin();
    // Album mode: each folder's files that were converted get the album values of that folder,
    // on m_albumPass's worker; true when that pass runs and calls conclude once done.
    bool writeAlbumGain(bool stopped);
    // The pass has ended, all through or `stopped` by a Stop: its warnings.
    void albumGainWritten(bool stopped);

    QStringList m_files;
    std::vector<QString> m_outputPaths; // by file index
    TConvertRoute m_route;
    TAppOptions m_options;
    TDiscFields m_disc;
    int m_pace = 300;
    std::vector<std::unique_ptr<TConvertLane>> m_lanes;
    QSet<QString> m_busyOutputs;                               // outputs a lane is writing now
    std::deque<std::pair<TConvertLane*, QString>> m_questions; // waiting to be asked
    bool m_asking = false;
    QString m_askedOutput;            // of the question asked last
    std::optional<bool> m_replaceAll; // the answer for all, once given
    int m_fileIndex = 0;              // position of the next file to take
    int m_idleLanes = 0;
    int m_converted = 0;
    int m_damaged = 0;
    int m_skipped = 0;
    int m_failed = 0;
    bool m_started = false;
    TReplayGain::TMode m_gainMode = TReplayGain::TMode::Off;
    std::vector<std::shared_ptr<const TLoudnessMeter>> m_loudness; // by file index, once written
    std::vector<QString> m_writtenPaths; // by file index: the name each file took once written
    // Last, so it is stopped and joined first when the job goes.
    std::unique_ptr<TAlbumGainPass> m_albumPass;
};
