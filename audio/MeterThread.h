// Measures the loudness of one stream of interleaved little-endian 16-bit PCM (a ripped track)
// on a thread of its own, so that reading and encoding go on while the meter works: the meter
// filters about as slowly as a FLAC encoder encodes, and only has to be done when the track's
// files are tagged. The feeding thread takes an empty buffer, fills it and hands it over; the
// meter thread gives it back once measured, so the audio is never copied. At most `buffers`
// buffers exist: when that many wait, Take waits for the meter.
//
// Threads: one feeding thread calls Take, Add and Finish; Cancel and Meter may be called from
// any thread. The queue, the free buffers and the finish callback are guarded by one mutex;
// the cancel flag is atomic and polled by the meter between pieces of 100 ms of audio.
#pragma once

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
#include <vector>

class TMeterThread {
public:
    // `bufferBytes` per buffer, at most `buffers` of them (made as needed). Raises
    // std::runtime_error as TLoudnessMeter does.
    TMeterThread(size_t bufferBytes, size_t buffers, unsigned channels = 2,
                 unsigned long sampleRate = 44100);
    // Cancels and waits for the meter thread.
    ~TMeterThread();
    TMeterThread(const TMeterThread&) = delete;
    TMeterThread& operator=(const TMeterThread&) = delete;

    // Feeding thread: an empty buffer of bufferBytes; waits while every buffer is queued.
    uint8_t* Take();
    // Feeding thread: measures `bytes` (whole frames) at `offset` in `buffer`, a buffer from
    // Take, which belongs to the meter again from now on.
    void Add(uint8_t* buffer, size_t offset, size_t bytes);
    // Feeding thread: nothing more comes. `onDone` runs on the meter thread once everything
    // added is measured, unless Cancel came first; it must not block.
    void Finish(std::function<void()> onDone);
    // Any thread: stops measuring what waits; once this returns, onDone does not run.
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

    const size_t m_bufferBytes;
    const size_t m_maxBuffers;
    const size_t m_frameBytes;
    const size_t m_pieceFrames; // 100 ms: how often the cancel flag is looked at
    std::shared_ptr<TLoudnessMeter> m_meter;
    std::vector<std::unique_ptr<uint8_t[]>> m_buffers; // every buffer made; feeding thread only
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<TBatch> m_queue;     // guarded by m_mutex
    std::vector<uint8_t*> m_free;   // guarded by m_mutex
    std::function<void()> m_onDone; // guarded by m_mutex
    bool m_finished = false;        // guarded by m_mutex: Finish was called
    std::thread m_thread;           // last: starts once the members above exist
};
