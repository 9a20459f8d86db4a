// Measures the loudness of one stream of interleaved little-endian 16-bit PCM (a ripped track)
// on a thread of its own, so that reading and encoding go on while the meter works: the meter
// filters about as fast as a FLAC encoder encodes, and only has to be done when the track's
// files are tagged. The feeding thread hands it buffers of a TBufferPool, which it gives back
// to the pool once measured, so the audio is never copied; the pool's size bounds how far
// feeding runs ahead.
//
// Threads: one feeding thread calls Add and Finish; Cancel and Meter may be called from any
// thread. The queue, the finish callback and the state flags are guarded by one mutex; the cancel
// flag is atomic and polled by the meter before each buffer (a rip's write batch: 2 s of audio).
#pragma once

#include "BufferPool.h"
#include "LoudnessMeter.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TMeterThread {
public:
    // Measures nothing before `after` (the meter of the track before, or null) has ended, so
    // that the meters of several tracks take turns in the order the tracks are encoded rather
    // than share the processor. Raises std::runtime_error as TLoudnessMeter does.
    explicit TMeterThread(std::shared_ptr<TBufferPool> pool,
                          std::shared_ptr<TMeterThread> after = nullptr, unsigned channels = 2,
                          unsigned long sampleRate = 44100);
    // Cancels and waits for the meter thread.
    ~TMeterThread();
    TMeterThread(const TMeterThread&) = delete;
    TMeterThread& operator=(const TMeterThread&) = delete;

    // Feeding thread: measures `bytes` (whole frames) at `offset` in `buffer`, a buffer taken
    // from the pool, which the meter gives back once done with it.
    void Add(uint8_t* buffer, size_t offset, size_t bytes);
    // Feeding thread: nothing more comes. `onDone` runs on the meter thread once everything
    // added is measured, unless Cancel came first; it must not block.
    void Finish(std::function<void()> onDone);
    // Any thread: stops measuring (what waits goes back to the pool unmeasured); once this
    // returns, onDone does not run.
    void Cancel();

    // The meter; its values are complete once onDone has run.
    std::shared_ptr<const TLoudnessMeter> Meter() const { return m_meter; }

private:
    struct TBatch {
        uint8_t* Buffer;
        size_t Offset;
        size_t Bytes;
    };
    void run();
    // Waits until this meter's thread has nothing more to do, or `stop` is set.
    void waitEnded(const std::atomic<bool>& stop);

    const std::shared_ptr<TBufferPool> m_pool;
    std::shared_ptr<TMeterThread> m_after; // meter thread only; let go once it has ended
    const size_t m_frameBytes;
    std::shared_ptr<TLoudnessMeter> m_meter;
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<TBatch> m_queue;     // guarded by m_mutex
    std::function<void()> m_onDone; // guarded by m_mutex
    bool m_finished = false;        // guarded by m_mutex: Finish was called
    bool m_ended = false;           // guarded by m_mutex: the thread has nothing more to do
    std::thread m_thread;           // last: starts once the members above exist
};
