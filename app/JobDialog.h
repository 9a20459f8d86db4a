// The life cycle every dialog around a job shares (the rip, the converter and the lookup's
// progress): the dialog owns its job as a child, opens window-modal and starts it, hands the
// job's questions to a message box, and stops a job still running when the dialog goes.
// GUI (main) thread only.
#pragma once

#include "audio/Job.h"

#include <QDialog>

class TJobDialog : public QDialog {
    Q_OBJECT
public:
    // Stops the job when it has not finished; the dialog hears nothing more from it.
    ~TJobDialog() override;

    // Shows the dialog window-modal and starts the job.
    void Start();

public slots:
    // Esc, Stop and the window's close button stop a running job; its finished signal closes
    // the dialog as the derived dialog decides. Once the job has finished they close it.
    void reject() override;

protected:
    explicit TJobDialog(QWidget* parent, Qt::WindowFlags flags = {});
    // Takes `job` (made with this dialog as its parent) for the life cycle; once, in the
    // derived constructor.
    void setJob(TJob* job);
    // Asks the job's question `text`; by default in a box that answers it (AskForJob).
    virtual void askQuestion(const QString& text, TJobButtons buttons);

private:
    TJob* m_job = nullptr;
};
