// The rip job: walks the track entries one by one, a rip worker for each, driven by the events
// the workers post (2125, 2126); unless the format is WAV it encodes each fresh WAV through
// WaveIn1 into the format's output, then tags the MP3 and deletes the WAV unless it is kept.
// Reports to a TRipJobReport. Headless; the rip dialog and the command line present it. Lives
// on the GUI (main) thread and needs its event loop (the outputs' events arrive through it).
//
// The job is the workers' event receiver. It stops and joins its worker before it is destroyed
// (and Qt drops events still queued for it), so no worker ever posts to a receiver that is gone.
#pragma once

#include "CDRipThread.h"
#include "CdAccess.h"
#include "TProcessInfo.h"
#include "settings/SettingsStore.h"

#include <QObject>
#include <QStringList>
#include <memory>

class TRipJobReport;
class TAuFileOut;
class TAuOutput;
class TWaveIn;

class TRipJob : public QObject {
public:
    // `tracks` are the entries: TwoDigit(row position) followed by the title. `format` is the
    // output format index (0 MP3 ... 5 APE). `report` must outlive the job.
    TRipJob(HCDROM handle, const QStringList& tracks, int format, TRipJobReport* report);
    ~TRipJob() override;

    // The disc fields the MP3 tag, the Ogg/FLAC comments and the WMA attributes take; set
    // before Start.
    void SetDiscFields(const TDiscFields& fields) { m_disc = fields; }

    // Starts the first track. With no entries the job finishes at once. Returns false (with a
    // Message) for a format index out of range or an encoder that cannot be created (its
    // codec library missing).
    bool Start();
    // Stops the running worker (waiting for it), then the running output (waiting for it), and
    // finishes; nothing more is reported after. The files being written stay as they are.
    void Stop();

    int Completed() const { return m_completed; }
    // Tracks that ended with an error (rip or encoding), plus one for a halt of the drive.
    int Failed() const { return m_failed; }
    // The output of the chosen format, or null for WAV (and before Start). For tests.
    TAuFileOut* Output() const { return m_output; }
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
    void startEncoding(const QString& entry);
    void onEncoded(const TProcessInfo& info);
    void configureOutput(const QString& title, int number);
    void outputDone(TAuOutput* sender);
    void outputProgress(TAuOutput* sender);
    QString encodedPath(const QString& title) const;

    HCDROM m_handle;
    QStringList m_tracks;
    int m_format;
    TRipJobReport* m_report;
    TDiscFields m_disc;
    std::unique_ptr<TCDRipThread> m_worker;
    // The components: WaveIn1 feeds the format's output. Owned by the job (Qt parent).
    TWaveIn* m_waveIn = nullptr;
    TAuFileOut* m_output = nullptr;
    bool m_outputRan = false; // the current track's output was started
    int m_completed = 0;
    int m_failed = 0;
    bool m_finished = false;
};
