// The rip worker: copies one audio track from an open drive into a WAV file of the name it is
// given, optionally normalises it, and posts its progress and outcome as TRipEvents (2125,
// 2126) to a receiver on the GUI thread. One worker per track. Reads go to the drive in
// requests of 10 sectors (in secure mode each read at least twice); a percentage is posted
// whenever it changes. The track's CRC32 and AccurateRip sums are computed as it is read and
// come with the final event. With ReplayGain on, a meter thread (TMeterThread) measures the
// loudness of what is read; it outlives the worker, and the final event hands it over.
#pragma once

#include "TrackReader.h"
#include "disc/CdAccess.h"
#include "settings/TAppOptions.h"

#include <QString>
#include <QThread>
#include <atomic>
#include <memory>

class QObject;
class TBufferPool;
class TMeterThread;

class TCDRipThread : public QThread {
public:
    // Made on the GUI thread, not yet started. Copies IsNormalize, NormalizePercent and whether
    // ReplayGain is on from `options` here, so the running worker reads no shared settings; Secure
    // starts as the ReadMode setting says ("secure" only). `trackIndex` is the 1-based position of
    // the track in the table of contents; `wavPath` the file to write, in a folder that exists.
    TCDRipThread(int trackIndex, const QString& wavPath, const TAppOptions& options);
    // Waits until the thread has ended (set Aborted first to make that quick).
    ~TCDRipThread() override;

    const int TrackIndex;
    const QString WavPath;
    // Set by the owner before start(); not changed while the thread runs.
    HCDROM CDHandle = 0;
    // The drive's read offset in samples; 0 for an image. Set before start().
    int ReadOffset = 0;
    // Every chunk read until two reads agree. Set before start().
    bool Secure = false;
    // The sector read; tests put a stand-in here. Set before start().
    TSectorRead ReadSectors = ReadCDAudioLBA;
    // Receiver of the events. The owner must keep it alive until this worker is destroyed.
    QObject* NotifyWindow = nullptr;
    // With ReplayGain on: the buffers the batches are read into and handed to the meter in,
    // kept from track to track (MakeMeterBuffers); one of its own when null. Set before start().
    std::shared_ptr<TBufferPool> MeterBuffers;
    // Buffers for MeterBuffers, shared by the workers of one rip.
    static std::shared_ptr<TBufferPool> MakeMeterBuffers();
    // With ReplayGain on: the meter of the track read before while it still measures, which
    // this track's meter lets finish first. Set before start().
    std::shared_ptr<TMeterThread> PreviousMeter;
    // Set by the owner (GUI thread) to stop; the worker looks at it after each chunk.
    std::atomic<bool> Aborted{false};

protected:
    void run() override;

private:
    void post(int value, int errorCode = 0, const QString& text = QString(), int systemError = 0);
    void rip(int start, int length, bool firstTrack, bool lastTrack, int discSectors);

    bool m_normalize = false;
    int m_normalizePercent = 100;
    bool m_measure = false; // the loudness of the track is measured for ReplayGain
};
