// The contract every job (rip, convert, lookup) keeps with the views that present it: the
// window's dialogs and the command line connect to these signals and answer questions by
// calling Answer later, so a job never blocks, sleeps or opens a window on the GUI thread.
// Lives on the GUI (main) thread; every call and every signal happens there.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

enum class TJobSeverity { Info, Warning, Error };

// How a job ended. Done: every item succeeded. Failed: it ran to its end, but an item failed or
// could not start (`detail` says what). Stopped: Stop was called. Cancelled: a question was
// answered so that nothing was done.
enum class TJobOutcome { Done, Failed, Stopped, Cancelled };

enum class TJobAnswer { Yes, No, Cancel };
enum class TJobButtons { YesNo, YesNoCancel };
// What a question is about, for a view that answers some of them without asking.
enum class TJobQuestion { None, CreateOutputFolder, ReplaceFile, ReplaceOutputs };

class TJob : public QObject {
    Q_OBJECT
public:
    explicit TJob(QObject* parent = nullptr);

    // Begins the work and returns at once; it goes on in the event loop. A job starts once.
    virtual void Start() = 0;
    // Ends the work before its end, waiting for its threads; finished(Stopped) is the last
    // signal. Nothing happens once the job has finished.
    virtual void Stop() = 0;
    // Answers the question asked last. The job goes on in the event loop, never inside this
    // call, so a view may answer from a slot of the question signal itself.
    void Answer(TJobAnswer answer);

    bool IsFinished() const { return m_finished; }
    // What the pending question is about; None when nothing is asked.
    TJobQuestion PendingQuestion() const { return m_asking ? m_kind : TJobQuestion::None; }
    TJobOutcome Outcome() const { return m_outcome; }
    // The detail finished carried.
    const QString& Detail() const { return m_detail; }

signals:
    // 0..100 percent of the current item.
    void progress(int percent);
    // The item being worked on: its number (1-based) of `total`, and its name.
    void currentItem(int number, int total, const QString& name);
    // What the job is doing now ("Extracting...", "Encoding...").
    void hint(const QString& text);
    // Something the user should read; the job goes on unless it finishes.
    void message(TJobSeverity severity, const QString& text);
    // A question for the user; the job waits until Answer is called.
    void question(const QString& text, TJobButtons buttons);
    // The last signal of the job.
    void finished(TJobOutcome outcome, const QString& detail);

protected:
    // Asks `text`; `then` runs with the answer from the event loop once Answer is called.
    void ask(TJobQuestion kind, const QString& text, TJobButtons buttons,
             std::function<void(TJobAnswer)> then);
    // Runs `then` at once when `folder` is a directory. Otherwise asks "The output folder
    // <folder> does not exist. Make it?": Yes makes it (with its parents) and
    // runs `then`, No cancels the job, and a folder that cannot be made fails it with
    // "Cannot create <folder>: <reason>".
    void withOutputFolder(const QString& folder, std::function<void()> then);
    // Marks the job finished and emits finished once; later calls do nothing.
    void finishWith(TJobOutcome outcome, const QString& detail = QString());
    // Asserts in debug builds that the caller runs on the thread the job lives on.
    void assertOwnThread() const;

private:
    std::function<void(TJobAnswer)> m_then;
    bool m_asking = false;
    TJobQuestion m_kind = TJobQuestion::None;
    bool m_finished = false;
    TJobOutcome m_outcome = TJobOutcome::Done;
    QString m_detail;
};
