// The rip worker: copies one audio track from an open drive into "<title>.wav" in the output
// folder, optionally normalises it, and posts its progress and outcome as TRipEvents (2125,
// 2126) to a receiver on the GUI thread. One worker per track. Reads go to the drive in
// requests of 10 sectors; a percentage is posted whenever it changes.
#pragma once

#include "disc/CdAccess.h"
#include "settings/TAppOptions.h"

#include <QString>
#include <QThread>
#include <atomic>

class QObject;

class TCDRipThread : public QThread {
public:
    // Made on the GUI thread, not yet started. Copies OutputFolder, IsNormalize and
    // NormalizePercent from `options` here, so the running worker reads no shared settings.
    // `trackIndex` is the 1-based position of the track in the table of contents; `baseName`
    // the file name without folder and extension.
    TCDRipThread(int trackIndex, const QString& baseName, const TAppOptions& options);
    // Waits until the thread has ended (set Aborted first to make that quick).
    ~TCDRipThread() override;

    const int TrackIndex;
    const QString BaseName;
    // Set by the owner before start(); not changed while the thread runs.
    HCDROM CDHandle = 0;
    // Receiver of the events. The owner must keep it alive until this worker is destroyed.
    QObject* NotifyWindow = nullptr;
    // Set by the owner (GUI thread) to stop; the worker looks at it after each chunk.
    std::atomic<bool> Aborted{false};

    // The WAV this worker writes: OutputFolder + "/" + BaseName + ".wav".
    QString wavPath() const;
    // False for a title that would name a path instead of a file in the output folder: empty,
    // ".", "..", or holding "/" or a NUL.
    static bool IsUsableFileName(const QString& baseName);

protected:
    void run() override;

private:
    void post(int value, int errorCode = 0, const QString& text = QString());
    void rip(int start, int length);

    QString m_outputFolder;
    bool m_normalize = false;
    int m_normalizePercent = 100;
};
