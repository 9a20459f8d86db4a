#include "Job.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

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

void TJob::dropQuestion() {
    m_asking = false;
    m_then = nullptr;
}

void TJob::finishWith(TJobOutcome outcome, const QString& detail) {
    if (m_finished)
        return;
    m_finished = true;
    dropQuestion();
    m_outcome = outcome;
    m_detail = detail;
    emit finished(outcome, detail);
}

void TJob::withOutputFolder(const QString& folder, std::function<void()> then) {
    if (QFileInfo(folder).isDir())
        return then();
    ask(TJobQuestion::CreateOutputFolder,
        folder + QStringLiteral(",the output folder does not exist.\r\ncreates a new folder?"),
        TJobButtons::YesNo, [this, folder, then = std::move(then)](TJobAnswer answer) {
            if (answer != TJobAnswer::Yes)
                return finishWith(TJobOutcome::Cancelled);
            if (!QDir().mkpath(folder)) {
                // QDir says nothing of why; one more try at the folder itself tells the system's
                // reason (a missing parent or a full disk would not have stopped mkpath).
                const int err =
                    ::mkdir(QFile::encodeName(folder).constData(), 0777) == 0 ? 0 : errno;
                const QString text =
                    QStringLiteral("Cannot create ") + folder +
                    (err ? QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(err))
                         : QString());
                emit message(TJobSeverity::Error, text);
                return finishWith(TJobOutcome::Failed, text);
            }
            then();
        });
}
