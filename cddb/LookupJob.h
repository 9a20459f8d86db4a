// The lookup job: reads the disc's table of contents for its first and last track, runs a
// lookup worker for the disc and puts what it finds into a disc fields model. Headless; the
// lookup dialogs and the command line present it through its signals. GUI (main) thread only;
// the worker's results and its message 2129 reach the job and the model as queued calls there.
#pragma once

#include "QueryCDDBThread.h"
#include "audio/Job.h"
#include "cddb/CddbMessageEvent.h"

#include <QPointer>

class TDiscFieldsModel;

class TLookupJob : public TJob {
    Q_OBJECT
public:
    // "No match found,perhaps:..." — what a lookup without a match tells the user.
    static const QString NoMatchNotice;

    // `model` must outlive the job; `handle` is the open drive.
    TLookupJob(HCDROM handle, const TQueryCDDBThread::Settings& settings, TDiscFieldsModel* model,
               QObject* parent = nullptr);
    // Abandons a worker still running: nothing it finds afterwards reaches the model.
    ~TLookupJob() override;

    // Reads the table of contents ("Error while reading TOC information!" fails the job), then
    // starts the worker. Done: titles were applied. Failed: no match (noMatch is emitted
    // first), a failed query, or records without titles; the detail says which.
    void Start() override;
    // Abandons the worker; the job ends as Stopped at once.
    void Stop() override;

    // How the lookup ended, once finished.
    TCddbMessageEvent::Outcome Result() const { return m_result; }
    int FirstTrack() const { return m_first; }
    int LastTrack() const { return m_last; }

signals:
    // The server knows no match for the disc; `cddbError` is the CDDB layer's code.
    void noMatch(int cddbError);

protected:
    bool event(QEvent* e) override;

private:
    HCDROM m_handle;
    TQueryCDDBThread::Settings m_settings;
    TDiscFieldsModel* m_model;
    QPointer<TQueryCDDBThread> m_worker;
    TCddbMessageEvent::Outcome m_result = TCddbMessageEvent::QueryFailed;
    int m_first = 0;
    int m_last = 0;
};
