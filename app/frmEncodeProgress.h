// The converter dialog: presents a convert job over a list of files (the file being converted,
// its output, how many files are selected and completed, the output folder, one line with its
// own bar per file being converted), asks its overwrite questions in boxes it owns (answered
// for one file or for all) and stops it. At the end it says how many files were converted,
// skipped, failed and damaged, and lists the failures and the damaged inputs with their reasons.
// The job does the work. GUI (main) thread only.
#pragma once

#include "JobDialog.h"
#include "convert/ConvertJob.h"

#include <vector>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class TfrmEncodeProgress : public TJobDialog {
    Q_OBJECT
public:
    // Makes the job (not started yet) converting `files` with converter kind `kind` (2..10)
    // over copies of `options` and `disc`, on `lanes` files at once.
    TfrmEncodeProgress(const QStringList& files, int kind, const TAppOptions& options,
                       const TDiscFields& disc, int lanes, QWidget* parent = nullptr);
    TConvertJob* Job() const { return m_job; }

    QLabel* lInputFileName;
    QLabel* lOutputFileName;
    QLabel* lSelectedTracks;
    QLabel* lCompleted;
    QLabel* lOutputFolder;
    QLabel* lProgressHint;
    QProgressBar* ProgressBar1;
    // One line per lane: the file it converts and its bar (shown when there are several).
    std::vector<std::pair<QLabel*, QProgressBar*>> LaneLines;
    // The failures and the damaged inputs, shown at the end when there are any.
    QPlainTextEdit* mFailures;
    QPushButton* bStop;

protected:
    // The overwrite question: Replace, Replace All, Skip, Skip All, or Cancel the conversion;
    // the others as every job dialog asks them.
    void askQuestion(const QString& text, TJobButtons buttons) override;

private:
    void onFileStarted(int lane, int index, const QString& input, const QString& output,
                       int completed);
    void onFileFinished(int lane, const QString& input, TConvertOutcome outcome,
                        const QString& text);
    void onFinished(TJobOutcome outcome);

    TConvertJob* m_job;
    QGroupBox* m_running;   // holds the lane lines
    QStringList m_failures; // "<input>: <reason>"
    QStringList m_damaged;  // "<input>: <what was wrong>; what could be read is kept in ..."
};
