// Plays audio sectors of a disc: a reader thread reads them through the CD layer into a bounded
// buffer (a few seconds), and a timer on the owner's thread hands them to a sink, so a slow
// drive never stalls the owner and memory stays small. Play, pause, resume, stop, close, the
// position, and one signal when a play reaches its end or fails.
//
// Threads: every member is called on the thread that created the player (its event loop runs
// the feeding timer), and the signals are emitted there too, never from the reader. The
// reader shares only the TPcmRing (locked) with it.
#pragma once

#include "PcmRing.h"
#include "PcmSink.h"
#include "disc/CdAccess.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <memory>
#include <thread>

class TCdPlayer : public QObject {
    Q_OBJECT
public:
    enum class TState { Stopped, Playing, Paused };

    static constexpr int ChunkSectors = 10;   // sectors per read: 133 ms of sound
    static constexpr int BufferSectors = 225; // read ahead at most 3 s (529,200 bytes)

    explicit TCdPlayer(std::unique_ptr<TPcmSink> sink, QObject* parent = nullptr);
    ~TCdPlayer() override; // stops; no signal follows

    // Plays from the drive behind `handle` from now on (stopping a play on another). The
    // caller keeps the handle open until Close or the next Open.
    void Open(HCDROM handle);
    // Stops and forgets the handle.
    void Close();

    // Plays sectors start..end - 1 (counted from the first track's first sector), stopping a
    // play that runs. False, with ErrorText saying why, when nothing plays: no handle, an empty
    // range, or no sound device.
    bool Play(int startSector, int endSector);
    // Plays track `number` to the next track's start (the last track to the lead-out).
    bool PlayTrack(int number);
    // Playing -> Paused; the sound stops where it is and nothing is lost.
    void Pause();
    // Paused -> Playing, going on exactly where the pause was.
    void Resume();
    // Ends the play; no signal follows. Waits for the read in progress (one chunk).
    void Stop();

    TState State() const { return m_state; }
    // The sector being heard; the play's start while stopped.
    int Position() const;
    int StartSector() const { return m_start; }
    int EndSector() const { return m_end; }
    // "mm:ss" of a number of sectors (minutes beyond 99 show all their digits).
    static QString TimeText(int sectors);
    // Why the last Play failed or the last play ended in failed().
    QString ErrorText() const { return m_error; }

signals:
    // The play reached its end sector and everything was heard. Once per play.
    void finished();
    // A play stopped on its own: a sector could not be read (disc removed, read error) or the
    // sound device failed. `reason` is for the user.
    void failed(const QString& reason);

private:
    void feed();
    void endPlay();
    void failPlay(const QString& reason);

    std::unique_ptr<TPcmSink> m_sink;
    QTimer m_timer; // feeds the sink while a play runs
    std::shared_ptr<TPcmRing> m_ring;
    std::thread m_reader;
    HCDROM m_handle = 0;
    int m_start = 0;
    int m_end = 0;
    qint64 m_fed = 0;   // bytes the sink took this play
    QByteArray m_carry; // taken from the ring, not yet by the sink
    QByteArray m_scratch;
    TState m_state = TState::Stopped;
    QString m_error;
};
