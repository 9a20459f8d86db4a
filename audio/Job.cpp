#include "Job.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <filesystem>

TJob::TJob(QObject* parent) : QObject(parent) {}

void TJob::assertOwnThread() const {
    Q_ASSERT_X(QThread::currentThread() == thread(), "TJob", "called off the job's thread");
}

void TJob::ask(TJobQuestion kind, const QString& text, TJobButtons buttons,
               std::function<void(TJobAnswer)> then) {
    assertOwnThread();
    m_then = std::move(then);
    m_kind = kind;
    m_asking = true;
    emit question(text, buttons);
}

void TJob::Answer(TJobAnswer answer) {
    assertOwnThread();
    if (!m_asking || m_finished)
        return;
    m_asking = false;
    // The job goes on as its own event, so a view answering inside the question signal never
    // finds the job running under its feet.
    QTimer::singleShot(0, this, [this, answer, then = std::move(m_then)] {
        if (!m_finished && then)
            then(answer);
    });
    m_then = nullptr;
}

void TJob::finishWith(TJobOutcome outcome, const QString& detail) {
    if (m_finished)
        return;
    m_finished = true;
    // A pending question is dropped: nobody answers a finished job.
    m_asking = false;
    m_then = nullptr;
    m_outcome = outcome;
    m_detail = detail;
    emit finished(outcome, detail);
}

void TJob::withOutputFolder(const QString& folder, std::function<void()> then) {
    if (QFileInfo(folder).isDir())
        return then();
    ask(TJobQuestion::CreateOutputFolder,
        tr("The output folder %1 does not exist. Make it?").arg(folder), TJobButtons::YesNo,
        [this, folder, then = std::move(then)](TJobAnswer answer) {
            if (answer != TJobAnswer::Yes)
                return finishWith(TJobOutcome::Cancelled);
            // The folder with its parents; unlike QDir, this says why it could not be made.
            std::error_code error;
            std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
            if (error) {
                const QString text =
                    tr("Cannot create %1: %2").arg(folder, QString::fromStdString(error.message()));
                emit message(TJobSeverity::Error, text);
                return finishWith(TJobOutcome::Failed, text);
            }
            then();
        });
}
