// The lookup's progress dialog: presents a lookup job while it runs, lets the user choose among
// several MusicBrainz releases, shows why a lookup found nothing (no match with the address to
// add the disc, a failed query, an answer without titles) and stops it. Stop abandons the
// worker or the HTTP exchange: nothing found afterwards reaches the disc fields. Once started it
// closes as accepted when the titles were applied; otherwise it stays with the reason until the
// user closes it. GUI (main) thread only.
#pragma once

#include "JobDialog.h"
#include "lookup/LookupJob.h"

class QFrame;
class QInputDialog;
class QLabel;
class QPushButton;

class TfrmStopQuery : public TJobDialog {
    Q_OBJECT
public:
    // Makes the job (not started yet) for the disc in the drive of `handle`; its results go
    // into `model`, which must outlive the dialog.
    TfrmStopQuery(HCDROM handle, const TQueryCDDBThread::Settings& settings,
                  const TLookupSources& sources, TDiscFieldsModel* model,
                  QWidget* parent = nullptr);
    TLookupJob* Job() const { return m_job; }
    // The release choice on show while the job waits for one; null otherwise.
    QInputDialog* ReleaseChoice() const { return m_choice; }

    QLabel* lHint;
    QFrame* Panel1;
    QLabel* lNotice; // on Panel1
    QPushButton* bStop;

public slots:
    // Esc and Stop abandon a running lookup and close the dialog.
    void reject() override;

private:
    void onFinished(TJobOutcome outcome, const QString& detail);
    void chooseRelease(const QStringList& descriptions);

    TLookupJob* m_job;
    QInputDialog* m_choice = nullptr;
};
