// The rip dialog: presents a rip job (the track being ripped, the output format, how many
// tracks are selected and completed, what is being done, bars for the reading, the encoding and
// the whole rip) and
// its messages and questions, and stops it; at the end it shows each track's AccurateRip
// verdict and where the rip log went (TfrmRipVerdicts). The job does the work. GUI (main) thread
// only.
#pragma once

#include "JobDialog.h"
#include "cdrip/RipJob.h"

#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

class TfrmCDRip : public TJobDialog {
    Q_OBJECT
public:
    // Makes the job (not started yet) over copies of `plan` and `options`.
    TfrmCDRip(HCDROM handle, const TRipPlan& plan, const TAppOptions& options,
              QWidget* parent = nullptr);
    TRipJob* Job() const { return m_job; }

    QLabel* lCurrentTrack;
    QLabel* lOutputFormat;
    QLabel* lSelectedTracks;
    QLabel* lCompleted;
    QLabel* lProgressHint;
    QProgressBar* ProgressBar1;    // the track being read
    QProgressBar* ProgressEncode;  // the track being encoded, while another is read
    QProgressBar* ProgressOverall; // the whole rip, reading and encoding
    QPushButton* bStop;

private:
    void onMessage(TJobSeverity severity, const QString& text);
    void onFinished();
    void closeWhenRead();

    TRipJob* m_job;
    struct TVerdict {
        int Number;
        QString Title, Text;
    };
    std::vector<TVerdict> m_verdicts; // of each ripped track, shown at the end
    QStringList m_logPaths;
    int m_openBoxes = 0; // messages not yet dismissed; the dialog waits for them at the end
};
