#include "JobDialog.h"

#include "MessageBoxes.h"

TJobDialog::TJobDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {}

TJobDialog::~TJobDialog() {
    if (!m_job || m_job->IsFinished())
        return;
    // The derived dialog is gone already: what the job says while it stops reaches it no more.
    QObject::disconnect(m_job, nullptr, this, nullptr);
    m_job->Stop();
}

void TJobDialog::setJob(TJob* job) {
    m_job = job;
    connect(m_job, &TJob::question, this,
            [this](const QString& text, TJobButtons buttons) { askQuestion(text, buttons); });
}

void TJobDialog::askQuestion(const QString& text, TJobButtons buttons) {
    AskForJob(this, m_job, text, buttons);
}

void TJobDialog::Start() {
    open();
    m_job->Start();
}

void TJobDialog::reject() {
    if (!m_job->IsFinished()) {
        m_job->Stop();
        return;
    }
    QDialog::reject();
}
