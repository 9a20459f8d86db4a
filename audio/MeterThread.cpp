#include "MeterThread.h"

#include <algorithm>

TMeterThread::TMeterThread(size_t bufferBytes, size_t buffers, unsigned channels,
                           unsigned long sampleRate)
    : m_bufferBytes(bufferBytes), m_maxBuffers(std::max<size_t>(buffers, 1)),
      m_frameBytes(2 * size_t(channels)), m_pieceFrames(std::max<size_t>(sampleRate / 10, 1)),
      m_meter(std::make_shared<TLoudnessMeter>(channels, sampleRate)), m_thread([this] { run(); }) {
}

TMeterThread::~TMeterThread() {
    Cancel();
    m_thread.join();
}

uint8_t* TMeterThread::Take() {
    std::unique_lock lock(m_mutex);
    if (m_free.empty() && m_buffers.size() < m_maxBuffers) {
        m_buffers.push_back(std::make_unique<uint8_t[]>(m_bufferBytes));
        return m_buffers.back().get();
    }
    // The meter always gives buffers back, also once cancelled.
    m_wake.wait(lock, [this] { return !m_free.empty(); });
    uint8_t* buffer = m_free.back();
    m_free.pop_back();
    return buffer;
}

void TMeterThread::Add(uint8_t* buffer, size_t offset, size_t bytes) {
    {
        std::lock_guard lock(m_mutex);
        if (m_cancelled)
            m_free.push_back(buffer); // the meter thread may have ended
        else
            m_queue.push_back(TBatch{buffer, offset, bytes});
    }
    m_wake.notify_all();
}

void TMeterThread::Finish(std::function<void()> onDone) {
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_onDone = std::move(onDone);
    }
    m_wake.notify_all();
}

void TMeterThread::Cancel() {
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_onDone = nullptr;
    }
    m_wake.notify_all();
}

void TMeterThread::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return !m_queue.empty() || m_finished || m_cancelled; });
        if (m_queue.empty()) {
            // Finished and all measured, or cancelled (the callback is gone then).
            if (m_onDone)
                m_onDone();
            m_onDone = nullptr;
            return;
        }
        const TBatch batch = m_queue.front();
        m_queue.pop_front();
        lock.unlock();
        const uint8_t* data = batch.Buffer + batch.Offset;
        size_t frames = batch.Bytes / m_frameBytes;
        while (frames > 0 && !m_cancelled) {
            const size_t n = std::min(frames, m_pieceFrames);
            m_meter->AddPcm16(data, n);
            data += n * m_frameBytes;
            frames -= n;
        }
        lock.lock();
        m_free.push_back(batch.Buffer);
        m_wake.notify_all();
    }
}
