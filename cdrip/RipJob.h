// The rip job: walks the track entries one by one, a rip worker for each, driven by the events
// the workers post (2125, 2126), and reports to a TRipJobReport. Headless; the rip dialog and
// the command line present it. Lives on the GUI (main) thread and needs its event loop.
//
// The job is the workers' event receiver. It stops and joins its worker before it is destroyed
// (and Qt drops events still queued for it), so no worker ever posts to a receiver that is gone.
#pragma once

#include "CDRipThread.h"
#include "CdAccess.h"
#include "TProcessInfo.h"

#include <QObject>
#include <QStringList>
#include <memory>

class TRipJobReport;

class TRipJob : public QObject {
public:
    // `tracks` are the entries: TwoDigit(row position) followed by the title. `format` is the
    // output format index; only WAV (1) is handled by this job so far. `report` must outlive
    // the job.
    TRipJob(HCDROM handle, const QStringList& tracks, int format, TRipJobReport* report);
    ~TRipJob() override;

    // Starts the first track. With no entries the job finishes at once. Returns false (with a
    // Message) for a format the job cannot produce.
    bool Start();
    // Stops the running worker (waiting for it) and finishes; nothing more is reported after.
    void Stop();

    int Completed() const { return m_completed; }
    // Tracks that ended with an error, plus one for a halt of the drive.
    int Failed() const { return m_failed; }
    bool IsFinished() const { return m_finished; }

    // The number and title of an entry ("03Intro" gives 3 and "Intro").
    static int EntryNumber(const QString& entry);
    static QString EntryTitle(const QString& entry);

protected:
    bool event(QEvent* e) override;

private:
    void startRip(int entry);
    void stopRip();
    void onProcessInfo(const TProcessInfo& info);
    void onRipEnded(const TProcessInfo& info);
    void finish(bool stopped);

    HCDROM m_handle;
    QStringList m_tracks;
    int m_format;
    TRipJobReport* m_report;
    std::unique_ptr<TCDRipThread> m_worker;
    int m_completed = 0;
    int m_failed = 0;
    bool m_finished = false;
};
