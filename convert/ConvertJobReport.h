// What a convert job tells its presenter (the conversion dialog, the command line): each file
// as it starts and ends, progress, the overwrite question, and the job's end. Called on the
// GUI (main) thread only.
#pragma once

#include <QString>

// How one file ended.
enum class TConvertOutcome {
    Converted, // the output's run ended without failure
    Skipped,   // its output existed and was not to be overwritten
    Failed,    // the input could not be read or the output's run failed; the text says why
    Stopped,   // the job was stopped while the file was being converted
};

class TConvertJobReport {
public:
    virtual ~TConvertJobReport() = default;

    // File `index` (0-based position in the job's list) starts on lane `lane`; `completed`
    // files were done before it.
    virtual void FileStarted(int lane, int index, const QString& input, const QString& output,
                             int completed) = 0;
    // 0..100 percent of file `index`.
    virtual void Progress(int lane, int index, int percent) = 0;
    // File `index` has ended; `text` says why for Failed, else it is empty.
    virtual void FileFinished(int lane, int index, const QString& input, const QString& output,
                              TConvertOutcome outcome, const QString& text) = 0;
    // `question` is "<path> has existed, overite it?"; true overwrites the file.
    virtual bool AskOverwrite(const QString& question, const QString& path) = 0;
    // Every file is done, or the job was stopped.
    virtual void Finished(bool stopped) = 0;
};
